// A GL buffer for draw-time data from user memory (DrawPrimitiveUP and
// DrawIndexedPrimitiveUP). Each upload goes after the previous one and is
// written without waiting for the GPU, since no queued draw reads that range;
// when the buffer is full it gets fresh storage (the driver keeps the old one
// for the draws that still read it) and writing starts again at the front.
// Replacing the whole buffer per draw instead costs a new allocation each time.
// Vertices go at a multiple of their stride, so that a draw can keep the
// buffer bound at offset 0 and name its first vertex instead: rebinding the
// buffer at a new offset for every draw costs the driver several
// microseconds per draw.
#pragma once

#include <cstddef>

namespace kl::d3d9 {

class StreamBuffer {
public:
    // Both on the device's current context.
    void Create();
    void Destroy();

    unsigned Name() const { return name_; }
    // Copies `bytes` in; returns the offset of the copy, a multiple of
    // `alignment` (16 when not given).
    size_t Append(const void* data, size_t bytes, size_t alignment = 16);

private:
    void Renew(size_t capacity);

    unsigned name_ = 0;
    size_t capacity_ = 0;
    size_t used_ = 0;
};

}  // namespace kl::d3d9
