#pragma once

#include "capture/CaptureStore.h"
#include "decode/KindWords.h"
#include "decode/MessageDetails.h"

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Finds the rows that hold a text as the grid shows them: without regard to letter case, a
// blank in the text matching a blank or the gap between two cells, so that "90 3C" finds a
// Note On of key 3C whose bytes stand in two cells. The rows' texts are never made in bulk:
// the cells of a short message other than its time stamp, and its details, depend on its
// bytes alone, so each distinct message is looked at once a search, and a status whose
// cells cannot hold the text rules out its rows at a glance. A text that names a kind of
// message ("sysex", "cc") finds the messages of that kind too.
class RowSearch
{
public:
    enum class Direction { Forward, Backward };
    // The details column is looked at too when the search is given its middle C.
    using Details = std::optional<MessageDetails::MiddleC>;

    explicit RowSearch(const QString &text);
    bool isEmpty() const { return m_needle.empty(); }

    // Whether an upper-case text holds the needle; with `wildcards`, a NUL in the text
    // stands for any hex digit.
    bool matchesUpper(std::string_view text, bool wildcards = false) const;
    // Whether the needle's part after its first blank stands at the start of the text.
    bool restStartsAt(std::string_view text, bool wildcards = false) const;
    // Whether a row's time stamp cell can end in the needle's first word, or hold all of it.
    bool stampMatches(std::string_view stamp) const;
    bool mayTouchStamp() const { return m_mayTouchStamp; }
    bool hasBlank() const { return m_firstBlank != std::string::npos; }
    const KindWords &kinds() const { return m_kinds; }

private:
    bool matchesAt(
        std::string_view needle, std::string_view text, std::size_t at, bool wildcards) const;

    std::string m_needle; // upper-cased, trimmed
    std::size_t m_firstBlank; // npos when the needle is one word
    bool m_mayTouchStamp; // the needle starts as a time stamp can end
    KindWords m_kinds;
};
