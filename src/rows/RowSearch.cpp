#include "RowSearch.h"

#include <algorithm>

namespace {

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

} // namespace

RowSearch::RowSearch(const QString &text)
    : m_needle(text.trimmed().toUpper().toStdString())
    , m_firstBlank(m_needle.find(' '))
    , m_mayTouchStamp(!m_needle.empty()
          && std::all_of(m_needle.begin(),
              m_needle.begin() + std::ptrdiff_t(std::min(m_firstBlank, m_needle.size())),
              [](char c) { return (c >= '0' && c <= '9') || c == '-'; }))
    , m_kinds(m_needle)
{ }

bool RowSearch::matchesAt(
    std::string_view needle, std::string_view text, std::size_t at, bool wildcards) const
{
    if (text.size() - at < needle.size())
        return false;
    for (std::size_t i = 0; i < needle.size(); ++i) {
        const char want = needle[i];
        const char have = text[at + i];
        if (wildcards && have == '\0') {
            if (!isHexDigit(want))
                return false;
        } else if (want == ' ' ? have != ' ' && have != '\t' : want != have) {
            return false;
        }
    }
    return true;
}

bool RowSearch::matchesUpper(std::string_view text, bool wildcards) const
{
    if (wildcards) {
        for (std::size_t at = 0; at + m_needle.size() <= text.size(); ++at)
            if (matchesAt(m_needle, text, at, true))
                return true;
        return false;
    }
    // The needle never starts with a blank: its first character is looked for at once.
    for (std::size_t at = text.find(m_needle.front()); at != std::string_view::npos;
         at = text.find(m_needle.front(), at + 1))
        if (matchesAt(m_needle, text, at, false))
            return true;
    return false;
}

bool RowSearch::restStartsAt(std::string_view text, bool wildcards) const
{
    if (m_firstBlank == std::string::npos)
        return false;
    return matchesAt(std::string_view(m_needle).substr(m_firstBlank + 1), text, 0, wildcards);
}

bool RowSearch::stampMatches(std::string_view stamp) const
{
    if (m_firstBlank == std::string::npos)
        return stamp.find(m_needle) != std::string_view::npos;
    const std::string_view firstWord = std::string_view(m_needle).substr(0, m_firstBlank);
    return stamp.ends_with(firstWord);
}
