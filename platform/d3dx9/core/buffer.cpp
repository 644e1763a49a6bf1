// ID3DXBuffer: a reference-counted block of bytes that D3DX hands to the
// application (materials, adjacency, effect instances, messages). The bytes
// start zeroed and are aligned for any of the structures stored in them.
#include <d3dx9.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

class Buffer final : public ID3DXBuffer {
public:
    static Buffer* Create(DWORD size) {
        void* bytes = size == 0 ? nullptr : std::calloc(size, 1);
        if (size != 0 && bytes == nullptr) return nullptr;
        Buffer* buffer = new (std::nothrow) Buffer(bytes, size);
        if (buffer == nullptr) std::free(bytes);
        return buffer;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppvObject) override {
        // Our headers declare no interface ids, so no other interface can be asked for.
        if (ppvObject != nullptr) *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return bytes_; }
    DWORD STDMETHODCALLTYPE GetBufferSize() override { return size_; }

private:
    Buffer(void* bytes, DWORD size) : bytes_(bytes), size_(size) {}
    ~Buffer() { std::free(bytes_); }

    std::atomic<ULONG> refs_{1};
    void* bytes_;
    DWORD size_;
};

}  // namespace

extern "C" HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer) {
    if (ppBuffer == nullptr) return D3DERR_INVALIDCALL;
    *ppBuffer = Buffer::Create(NumBytes);
    return *ppBuffer != nullptr ? S_OK : E_OUTOFMEMORY;
}
