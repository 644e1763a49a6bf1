// Makes large allocations fail inside a scope, to check that the D3DX entry
// points answer E_OUTOFMEMORY instead of letting std::bad_alloc escape. The
// test binary that links allocation_limit.cpp replaces the global operator new.
#pragma once

#include <cstddef>

namespace kl::test {

class ScopedAllocationLimit {
public:
    // Every operator new of more than maxBytes throws std::bad_alloc.
    explicit ScopedAllocationLimit(size_t maxBytes);
    ~ScopedAllocationLimit();
    ScopedAllocationLimit(const ScopedAllocationLimit&) = delete;
    ScopedAllocationLimit& operator=(const ScopedAllocationLimit&) = delete;

private:
    size_t previous_;
};

}  // namespace kl::test
