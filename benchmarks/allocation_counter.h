// Counts the heap allocations of this process: the C library's allocation functions are
// replaced by counting ones (operator new allocates through them too).
#pragma once

// Allocations made so far by any thread.
long AllocationCount();

// False when an allocation by operator new or by malloc went uncounted, so that a count of
// zero can be believed.
bool AllocationCounterWorks();
