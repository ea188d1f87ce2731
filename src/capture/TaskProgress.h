#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

// What a long file task on a thread of its own shares with the window: how far it got, for
// the progress dialog, and whether the user cancelled it, which the task reads between
// chunks.
struct TaskProgress
{
    // In the task's own unit (rows, bytes); `total` is 0 until the task knows it.
    std::atomic<std::size_t> done {0};
    std::atomic<std::size_t> total {0};
    std::atomic<bool> cancelled {false};
    // Told on the task's thread whenever `done` or `total` moves.
    std::function<void(std::size_t done, std::size_t total)> report;

    void setTotal(std::size_t count)
    {
        total = count;
        tell();
    }
    void setDone(std::size_t count)
    {
        done = count;
        tell();
    }

private:
    void tell() const
    {
        if (report)
            report(done, total);
    }
};
