#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

// A port could not do what it was asked; what() is a sentence a person can read.
class PortError : public std::runtime_error
{
public:
    enum class Kind : std::uint8_t {
        Refused, // asking again does not help
        NoRoomNow, // the port's buffer is full; it empties as the device takes it in
    };

    explicit PortError(const QString &description, Kind kind = Kind::Refused)
        : std::runtime_error(description.toStdString())
        , m_kind(kind)
    { }
    QString description() const { return QString::fromStdString(what()); }
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};
