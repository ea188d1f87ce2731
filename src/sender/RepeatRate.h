#pragma once

#include <QString>
#include <variant>

// The text of the rate box read as a whole number of milliseconds, or why it cannot be.
std::variant<int, QString> readRepeatRate(const QString &text);

constexpr int SlowestRepeatRate = 10000;
constexpr int WarnedRepeatRate = 20; // rates below this draw a warning
