#include "common/process_heap.h"

#include <malloc.h>

namespace kl::platform {

namespace {

// Free memory at the top of the heap beyond this goes back to the system.
constexpr int kKeptAtHeapTop = 16 << 20;
// Each time the heap grows it takes this much more, so that it grows rarely
// rather than a little every frame.
constexpr int kGrowthMargin = 4 << 20;
// Blocks this large or larger get pages of their own, returned when freed.
// Setting the two values above turns off glibc's adaptive choice of this
// threshold, which would otherwise stay at its 128 KB start.
constexpr int kOwnPagesFrom = 8 << 20;

}  // namespace

void KeepFreedHeapForReuse() {
    mallopt(M_TRIM_THRESHOLD, kKeptAtHeapTop);
    mallopt(M_TOP_PAD, kGrowthMargin);
    mallopt(M_MMAP_THRESHOLD, kOwnPagesFrom);
}

}  // namespace kl::platform
