// The process's memory as the long-run checks watch it.
#pragma once

#include <cstdint>

namespace kl::bench {

struct ProcessMemory {
    uint64_t residentBytes = 0;  // pages in memory (/proc/self/statm)
    uint64_t heapBytes = 0;      // bytes malloc has handed out and not had back
};

ProcessMemory MeasureProcessMemory();

}  // namespace kl::bench
