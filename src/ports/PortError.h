#pragma once

#include <QString>
#include <stdexcept>

// A port could not do what it was asked; what() is a sentence a person can read.
class PortError : public std::runtime_error
{
public:
    explicit PortError(const QString &description)
        : std::runtime_error(description.toStdString())
    { }
    QString description() const { return QString::fromStdString(what()); }
};
