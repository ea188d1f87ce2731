#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace Ump {

// One field of a packet: its name, its value as the packet holds it, and the value as a
// person reads it (a note name, a tempo in BPM, a text).
struct Field
{
    QString name;
    std::uint32_t value = 0;
    QString text;
};

// What a packet means: the message's name, its group (1-16) where it has one, and its
// fields in the order they lie in the packet.
struct Decoded
{
    QString name;
    std::optional<int> group;
    std::vector<Field> fields;

    void add(const QString &fieldName, std::uint32_t value)
    {
        fields.push_back({fieldName, value, QString::number(value)});
    }
    void add(const QString &fieldName, std::uint32_t value, const QString &text)
    {
        fields.push_back({fieldName, value, text});
    }
    // "MIDI 2.0 Note On, group 1: channel 1, note 60, velocity 65535, ..."
    QString line() const;
};

} // namespace Ump
