#pragma once

#include "capture/CaptureStore.h"

#include <vector>

// A row as a test writes it: what crossed the wire, whence, and when.
struct StoredRow
{
    Origin origin;
    std::vector<std::uint8_t> bytes;
    std::int64_t stampUs = 0;
    CaptureStore::Source source = 0;
};

inline void store(CaptureStore &rows, const std::vector<StoredRow> &stored)
{
    for (const StoredRow &row : stored)
        rows.append(row.origin, row.source, row.stampUs, row.bytes);
}
