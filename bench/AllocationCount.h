#pragma once
// Heap allocations through operator new in the benchmark binary, counted
// while counting is on (the replacement lives in AllocationCount.cpp).
#include <cstddef>

void StartCountingAllocations();
/// Stops counting and answers how many allocations were made since the start.
size_t StopCountingAllocations();
