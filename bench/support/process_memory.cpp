#include "process_memory.h"

#include <malloc.h>
#include <unistd.h>

#include <fstream>

namespace kl::bench {

ProcessMemory MeasureProcessMemory() {
    ProcessMemory memory;
    std::ifstream statm("/proc/self/statm");
    uint64_t totalPages = 0, residentPages = 0;
    if (statm >> totalPages >> residentPages)
        memory.residentBytes = residentPages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    const struct mallinfo2 heap = mallinfo2();
    memory.heapBytes = heap.uordblks + heap.hblkhd;
    return memory;
}

}  // namespace kl::bench
