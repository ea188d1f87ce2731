#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Messages for `lumetra send` typed as words rather than hex, as people type them into other
// MIDI tools: "ch 2 on 60 100 cc 7 100 pc 5". Numbers are decimal, or hex with an "H" after
// them or "0x" before (7FH, 0x7F). A channel set with `ch` holds for the words after it;
// channel 1 before any.
namespace SendWords {

// Whether the arguments are words: the first is one, in lower case (the hex "CC 05" stays a
// program change).
bool areWords(const QStringList &arguments);

struct Read
{
    std::vector<QByteArray> messages; // the bytes of each word, `raw` maybe several messages
    QStringList typed; // each word with its numbers, as typed: what a refusal quotes
    QString refusal; // empty when every word was read
};

Read read(const QStringList &arguments);

// The words, for the help.
QStringList names();

} // namespace SendWords
