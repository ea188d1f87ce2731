#pragma once

#include "MessageParser.h"
#include "capture/CaptureStore.h"

#include <QString>
#include <QStringList>
#include <functional>

class DialogService;
class MIDIOutput;

// Turning the MIDI Message box's text into a message on the output port, with the record
// and the history entry that keep it.
namespace modSendMessage {

const QString AppendingEoxText = QStringLiteral("Appending EOX to SysExMessage");
const QString FailureText = QStringLiteral(
    "An error occured while assembling the MIDI Message.  The MIDI Message box accepts a "
    "single properly formatted message.  Is it possible that the message is invalid?");
constexpr int HistoryLimit = 11;

struct SendContext
{
    MIDIOutput &output;
    DialogService &dialogs;
    QStringList &history; // newest first
    std::function<void()> stopRepeating;
};

// Parses and sends the text; every failure is reported here (a text that does not parse with
// FailureText, a port that cannot send with the port's reason) and ends in a failed send.
// Returns what was sent, for the grid.
SentMessage SendMIDIMessage(const QString &text, const SendContext &context);

// Puts the text first in the history, without duplicates ignoring case, at most 11 entries.
void AddToHistory(QStringList &history, const QString &text);

QString historyText(const ParsedMessage &message);

} // namespace modSendMessage
