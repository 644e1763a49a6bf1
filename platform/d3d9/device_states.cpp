// State setters and getters: they only store (and mark dirty); GL sees the
// state at the next draw.

#include "common/log.h"
#include "d3d9/buffers.h"
#include "d3d9/device.h"
#include "d3d9/surface.h"
#include "d3d9/vertex_declaration.h"

namespace kl::d3d9 {

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (!states_.SetRenderState(state, value)) {
        platform::Log(platform::LogLevel::Warning, "Direct3D: render state %lu out of range",
                      static_cast<unsigned long>(state));
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (!value || static_cast<DWORD>(state) >= kRenderStateCount) return D3DERR_INVALIDCALL;
    *value = states_.RenderState(state);
    return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    return states_.SetSamplerState(SamplerSlot(sampler), type, value) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    const DWORD slot = SamplerSlot(sampler);
    if (!value || slot >= kSamplerCount || type == 0 ||
        static_cast<DWORD>(type) >= kSamplerStateCount)
        return D3DERR_INVALIDCALL;
    *value = states_.SamplerState(slot, type);
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    const DWORD slot = SamplerSlot(stage);
    if (slot >= kSamplerCount) return D3DERR_INVALIDCALL;
    textures_[slot] = texture;
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
    const DWORD slot = SamplerSlot(stage);
    if (!texture || slot >= kSamplerCount) return D3DERR_INVALIDCALL;
    *texture = textures_[slot];
    if (*texture) (*texture)->AddRef();
    return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    const UINT width = renderTarget_->Width(), height = renderTarget_->Height();
    if (viewport->Width == 0 || viewport->Height == 0 || viewport->X + viewport->Width > width ||
        viewport->Y + viewport->Height > height || viewport->MinZ < 0.0f || viewport->MaxZ > 1.0f ||
        viewport->MinZ > viewport->MaxZ)
        return D3DERR_INVALIDCALL;
    viewport_ = *viewport;
    viewportDirty_ = true;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = viewport_;
    return D3D_OK;
}

HRESULT Device::SetScissorRect(const RECT* rect) {
    if (!rect || rect->left > rect->right || rect->top > rect->bottom) return D3DERR_INVALIDCALL;
    scissor_ = *rect;
    viewportDirty_ = true;
    return D3D_OK;
}

HRESULT Device::GetScissorRect(RECT* rect) {
    if (!rect) return D3DERR_INVALIDCALL;
    *rect = scissor_;
    return D3D_OK;
}

HRESULT Device::SetFVF(DWORD fvf) {
    fvf_ = fvf;
    declaration_ = nullptr;
    declarationSet_ = false;
    return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* fvf) {
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = fvf_;
    return D3D_OK;
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    declaration_ = static_cast<VertexDeclaration*>(declaration);
    declarationSet_ = declaration_ != nullptr;
    declarationElements_ =
        declaration_ ? declaration_->Elements() : std::vector<D3DVERTEXELEMENT9>{};
    // A declaration made for an FVF code brings the code back with it, so
    // saving and restoring the declaration also restores SetFVF's state.
    fvf_ = declaration_ ? declaration_->Fvf() : 0;
    return D3D_OK;
}

HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) {
    if (!declaration) return D3DERR_INVALIDCALL;
    *declaration = declaration_;
    if (declaration_) {
        declaration_->AddRef();
    } else if (!declarationSet_ && fvf_) {
        // Direct3D describes an FVF code by a declaration of its own.
        *declaration = new VertexDeclaration(this, ElementsFromFvf(fvf_), fvf_);
    }
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                UINT stride) {
    if (stream >= streams_.size()) return D3DERR_INVALIDCALL;
    streams_[stream] = static_cast<VertexBuffer*>(buffer);
    streamOffsets_[stream] = offset;
    streamStrides_[stream] = stride;
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                UINT* stride) {
    if (stream >= streams_.size() || !buffer || !offset || !stride) return D3DERR_INVALIDCALL;
    *buffer = streams_[stream];
    if (*buffer) (*buffer)->AddRef();
    *offset = streamOffsets_[stream];
    *stride = streamStrides_[stream];
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* buffer) {
    indices_ = static_cast<IndexBuffer*>(buffer);
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = indices_;
    if (indices_) indices_->AddRef();
    return D3D_OK;
}

HRESULT Device::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT Device::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

}  // namespace kl::d3d9
