// The device's shadow of Direct3D render and sampler states. Set calls only
// compare and mark a group dirty; Flush turns the dirty groups into GL state
// at draw time and skips GL calls whose value GL already holds.
#pragma once

#include <d3d9.h>

#include <array>
#include <cstdint>

namespace kl::d3d9 {

constexpr DWORD kRenderStateCount = 256;
// Sampler slots: the pixel shader's 16, then the vertex shader's 4
// (D3DVERTEXTEXTURESAMPLER0-3). A slot is also the GL texture unit.
constexpr DWORD kPixelSamplerCount = 16;
constexpr DWORD kVertexSamplerCount = 4;
constexpr DWORD kSamplerCount = kPixelSamplerCount + kVertexSamplerCount;

// The slot of a Direct3D sampler number; kSamplerCount for an invalid one.
inline DWORD SamplerSlot(DWORD sampler) {
    if (sampler < kPixelSamplerCount) return sampler;
    if (sampler >= D3DVERTEXTEXTURESAMPLER0 &&
        sampler < D3DVERTEXTEXTURESAMPLER0 + kVertexSamplerCount)
        return kPixelSamplerCount + (sampler - D3DVERTEXTEXTURESAMPLER0);
    return kSamplerCount;
}
constexpr DWORD kSamplerStateCount = 14;

// The GL state that Direct3D state maps to, as last sent to GL.
struct AppliedGlState {
    bool known = false;  // false until the first flush: everything is sent
    bool depthTest = false, depthWrite = true;
    unsigned depthFunc = 0;
    bool blend = false;
    unsigned srcRgb = 0, dstRgb = 0, srcAlpha = 0, dstAlpha = 0, opRgb = 0, opAlpha = 0;
    DWORD blendFactor = 0;
    bool cull = false;
    unsigned cullFace = 0;
    unsigned polygonMode = 0;
    DWORD colorMask = 0xF;
    bool scissorTest = false;
    bool stencilTest = false;
    bool polygonOffset = false;
    float offsetFactor = 0, offsetUnits = 0;
};

class StateCache {
public:
    // Direct3D's default states; the depth test starts on when the device
    // has an automatic depth buffer.
    void ResetToDefaults(bool autoDepth);

    // Stores a render state; false for a state number out of range.
    bool SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    DWORD RenderState(D3DRENDERSTATETYPE state) const { return render_[state]; }
    bool SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    DWORD SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const {
        return sampler_[sampler][type];
    }

    // Sends the dirty render-state groups to GL.
    void FlushRenderStates();
    // Sends dirty sampler states to the GL sampler objects (one per stage).
    void FlushSamplers(const unsigned* samplerObjects);
    // GL state changed behind the cache (clears, blits): resend what they touch.
    void ForgetScissorAndMasks();
    // Resend everything at the next flush (after a context change or reset).
    void ForgetAll();

    // The alpha test as the shader prologue reads it: the comparison, with
    // D3DCMP_ALWAYS while the test is off, and the reference 0..255.
    int AlphaFunc() const;
    float AlphaRef() const;

    uint64_t SkippedGlCalls() const { return skipped_; }

private:
    void FlushDepth();
    void FlushBlend();
    void FlushRaster();
    void FlushStencil();
    void FlushSampler(DWORD stage, unsigned samplerObject);
    // Counts a GL call saved because GL already holds the value.
    bool Changed(bool differs) {
        if (!differs) ++skipped_;
        return differs;
    }

    std::array<DWORD, kRenderStateCount> render_{};
    std::array<std::array<DWORD, kSamplerStateCount>, kSamplerCount> sampler_{};
    uint32_t dirtyGroups_ = ~0u;
    uint32_t dirtySamplers_ = ~0u;
    // Each stage's states as its GL sampler object last received them; a
    // stage whose bit is clear has not been sent since the last ForgetAll.
    std::array<std::array<DWORD, kSamplerStateCount>, kSamplerCount> sentSampler_{};
    uint32_t sentSamplersKnown_ = 0;
    AppliedGlState applied_;
    uint64_t skipped_ = 0;
};

// Conversions from Direct3D values to GL enums; unknown values are logged
// with their number and give the Direct3D default's GL value.
unsigned DecodeCompareFunc(DWORD func);
unsigned DecodeBlendFactor(DWORD blend, bool alpha);
unsigned DecodeBlendOp(DWORD op);
unsigned DecodeStencilOp(DWORD op);
unsigned DecodeAddressMode(DWORD mode);

}  // namespace kl::d3d9
