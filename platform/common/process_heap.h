// How the process's heap gives memory back to the system.
#pragma once

namespace kl::platform {

// Keeps freed memory in the heap for reuse instead of returning it to the
// system at once. The software GL driver frees and reallocates megabytes of
// scene memory every frame; with glibc's defaults the heap top shrank and grew
// again each frame, and the page faults of touching the regrown pages could
// double the time of a small frame, depending only on where the heap top
// happened to fall. Blocks of up to 8 MB (textures, meshes) come from the heap
// too, as glibc's own adaptive threshold would soon have them, so that
// re-creating the device's resources reuses memory instead of mapping fresh
// pages. Called once, at the start of the process.
void KeepFreedHeapForReuse();

}  // namespace kl::platform
