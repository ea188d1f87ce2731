#pragma once

#include <cstdint>

// Values written to a port's Command member. The numbers are part of the port interface.
constexpr std::int16_t CommandOpen = 1;
constexpr std::int16_t CommandClose = 2;
constexpr std::int16_t CommandStart = 4; // input: start receiving
constexpr std::int16_t CommandDropCurrent = 6; // input: drop the current message
constexpr std::int16_t CommandSend = 7; // output: send the message the members describe
