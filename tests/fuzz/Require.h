#pragma once

#include <cstdlib>

// A fuzz harness's check: a broken promise is a crash the fuzzer keeps, and a replay fails.
inline void require(bool condition)
{
    if (!condition)
        std::abort();
}
