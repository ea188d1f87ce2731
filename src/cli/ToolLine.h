#pragma once

#include "ToolOptions.h"

#include <QString>
#include <QStringList>
#include <variant>

// The command line of a word (`capture`, `send`, `help`): its options read into values, or
// why they cannot be (the program then exits with status 2).
namespace ToolLine {

// `lumetra help WORD`, or `--help` after a word: the text to print.
struct Help
{
    QString text;
};
struct Refusal
{
    QString reason; // one line: what is wrong, and where to read the word's usage
};

using Parsed = std::variant<CaptureOptions, SendOptions, LoopTestOptions, CiOptions, Help, Refusal>;

// The words this program takes before its options.
bool isWord(const QString &argument);

// `arguments` as given to the program: its name, the word, then the word's options.
Parsed parse(const QStringList &arguments);

} // namespace ToolLine
