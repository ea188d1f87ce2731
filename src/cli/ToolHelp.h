#pragma once

#include <QString>

// What `lumetra help` and `lumetra help WORD` print: how each word is used.
namespace ToolHelp {

// The words and the window, in short.
QString overview();
// The whole usage of `capture`, `send`, `loop-test` or `help`; empty for another word.
QString of(const QString &word);
// Every word, for a sentence: "capture, send, loop-test, ci or help".
QString wordList();

} // namespace ToolHelp
