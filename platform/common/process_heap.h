// How the process's heap gives memory back to the system.
#pragma once

namespace kl::platform {

// Sets glibc's heap from the start to where its own adaptive thresholds end
// up at most: blocks under 32 MB come from the heap, and up to 64 MB of freed
// memory at the heap's top is kept for reuse. The software GL driver frees
// and reallocates megabytes of scene memory every frame (tens of megabytes
// when a frame has hundreds of draws); with the thresholds still low, the
// heap top shrank and grew again each frame, and the page faults of touching
// the regrown pages could double a frame's time, depending only on where the
// heap top happened to fall. Called once, at the start of the process.
void KeepFreedHeapForReuse();

}  // namespace kl::platform
