#pragma once

#include <QString>
#include <cstddef>
#include <map>
#include <optional>

// The rows a person marked, by store row, each with a note that may be empty. They belong
// to the rows they mark: the store that holds the rows holds them, so that a clear, its
// undo and a file shown move them with their rows.
class RowMarks
{
public:
    // The longest note kept, in characters: its UTF-8 stays within what a capture file holds.
    static constexpr qsizetype LongestNote = 1000;
    using Notes = std::map<std::size_t, QString>;

    bool empty() const { return m_notes.empty(); }
    std::size_t size() const { return m_notes.size(); }
    const Notes &notes() const { return m_notes; }

    std::optional<QString> noteAt(std::size_t row) const;
    void set(std::size_t row, const QString &note) { m_notes[row] = note; }
    void remove(std::size_t row) { m_notes.erase(row); }
    void clear() { m_notes.clear(); }

    // The first mark after (or before) `row`, round the ends; nothing when none is marked.
    // A row past the last (the grid's empty last row) finds the last mark backward.
    std::optional<std::size_t> after(std::size_t row) const;
    std::optional<std::size_t> before(std::size_t row) const;

    // The first `count` rows went: their marks go, the others move up with their rows.
    void dropFirst(std::size_t count);
    // Adds the marks of `other`, each moved `offset` rows on.
    void addShifted(const RowMarks &other, std::size_t offset);

private:
    Notes m_notes;
};
