#pragma once

#include "decode/KindWords.h"

#include <QString>
#include <QStringList>
#include <bitset>
#include <vector>

struct CapturedMessage;

// The words `--filter` and `--only` take, as Find takes them: kinds of message ("cc",
// "sysex", "note-on", "pitch bend"), channels ("2", "ch 2", "channel 2") and inputs (a name,
// or a part of one, as --in takes it). A message is named when any word names it.
class TrafficWords
{
public:
    // Reads one word into the set; false when it is no kind and no channel, and is taken for
    // an input.
    bool readKindOrChannel(const QString &word);
    void addSource(const QString &name) { m_sources << name; }

    bool isEmpty() const { return m_kinds.empty() && m_channels.none() && m_sources.isEmpty(); }
    bool names(const CapturedMessage &message, const QString &sourceName) const;

    // The inputs named; the command line puts the listed names in place of the parts typed.
    QStringList &sources() { return m_sources; }
    const QStringList &sources() const { return m_sources; }

    // The channel, 1 to 16, that a word names; 0 for none.
    static int channelOf(const QString &word);

private:
    std::vector<KindWords> m_kinds;
    std::bitset<16> m_channels;
    QStringList m_sources;
};

// What a capture keeps of what arrives: nothing `hidden` names, and of the rest only what
// every set of `only` names (each --only narrows the capture further).
struct TrafficSelection
{
    TrafficWords hidden;
    std::vector<TrafficWords> only;

    bool any() const { return !hidden.isEmpty() || !only.empty(); }
    bool keeps(const CapturedMessage &message, const QString &sourceName) const;
};
