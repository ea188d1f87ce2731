#pragma once

#include <cstdint>
#include <string>

// Stamps in microseconds as a person reads them.
namespace StampText {

// "12.345678": seconds with all six digits of the microseconds, "-0.000500" below zero.
void appendSeconds(std::string &out, std::int64_t microseconds);
std::string seconds(std::int64_t microseconds);

} // namespace StampText
