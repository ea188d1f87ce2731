#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <span>

// Which channels and kinds of message the input component withholds. The Filter menu's
// check marks are the whole state; this module turns them into one flag per status byte.
namespace modFilter {

// The 27 checkable items of the Filter menu, in menu order.
enum class FilterItem : std::uint8_t {
    Channel1,
    Channel2,
    Channel3,
    Channel4,
    Channel5,
    Channel6,
    Channel7,
    Channel8,
    Channel9,
    Channel10,
    Channel11,
    Channel12,
    Channel13,
    Channel14,
    Channel15,
    Channel16,
    NoteOff,
    NoteOn,
    KeyAftertouch,
    ControlChange,
    ProgramChange,
    ChannelAftertouch,
    PitchBend,
    SystemExclusive,
    SystemCommon,
    SystemRealTime,
    ActiveSense,
};
constexpr std::size_t FilterItemCount = 27;

struct FilterItemInfo
{
    const char *objectName; // the menu item's name, also its key in the preferences file
    const char *caption;
    const char *word; // what the command line calls it: "10", "note-on"
};
const FilterItemInfo &itemInfo(FilterItem item);
constexpr FilterItem channelItem(int channelNibble)
{
    return FilterItem(channelNibble);
}

// Channels 1 to 16, then the event items in the order UpdateFilter applies them; the
// preferences file gets its keys in this order too.
std::span<const FilterItem> UpdateOrder();

// The check marks, indexed by FilterItem.
using FilterChecks = std::bitset<FilterItemCount>;
inline bool isChecked(const FilterChecks &checks, FilterItem item)
{
    return checks.test(std::size_t(item));
}

// Flag (high nibble, low nibble) of a status byte; true blocks it.
using FilterTableType = std::array<std::array<bool, 16>, 16>;

void ClearFilterTable(FilterTableType &table);
void FilterChannel(FilterTableType &table, std::int16_t channel);
void FilterEventType(FilterTableType &table, std::int16_t typeNibble);
void FilterStatusRange(FilterTableType &table, std::int16_t first, std::int16_t last);

// Where the table goes: the input component's StatusFilter, and the notice's visibility.
struct FilterTarget
{
    std::function<void(int status, bool withhold)> writeStatusFilter;
    std::function<void(bool visible)> setNoticeVisible;
};

// Writes all 256 flags in status order; the notice ends visible exactly when one is set.
void ApplyFilter(const FilterTableType &table, const FilterTarget &target);
// Builds the table from the check marks and applies it.
void UpdateFilter(const FilterChecks &checks, const FilterTarget &target);

} // namespace modFilter
