// Saved with Get* calls, which add a reference to the objects they return;
// the references are dropped once the objects are bound again. Stream 0 is
// saved too because DrawPrimitiveUP leaves it unset.
#include "d3dx9/font/saved_device_state.h"

namespace kl::d3dx9::font {

const std::array<D3DRENDERSTATETYPE, 14> SavedDeviceState::kRenderStates = {
    D3DRS_ALPHABLENDENABLE,
    D3DRS_SRCBLEND,
    D3DRS_DESTBLEND,
    D3DRS_BLENDOP,
    D3DRS_SEPARATEALPHABLENDENABLE,
    D3DRS_ALPHATESTENABLE,
    D3DRS_ZENABLE,
    D3DRS_ZWRITEENABLE,
    D3DRS_CULLMODE,
    D3DRS_STENCILENABLE,
    D3DRS_FILLMODE,
    D3DRS_COLORWRITEENABLE,
    D3DRS_SCISSORTESTENABLE,
    D3DRS_SRGBWRITEENABLE,
};

const std::array<D3DSAMPLERSTATETYPE, 6> SavedDeviceState::kSamplerStates = {
    D3DSAMP_ADDRESSU,  D3DSAMP_ADDRESSV,  D3DSAMP_MAGFILTER,
    D3DSAMP_MINFILTER, D3DSAMP_MIPFILTER, D3DSAMP_SRGBTEXTURE,
};

SavedDeviceState::SavedDeviceState(IDirect3DDevice9* device) : device_(device) {
    for (size_t i = 0; i < kRenderStates.size(); ++i) {
        device_->GetRenderState(kRenderStates[i], &renderValues_[i]);
    }
    for (size_t i = 0; i < kSamplerStates.size(); ++i) {
        device_->GetSamplerState(0, kSamplerStates[i], &samplerValues_[i]);
    }
    device_->GetTexture(0, &texture_);
    device_->GetVertexDeclaration(&declaration_);
    device_->GetFVF(&fvf_);
    device_->GetStreamSource(0, &stream_, &streamOffset_, &streamStride_);
}

SavedDeviceState::~SavedDeviceState() {
    for (size_t i = 0; i < kRenderStates.size(); ++i) {
        device_->SetRenderState(kRenderStates[i], renderValues_[i]);
    }
    for (size_t i = 0; i < kSamplerStates.size(); ++i) {
        device_->SetSamplerState(0, kSamplerStates[i], samplerValues_[i]);
    }
    device_->SetTexture(0, texture_);
    // An FVF set by the application stands for its own declaration; setting
    // the FVF again restores both.
    if (fvf_ != 0) {
        device_->SetFVF(fvf_);
    } else {
        device_->SetVertexDeclaration(declaration_);
    }
    device_->SetStreamSource(0, stream_, streamOffset_, streamStride_);
    if (texture_ != nullptr) texture_->Release();
    if (declaration_ != nullptr) declaration_->Release();
    if (stream_ != nullptr) stream_->Release();
}

}  // namespace kl::d3dx9::font
