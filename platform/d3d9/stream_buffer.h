// A GL buffer for draw-time data from user memory (DrawPrimitiveUP and
// DrawIndexedPrimitiveUP). Each upload goes after the previous one and is
// written without waiting for the GPU, since no queued draw reads that range;
// when the buffer is full it gets fresh storage (the driver keeps the old one
// for the draws that still read it) and writing starts again at the front.
// Replacing the whole buffer per draw instead costs a new allocation each time.
#pragma once

#include <cstddef>

namespace kl::d3d9 {

class StreamBuffer {
public:
    // Both on the device's current context.
    void Create();
    void Destroy();

    unsigned Name() const { return name_; }
    // Copies `bytes` in; returns the offset of the copy, a multiple of 16.
    size_t Append(const void* data, size_t bytes);

private:
    void Renew(size_t capacity);

    unsigned name_ = 0;
    size_t capacity_ = 0;
    size_t used_ = 0;
};

}  // namespace kl::d3d9
