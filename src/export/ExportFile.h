#pragma once

#include "files/SafeFile.h"

#include <QString>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CaptureStore;
class QIODevice;

// What every export shares: writing a file whole or not at all (SafeFile::saveWhole), and the
// words of the confirmation that follows.
namespace ExportFile {

// What a save that counts what it wrote reports: the counts, or the reason it failed.
template<typename Counts>
struct Saved
{
    Counts counts;
    QString error; // empty when the file was saved
};

// SafeFile::saveWhole() for a writer that returns its counts, or nothing when the device refused a
// write.
template<typename Counts>
Saved<Counts> saveCounting(
    const QString &path, const std::function<std::optional<Counts>(QIODevice &)> &write)
{
    Saved<Counts> saved {};
    saved.error = SafeFile::saveWhole(path, [&](QIODevice &out) {
        const std::optional<Counts> counts = write(out);
        if (counts)
            saved.counts = *counts;
        return counts.has_value();
    });
    return saved;
}

// The name of each source in UTF-8, by source, when rows arrived from more than one: what the
// text exports add to each row then. Empty for the traffic of one input, whose exports stay
// as they always were.
std::vector<std::string> namesOfSeveralSources(const CaptureStore &rows);
// The name of each source in UTF-8, by source, whether rows came from it or not.
std::vector<std::string> namesOfSources(const CaptureStore &rows);

// The names of a store's sources, in UTF-8 and shaped as a writer writes them, named again
// only when the store has new sources: for a writer called as rows come.
class SourceNames
{
public:
    using Shape = std::function<std::string(const std::string &name)>;
    explicit SourceNames(Shape shape = {});

    // By source.
    const std::vector<std::string> &of(const CaptureStore &rows);

private:
    Shape m_shape;
    std::vector<std::string> m_names;
    std::size_t m_named = 0; // how many sources the store had when they were named
};

// "1 SysEx message", "12 SysEx messages".
QString countOf(std::size_t count, const QString &singular, const QString &plural);

} // namespace ExportFile
