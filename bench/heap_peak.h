#pragma once
// Heap use of the benchmark program, counted by its own operator new and delete.
#include <cstddef>

/// Starts a measurement: the peak is set to what is allocated now.
void ResetHeapPeak();
/// Most bytes allocated at once since ResetHeapPeak, less what was allocated then.
std::size_t HeapPeakGrowth();
