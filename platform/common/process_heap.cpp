#include "common/process_heap.h"

#include <malloc.h>

namespace kl::platform {

namespace {

// Blocks this large or larger get pages of their own, returned when freed:
// the largest value glibc's adaptive threshold takes on 64-bit systems.
constexpr int kOwnPagesFrom = 32 << 20;
// Free memory at the top of the heap beyond this goes back to the system:
// twice the threshold above, as glibc pairs them.
constexpr int kKeptAtHeapTop = 64 << 20;
// Each time the heap grows it takes this much more, so that it grows rarely
// rather than a little every frame.
constexpr int kGrowthMargin = 4 << 20;

}  // namespace

// Setting any of these turns glibc's adaptive thresholds off, so all three
// are set together.
void KeepFreedHeapForReuse() {
    mallopt(M_MMAP_THRESHOLD, kOwnPagesFrom);
    mallopt(M_TRIM_THRESHOLD, kKeptAtHeapTop);
    mallopt(M_TOP_PAD, kGrowthMargin);
}

}  // namespace kl::platform
