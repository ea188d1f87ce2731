#include "decode/MessageDetails.h"

#include <benchmark/benchmark.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes messageOf(Bytes bytes, std::size_t byteCount = 0)
{
    if (byteCount > bytes.size()) {
        bytes.resize(byteCount - 1, 0x11);
        bytes.push_back(0xF7);
    }
    return bytes;
}

// A keyboard player's traffic: clock and sensing, notes, a pedal, bends, aftertouch, a program
// change, and now and then a SysEx, of which the view decodes only the start of a long dump.
std::vector<Bytes> realisticMix()
{
    std::vector<Bytes> rows;
    for (std::uint8_t i = 0; i < 100; ++i) {
        rows.push_back(messageOf({0xF8}));
        rows.push_back(messageOf({0x90, std::uint8_t(36 + i % 48), std::uint8_t(1 + i)}));
        rows.push_back(messageOf({0x80, std::uint8_t(36 + i % 48), 0x40}));
        rows.push_back(messageOf({0xE0, i, 0x40}));
        rows.push_back(messageOf({0xB0, std::uint8_t(i % 2 ? 64 : 7), i}));
        rows.push_back(messageOf({0xD0, i}));
        rows.push_back(messageOf({0xFE}));
    }
    rows.push_back(messageOf({0xC0, 0x05}));
    rows.push_back(messageOf({0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x41, 0x10, 0x42, 0xF7}));
    rows.push_back(messageOf({0xF0, 0x43, 0x00, 0x09, 0x20, 0x00, 0x01, 0x02}, 4104));
    rows.push_back(messageOf({0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x60, 0xF7}));
    return rows;
}

} // namespace

// The words of every row, as an export or a painting view asks for them.
static void BM_MessageDetails(benchmark::State &state)
{
    const std::vector<Bytes> rows = realisticMix();
    for (auto _ : state)
        for (const Bytes &row : rows)
            benchmark::DoNotOptimize(MessageDetails::describe(row));
    state.SetItemsProcessed(std::int64_t(state.iterations() * rows.size()));
    state.SetLabel("rows");
}
BENCHMARK(BM_MessageDetails);
