#include "modFilter.h"

namespace modFilter {
namespace {

    constexpr FilterItemInfo ItemInfos[FilterItemCount] = {
        {"mnu0", "1", "1"},
        {"mnu1", "2", "2"},
        {"mnu2", "3", "3"},
        {"mnu3", "4", "4"},
        {"mnu4", "5", "5"},
        {"mnu5", "6", "6"},
        {"mnu6", "7", "7"},
        {"mnu7", "8", "8"},
        {"mnu8", "9", "9"},
        {"mnu9", "10", "10"},
        {"mnu10", "11", "11"},
        {"mnu11", "12", "12"},
        {"mnu12", "13", "13"},
        {"mnu13", "14", "14"},
        {"mnu14", "15", "15"},
        {"mnu15", "16", "16"},
        {"mnuNoteOff", "Note Off", "note-off"},
        {"mnuNoteOn", "Note On", "note-on"},
        {"mnuKeyAfter", "Key Aftertouch", "key-aftertouch"},
        {"mnuCtrlChngChnMode", "Control Change and Channel Mode", "control-change"},
        {"mnuPrgChng", "Program Change", "program-change"},
        {"mnuChnAfter", "Channel Aftertouch", "channel-aftertouch"},
        {"mnuPitchBend", "Pitch Bend", "pitch-bend"},
        {"mnuSysEx", "System Exclusive", "sysex"},
        {"mnuSysCom", "System Common", "system-common"},
        {"mnuSysReal", "System Real Time", "real-time"},
        {"mnuActiveSense", "Active Sense", "active-sense"},
    };

    // The event items and what each blocks, in the order the table is built (and the
    // preferences file is written).
    struct EventRule
    {
        FilterItem item;
        std::int16_t typeNibble; // 0 when the item blocks a status range instead
        std::int16_t first, last;
    };

    constexpr EventRule EventRules[] = {
        {FilterItem::ActiveSense, 0, 0xFE, 0xFE},
        {FilterItem::ChannelAftertouch, 0xD, 0, 0},
        {FilterItem::KeyAftertouch, 0xA, 0, 0},
        {FilterItem::NoteOff, 0x8, 0, 0},
        {FilterItem::NoteOn, 0x9, 0, 0},
        {FilterItem::PitchBend, 0xE, 0, 0},
        {FilterItem::ProgramChange, 0xC, 0, 0},
        {FilterItem::SystemCommon, 0, 0xF1, 0xF7},
        {FilterItem::SystemExclusive, 0, 0xF0, 0xF0},
        {FilterItem::SystemRealTime, 0, 0xF8, 0xFF},
        {FilterItem::ControlChange, 0xB, 0, 0},
    };

    constexpr std::array<FilterItem, FilterItemCount> makeUpdateOrder()
    {
        std::array<FilterItem, FilterItemCount> order {};
        for (int channel = 0; channel < 16; ++channel)
            order[std::size_t(channel)] = channelItem(channel);
        for (std::size_t i = 0; i < std::size(EventRules); ++i)
            order[16 + i] = EventRules[i].item;
        return order;
    }

    constexpr std::array<FilterItem, FilterItemCount> UpdateOrderItems = makeUpdateOrder();

} // namespace

std::span<const FilterItem> UpdateOrder()
{
    return UpdateOrderItems;
}

const FilterItemInfo &itemInfo(FilterItem item)
{
    return ItemInfos[std::size_t(item)];
}

void ClearFilterTable(FilterTableType &table)
{
    table = {};
}

void FilterChannel(FilterTableType &table, std::int16_t channel)
{
    for (int type = 0x8; type <= 0xE; ++type)
        table[std::size_t(type)][std::size_t(channel)] = true;
}

void FilterEventType(FilterTableType &table, std::int16_t typeNibble)
{
    table[std::size_t(typeNibble)].fill(true);
}

void FilterStatusRange(FilterTableType &table, std::int16_t first, std::int16_t last)
{
    for (int high = 0; high < 16; ++high)
        for (int low = 0; low < 16; ++low) {
            const int status = high * 16 + low;
            if (status >= first && status <= last)
                table[std::size_t(high)][std::size_t(low)] = true;
        }
}

void ApplyFilter(const FilterTableType &table, const FilterTarget &target)
{
    target.setNoticeVisible(false);
    for (int high = 0; high < 16; ++high)
        for (int low = 0; low < 16; ++low) {
            const bool blocked = table[std::size_t(high)][std::size_t(low)];
            target.writeStatusFilter(high * 16 + low, blocked);
            if (blocked)
                target.setNoticeVisible(true);
        }
}

void UpdateFilter(const FilterChecks &checks, const FilterTarget &target)
{
    FilterTableType table;
    ClearFilterTable(table);
    for (std::int16_t channel = 0; channel < 16; ++channel)
        if (isChecked(checks, channelItem(channel)))
            FilterChannel(table, channel);
    for (const EventRule &rule : EventRules) {
        if (!isChecked(checks, rule.item))
            continue;
        if (rule.typeNibble)
            FilterEventType(table, rule.typeNibble);
        else
            FilterStatusRange(table, rule.first, rule.last);
    }
    ApplyFilter(table, target);
}

} // namespace modFilter
