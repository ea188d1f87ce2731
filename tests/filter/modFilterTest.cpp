#include "filter/modFilter.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

using namespace modFilter;

namespace {

struct Applied
{
    std::vector<std::pair<int, bool>> writes;
    bool noticeVisible = true;

    std::set<int> blocked() const
    {
        std::set<int> statuses;
        for (auto [status, withhold] : writes)
            if (withhold)
                statuses.insert(status);
        return statuses;
    }
};

Applied update(const FilterChecks &checks)
{
    Applied applied;
    UpdateFilter(checks,
        {[&](int status, bool withhold) { applied.writes.emplace_back(status, withhold); },
            [&](bool visible) { applied.noticeVisible = visible; }});
    return applied;
}

Applied update(std::initializer_list<FilterItem> checked)
{
    FilterChecks checks;
    for (FilterItem item : checked)
        checks.set(std::size_t(item));
    return update(checks);
}

std::set<int> range(int first, int last, std::set<int> more = {})
{
    for (int s = first; s <= last; ++s)
        more.insert(s);
    return more;
}

std::set<int> typeNibble(int type, std::set<int> more = {})
{
    return range(type * 16, type * 16 + 15, std::move(more));
}

} // namespace

TEST(Filter, EachItemBlocksExactlyItsStatusesAndEveryUpdateWritesAll256InOrder)
{
    const struct
    {
        std::initializer_list<FilterItem> checked;
        std::set<int> blocked;
        const char *why;
    } cases[] = {
        {{}, {}, "nothing checked blocks nothing"},
        {{FilterItem::Channel1}, {0x80, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0},
            "channel 1 is nibble 0"},
        {{FilterItem::Channel16}, {0x8F, 0x9F, 0xAF, 0xBF, 0xCF, 0xDF, 0xEF}, "channel 16"},
        {{FilterItem::NoteOff}, typeNibble(0x8), "note off"},
        {{FilterItem::NoteOn}, typeNibble(0x9), "note on"},
        {{FilterItem::KeyAftertouch}, typeNibble(0xA), "key aftertouch"},
        {{FilterItem::ControlChange}, typeNibble(0xB), "control change and mode"},
        {{FilterItem::ProgramChange}, typeNibble(0xC), "program change"},
        {{FilterItem::ChannelAftertouch}, typeNibble(0xD), "channel aftertouch"},
        {{FilterItem::PitchBend}, typeNibble(0xE), "pitch bend"},
        {{FilterItem::SystemExclusive}, {0xF0}, "SysEx is F0 alone"},
        {{FilterItem::SystemCommon}, range(0xF1, 0xF7), "EOX belongs to system common"},
        {{FilterItem::SystemRealTime}, range(0xF8, 0xFF), "real time includes active sense"},
        {{FilterItem::ActiveSense}, {0xFE}, "active sense alone"},
        {{FilterItem::ActiveSense, FilterItem::SystemRealTime}, range(0xF8, 0xFF), "both"},
        {{FilterItem::NoteOn, FilterItem::Channel3},
            typeNibble(0x9, {0x82, 0xA2, 0xB2, 0xC2, 0xD2, 0xE2}),
            "a union: the channel adds, never takes away"},
    };
    for (const auto &c : cases) {
        const Applied applied = update(c.checked);
        EXPECT_EQ(applied.blocked(), c.blocked) << c.why;
        EXPECT_EQ(applied.noticeVisible, !c.blocked.empty()) << c.why;
        ASSERT_EQ(applied.writes.size(), 256u) << "every update writes every setting";
        for (int status = 0; status < 256; ++status)
            EXPECT_EQ(applied.writes[std::size_t(status)].first, status) << "in order";
    }
    EXPECT_EQ(update(FilterChecks().set()).blocked(), range(0x80, 0xFF)) << "never a data byte";
}
