#include "cli/TrafficWords.h"

#include "cli/ToolLine.h"

#include <gtest/gtest.h>

namespace {

CaptureOptions captureOptions(const QStringList &options)
{
    const ToolLine::Parsed parsed
        = ToolLine::parse(QStringList {"lumetra", "capture", "--in", "Keys"} + options);
    const auto *read = std::get_if<CaptureOptions>(&parsed);
    if (!read)
        ADD_FAILURE() << std::get<ToolLine::Refusal>(parsed).reason.toStdString();
    return read ? *read : CaptureOptions {};
}

bool keeps(const TrafficSelection &selection, std::vector<std::uint8_t> bytes,
    const QString &source = "Keys")
{
    return selection.keeps({Origin::Received, 0, 0, bytes}, source);
}

} // namespace

// The Filter menu's words stay with the menu, which leaves out what it names before it is
// taken in; Find's words the menu has none for are left out by the capture.
TEST(TrafficWords, FilterTakesTheMenusWordsFindsKindsChannelsAndInputs)
{
    const CaptureOptions options
        = captureOptions({"--filter", "note-on,ch 3, cc ,Pads", "--filter", "clock,16"});
    using Item = modFilter::FilterItem;
    EXPECT_TRUE(modFilter::isChecked(options.filter, Item::NoteOn));
    EXPECT_EQ(options.filter.count(), 3u) << "note-on, channel 3 and channel 16";
    EXPECT_EQ(options.withheldInputs, QStringList {"Pads"});
    const TrafficSelection &selection = options.selection;
    EXPECT_FALSE(keeps(selection, {0xB5, 0x07, 0x64})) << "cc";
    EXPECT_FALSE(keeps(selection, {0xF8})) << "clock";
    EXPECT_TRUE(keeps(selection, {0xFA})) << "start";
    EXPECT_TRUE(keeps(selection, {0xC0, 0x05}));
}

TEST(TrafficWords, OnlyKeepsWhatAWordOfEachOnlyNames)
{
    const struct
    {
        QStringList options;
        std::vector<std::uint8_t> bytes;
        QString source;
        bool kept;
    } cases[] = {
        {{"--only", "cc"}, {0xB3, 0x07, 0x64}, "Keys", true},
        {{"--only", "cc"}, {0x93, 0x3C, 0x7F}, "Keys", false},
        {{"--only", "sysex,clock"}, {0xF8}, "Keys", true}, // either word
        {{"--only", "sysex,clock"}, {0xFE}, "Keys", false},
        {{"--only", "note-on"}, {0x90, 0x3C, 0x00}, "Keys", false}, // velocity 0 is a note off
        {{"--only", "Note Off"}, {0x90, 0x3C, 0x00}, "Keys", true},
        {{"--only", "channel 2"}, {0xE1, 0x00, 0x40}, "Keys", true},
        {{"--only", "channel 2"}, {0xF8}, "Keys", false}, // system messages have no channel
        {{"--only", "cc", "--only", "ch 2"}, {0xB1, 0x07, 0x64}, "Keys", true}, // both met
        {{"--only", "cc", "--only", "ch 2"}, {0xB0, 0x07, 0x64}, "Keys", false},
        {{"--only", "cc", "--only", "ch 2"}, {0x91, 0x3C, 0x7F}, "Keys", false},
        {{"--only", "Pads"}, {0xF8}, "Pads", true}, // an input's name
        {{"--only", "Pads"}, {0xF8}, "Keys", false},
        {{"--only", "cc", "--filter", "ch 1"}, {0xB1, 0x07, 0x64}, "Keys", true},
        {{"--only", "pc", "--filter", "pitch"}, {0xC1, 0x07}, "Keys", true},
    };
    for (const auto &c : cases) {
        const CaptureOptions options = captureOptions(c.options);
        EXPECT_EQ(keeps(options.selection, c.bytes, c.source), c.kept)
            << c.options.join(' ').toStdString() << " " << int(c.bytes[0]);
    }
    EXPECT_FALSE(captureOptions({}).selection.any());
}
