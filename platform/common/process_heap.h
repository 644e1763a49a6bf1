// How the process's heap gives memory back to the system.
#pragma once

namespace kl::platform {

// Keeps up to 16 MB of freed memory at the top of the heap instead of
// returning it at once. The software GL driver frees and reallocates several
// megabytes of scene memory every frame; with glibc's default (return
// anything over 128 KB) the heap shrinks and grows again each frame, and
// touching the fresh pages costs page faults that, depending on where the
// heap top happens to fall, can double the time of a small frame.
// Called once, at the start of the process.
void KeepFreedHeapForReuse();

}  // namespace kl::platform
