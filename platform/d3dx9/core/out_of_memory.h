// D3DX entry points are called from C and COM code that cannot catch C++
// exceptions: an allocation that fails inside one is answered with
// E_OUTOFMEMORY instead of letting std::bad_alloc cross the API.
#pragma once

#include <windows.h>

#include <new>
#include <utility>

namespace kl::d3dx9 {

// Runs body; when it throws std::bad_alloc, runs undo (which releases what
// body handed out so far) and answers E_OUTOFMEMORY.
template <typename Body, typename Undo>
HRESULT AnswerOutOfMemory(Body&& body, Undo&& undo) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        std::forward<Undo>(undo)();
        return E_OUTOFMEMORY;
    }
}

template <typename Body>
HRESULT AnswerOutOfMemory(Body&& body) noexcept {
    return AnswerOutOfMemory(std::forward<Body>(body), [] {});
}

}  // namespace kl::d3dx9
