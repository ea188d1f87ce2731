#pragma once

#include <atomic>
#include <cstddef>

// What a long file task on a thread of its own shares with the window: how far it got, for
// the progress dialog, and whether the user cancelled it, which the task reads between
// chunks.
struct TaskProgress
{
    // In the task's own unit (rows, bytes); `total` is 0 until the task knows it.
    std::atomic<std::size_t> done {0};
    std::atomic<std::size_t> total {0};
    std::atomic<bool> cancelled {false};
};
