#pragma once

#include "TransportWatch.h"

#include <QString>
#include <utility>
#include <vector>

// The timing readout in words: one line for the status bar, and the panel's rows.
namespace TimingText {

// "120.0 BPM ±12 µs | Started 3:2:1 | 01:02:03:04 25 fps"; empty when nothing is shown.
QString statusLine(const TransportWatch::Readout &readout);

// The panel's rows as (caption, value); the values read "—" for what is not shown.
std::vector<std::pair<QString, QString>> panelRows(const TransportWatch::Readout &readout);

QString timecode(const Timecode &time);
QString position(const TransportWatch::Position &position);

} // namespace TimingText
