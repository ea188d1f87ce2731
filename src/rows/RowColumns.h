#pragma once

// The cells of a grid row, in the order the grid shows them, and the titles the grid and
// the exports give them.
namespace RowColumns {

enum Column : int { Timestamp, Status, Data1, Data2, Channel, Event, SysExData, Count };

inline constexpr const char *Titles[Count]
    = {"Timestamp", "Status", "Data 1", "Data 2", "Channel", "Event", "SysEx Data"};

} // namespace RowColumns
