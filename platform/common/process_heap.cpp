#include "common/process_heap.h"

#include <malloc.h>

namespace kl::platform {

namespace {

constexpr int kKeptAtHeapTop = 16 << 20;
// Each time the heap grows it takes this much more, so that growth happens
// rarely rather than a little every frame.
constexpr int kGrowthMargin = 4 << 20;

}  // namespace

void KeepFreedHeapForReuse() {
    mallopt(M_TRIM_THRESHOLD, kKeptAtHeapTop);
    mallopt(M_TOP_PAD, kGrowthMargin);
}

}  // namespace kl::platform
