#include "d3d9/stream_buffer.h"

#include <GL/glcorearb.h>

#include <cstring>

namespace kl::d3d9 {

namespace {

constexpr size_t kInitialCapacity = size_t{1} << 20;

size_t AlignUp(size_t value, size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

}  // namespace

void StreamBuffer::Create() {
    glCreateBuffers(1, &name_);
    Renew(kInitialCapacity);
}

void StreamBuffer::Destroy() {
    glDeleteBuffers(1, &name_);
    name_ = 0;
    capacity_ = used_ = 0;
}

void StreamBuffer::Renew(size_t capacity) {
    capacity_ = capacity;
    used_ = 0;
    glNamedBufferData(name_, static_cast<GLsizeiptr>(capacity_), nullptr, GL_STREAM_DRAW);
}

size_t StreamBuffer::Append(const void* data, size_t bytes, size_t alignment) {
    size_t offset = AlignUp(used_, alignment == 0 ? 1 : alignment);
    if (offset + bytes > capacity_) {
        size_t capacity = capacity_;
        while (capacity < bytes) capacity *= 2;
        Renew(capacity);
        offset = 0;
    }
    void* target = glMapNamedBufferRange(
        name_, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes),
        GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
    if (target != nullptr) {
        std::memcpy(target, data, bytes);
        glUnmapNamedBuffer(name_);
    }
    used_ = offset + bytes;
    return offset;
}

}  // namespace kl::d3d9
