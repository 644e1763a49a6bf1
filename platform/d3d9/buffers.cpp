#include "d3d9/buffers.h"

#include <GL/glcorearb.h>

#include <algorithm>

namespace kl::d3d9 {

BufferStorage::BufferStorage(Device* device, UINT length) : device_(device), memory_(length, 0) {
    device_->MakeCurrent();
    glCreateBuffers(1, &glBuffer_);
    glNamedBufferData(glBuffer_, length, memory_.data(), GL_DYNAMIC_DRAW);
}

BufferStorage::~BufferStorage() {
    device_->MakeCurrent();
    glDeleteBuffers(1, &glBuffer_);
}

HRESULT BufferStorage::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    const UINT length = Length();
    if (offset > length) return D3DERR_INVALIDCALL;
    // A size of 0 locks everything from the offset on.
    const UINT end = size == 0 ? length : offset + size;
    if (end > length || end < offset) return D3DERR_INVALIDCALL;
    if (!(flags & D3DLOCK_READONLY)) {
        if (locks_ == 0 || dirtyBegin_ == dirtyEnd_) {
            dirtyBegin_ = offset, dirtyEnd_ = end;
        } else {
            dirtyBegin_ = std::min(dirtyBegin_, offset), dirtyEnd_ = std::max(dirtyEnd_, end);
        }
    }
    ++locks_;
    *data = memory_.data() + offset;
    return D3D_OK;
}

HRESULT BufferStorage::Unlock() {
    if (locks_ == 0) return D3DERR_INVALIDCALL;
    if (--locks_ > 0) return D3D_OK;
    if (dirtyEnd_ > dirtyBegin_) {
        device_->MakeCurrent();
        glNamedBufferSubData(glBuffer_, dirtyBegin_, dirtyEnd_ - dirtyBegin_,
                             memory_.data() + dirtyBegin_);
    }
    dirtyBegin_ = dirtyEnd_ = 0;
    return D3D_OK;
}

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : DeviceResource(device, pool), storage_(device, length), usage_(usage), fvf_(fvf) {}

VertexBuffer::~VertexBuffer() {
    device_->ForgetVertexBuffer(this);
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage_, pool_, storage_.Length(), fvf_};
    return D3D_OK;
}

IndexBuffer::IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : DeviceResource(device, pool), storage_(device, length), usage_(usage), format_(format) {}

IndexBuffer::~IndexBuffer() {
    device_->ForgetIndexBuffer(this);
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {format_, D3DRTYPE_INDEXBUFFER, usage_, pool_, storage_.Length()};
    return D3D_OK;
}

}  // namespace kl::d3d9
