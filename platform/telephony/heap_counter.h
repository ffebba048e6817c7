// Counts the heap calls the application's executable makes, for the soak's figures: the
// executable's imports of the C library's malloc, calloc, realloc and free are pointed at
// counting versions (operator new of the static runtime allocates through them too).
#pragma once

#include <windows.h>

#include <cstdint>

struct HeapCounts {
    std::int64_t allocations = 0;  // blocks handed out, realloc of a block included
    std::int64_t frees = 0;        // blocks given back, realloc of a block included
    std::int64_t liveBytes = 0;    // bytes handed out and not given back since counting began
};

// Starts counting the calls of this module (the executable); false when it imports none of the
// four. Calls before it, and frees of blocks allocated before it, count as well, by their size.
[[nodiscard]] bool CountHeapCallsOf(HMODULE module);

// The counts so far; false when nothing is counted.
bool CurrentHeapCounts(HeapCounts& counts);
