// Vertex and index buffers: a GL buffer with a memory copy that Lock hands
// out; Unlock sends the locked range to GL.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "d3d9/resource.h"

namespace kl::d3d9 {

// The storage both buffer kinds share.
class BufferStorage {
public:
    BufferStorage(Device* device, UINT length);
    ~BufferStorage();
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();
    unsigned GlName() const { return glBuffer_; }
    UINT Length() const { return static_cast<UINT>(memory_.size()); }

private:
    Device* device_;
    unsigned glBuffer_ = 0;
    std::vector<uint8_t> memory_;
    int locks_ = 0;
    UINT dirtyBegin_ = 0, dirtyEnd_ = 0;
};

class VertexBuffer final : public DeviceResource<IDirect3DVertexBuffer9> {
public:
    VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override {
        return storage_.Lock(offset, size, data, flags);
    }
    HRESULT STDMETHODCALLTYPE Unlock() override { return storage_.Unlock(); }
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    unsigned GlName() const { return storage_.GlName(); }

private:
    ~VertexBuffer() override;
    BufferStorage storage_;
    DWORD usage_, fvf_;
};

class IndexBuffer final : public DeviceResource<IDirect3DIndexBuffer9> {
public:
    IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override {
        return storage_.Lock(offset, size, data, flags);
    }
    HRESULT STDMETHODCALLTYPE Unlock() override { return storage_.Unlock(); }
    HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* desc) override;
    unsigned GlName() const { return storage_.GlName(); }
    D3DFORMAT Format() const { return format_; }

private:
    ~IndexBuffer() override;
    BufferStorage storage_;
    DWORD usage_;
    D3DFORMAT format_;
};

}  // namespace kl::d3d9
