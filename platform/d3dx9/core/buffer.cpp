// ID3DXBuffer: a reference-counted block of bytes that D3DX hands to the
// application (materials, adjacency, effect instances, messages). The bytes
// start zeroed and are aligned for any of the structures stored in them.
#include <d3dx9.h>

#include <cstdlib>
#include <new>

#include "common/com_object.h"

namespace {

class Buffer final : public kl::platform::ComObject<ID3DXBuffer> {
public:
    static Buffer* Create(DWORD size) {
        void* bytes = size == 0 ? nullptr : std::calloc(size, 1);
        if (size != 0 && bytes == nullptr) return nullptr;
        Buffer* buffer = new (std::nothrow) Buffer(bytes, size);
        if (buffer == nullptr) std::free(bytes);
        return buffer;
    }

    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return bytes_; }
    DWORD STDMETHODCALLTYPE GetBufferSize() override { return size_; }

private:
    Buffer(void* bytes, DWORD size) : bytes_(bytes), size_(size) {}
    ~Buffer() { std::free(bytes_); }

    void* bytes_;
    DWORD size_;
};

}  // namespace

extern "C" HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer) {
    if (ppBuffer == nullptr) return D3DERR_INVALIDCALL;
    *ppBuffer = Buffer::Create(NumBytes);
    return *ppBuffer != nullptr ? S_OK : E_OUTOFMEMORY;
}
