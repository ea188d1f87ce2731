#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// The message arguments of `lumetra send`, made into the messages that go out. The bytes of
// all the arguments are read as one MIDI byte stream, so that a message typed unquoted over
// several arguments (90 3C 7F) goes out whole; an argument holds one message unless
// `severalPerArgument`. Every message must be whole; a SysEx without its F7 gets one, and a
// notice says so.
namespace MessageArguments {

struct Read
{
    std::vector<QByteArray> messages; // each whole, in the order they go out
    QStringList notices; // what was added, for standard error
    QString refusal; // why the arguments are refused; empty when they are not
};

Read read(const QStringList &arguments, bool severalPerArgument);
// The same for bytes read already, one array an argument: `arguments` are what was typed.
Read readBytes(
    const QStringList &arguments, const std::vector<QByteArray> &typed, bool severalPerArgument);

} // namespace MessageArguments
