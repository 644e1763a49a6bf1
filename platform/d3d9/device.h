// The Direct3D 9 device on an OpenGL 4.5 core context. The back buffer is an
// FBO-attached texture of the presentation size; Present shows it in the SDL
// window (or counts the frame offscreen). State is shadowed and reaches GL at
// draw time. Its methods are split over device_*.cpp by concern.
#pragma once

#include <d3d9.h>

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "common/com_object.h"
#include "d3d9/device_bridge.h"
#include "d3d9/display_profile.h"
#include "d3d9/states.h"
#include "d3d9/stream_buffer.h"
#include "gl/context.h"
#include "gl/submission_queue.h"

namespace kl::d3d9 {

class Direct3D;
class Surface;
class Texture;
class VertexBuffer;
class IndexBuffer;
class VertexDeclaration;
class FixedFunction;

class Device final : public platform::ComObject<IDirect3DDevice9> {
public:
    static HRESULT Create(Direct3D* direct3d, const AdapterProfile& adapter, UINT ordinal,
                          D3DDEVTYPE type, HWND focusWindow, DWORD flags,
                          D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device);

    // IDirect3DDevice9
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    UINT STDMETHODCALLTYPE GetAvailableTextureMem() override;
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D9** direct3d) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE
    GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT hotSpotX, UINT hotSpotY,
                                                  IDirect3DSurface9* bitmap) override;
    void STDMETHODCALLTYPE SetCursorPosition(int x, int y, DWORD flags) override;
    BOOL STDMETHODCALLTYPE ShowCursor(BOOL show) override;
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* sourceRect, const RECT* destRect,
                                      HWND destWindowOverride, const RGNDATA* dirtyRegion) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface9** backBuffer) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DTexture9** texture,
                                            HANDLE* sharedHandle) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer9** buffer,
                                                 HANDLE* sharedHandle) override;
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                                D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                                                HANDLE* sharedHandle) override;
    HRESULT STDMETHODCALLTYPE StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                                          IDirect3DSurface9* dest, const RECT* destRect,
                                          D3DTEXTUREFILTERTYPE filter) override;
    HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                                  IDirect3DSurface9* dest) override;
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                                          D3DPOOL pool, IDirect3DSurface9** surface,
                                                          HANDLE* sharedHandle) override;
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD index, IDirect3DSurface9* target) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD index, IDirect3DSurface9** target) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour,
                                    float z, DWORD stencil) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type,
                                              DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type,
                                              DWORD value) override;
    HRESULT STDMETHODCALLTYPE SetScissorRect(const RECT* rect) override;
    HRESULT STDMETHODCALLTYPE GetScissorRect(RECT* rect) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex,
                                            UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                                   UINT minVertexIndex, UINT numVertices,
                                                   UINT startIndex, UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                              const void* vertices, UINT stride) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                                     UINT numVertices, UINT primitiveCount,
                                                     const void* indices, D3DFORMAT indexFormat,
                                                     const void* vertices, UINT stride) override;
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(
        const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** declaration) override;
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* decl) override;
    HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9** decl) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override;
    HRESULT STDMETHODCALLTYPE GetFVF(DWORD* fvf) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer,
                                              UINT offset, UINT stride) override;
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer,
                                              UINT* offset, UINT* stride) override;
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* buffer) override;
    HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer9** buffer) override;

    // Platform-internal.
    void MakeCurrent() { context_->MakeCurrent(); }
    void CountResource(D3DPOOL pool, int delta);
    // A resource going away unbinds itself so the device never draws with it.
    void ForgetTexture(IDirect3DBaseTexture9* texture);
    void ForgetSurface(Surface* surface);
    void ForgetVertexBuffer(VertexBuffer* buffer);
    void ForgetIndexBuffer(IndexBuffer* buffer);
    void ForgetDeclaration(VertexDeclaration* declaration);
    void BindProgram(const ProgramBinding* program);
    unsigned TakeKeptProgram(const std::string& sources);
    void KeepProgram(std::string sources, unsigned program);
    void BindShaderStage(ShaderStage stage, const ProgramBinding* program);
    bool Windowed() const { return parameters_.Windowed != FALSE; }
    const AdapterProfile& Adapter() const { return adapter_; }
    // Test hooks.
    void ForceLoss(bool on);
    uint64_t PresentedFrames() const { return presentedFrames_; }
    uint64_t SkippedGlCalls() const { return states_.SkippedGlCalls(); }
    Surface* BackBufferSurface() const { return backBuffer_; }

private:
    Device(Direct3D* direct3d, const AdapterProfile& adapter, UINT ordinal, D3DDEVTYPE type,
           HWND focusWindow, DWORD flags);
    ~Device() override;

    // device.cpp: creation and GL objects.
    HRESULT Initialize(D3DPRESENT_PARAMETERS* parameters);
    HRESULT CreateContext();
    void CreateGlObjects();
    void DestroyGlObjects();
    HWND PresentationWindow() const;

    // device_present.cpp: back buffer, presentation, loss.
    HRESULT CompleteParameters(D3DPRESENT_PARAMETERS* parameters) const;
    bool CreateBackBuffer();
    void DestroyBackBuffer();
    void ResetState();
    bool LossCauseActive() const;
    bool LostWhileAway() const;
    void RememberActivation();
    void UpdateLossState();
    void BlitToWindow();
    void CaptureIfRequested();
    // Fullscreen devices take the display: the SDL window goes fullscreen in
    // the presentation mode; windowed ones give it back.
    void ApplyDisplayMode();
    void CoverMonitorWithWindow();

    // device_cursor.cpp
    void ApplyCursor();
    void DestroyCursor();

    // device_targets.cpp
    void AttachRenderTarget();
    void SetFullViewport();
    bool ClearRect(const RECT& rect, DWORD flags, D3DCOLOR colour, float z, DWORD stencil);

    // device_draw.cpp
    // D3D_OK to draw, S_FALSE to skip silently (lost device), or an error.
    HRESULT PrepareDraw();
    void LimitDrawsInFlight();
    void BindElementBuffer(unsigned buffer);
    const std::vector<D3DVERTEXELEMENT9>* ActiveElements();
    void ApplyViewport();
    void ApplyVertexInputs(const std::array<unsigned, 16>& buffers,
                           const std::array<UINT, 16>& offsets,
                           const std::array<UINT, 16>& strides);
    void BindVertexBuffers(const std::array<unsigned, 16>& buffers,
                           const std::array<UINT, 16>& offsets, const std::array<UINT, 16>& strides,
                           uint32_t streamsUsed);
    void ApplyTextures();
    // Puts the selected programs in use.
    void SelectPrograms();
    // The program whose vertex stage reads the vertex inputs.
    const ProgramBinding& VertexProgram() const;
    const ProgramBinding& PixelProgram() const;
    bool FixedFunctionVertex() const;
    HRESULT DrawUserPointer(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                            UINT stride, const void* indices, D3DFORMAT indexFormat);

    enum class CooperativeState { Operational, Lost, NotReset };

    Direct3D* direct3d_;
    const AdapterProfile& adapter_;
    D3DDEVICE_CREATION_PARAMETERS creation_;
    D3DPRESENT_PARAMETERS parameters_ = {};
    std::unique_ptr<gl::Context> context_;

    // Back buffer and automatic depth/stencil.
    Surface* backBuffer_ = nullptr;
    unsigned backBufferTexture_ = 0;
    unsigned depthBuffer_ = 0;
    bool depthHasStencil_ = false;

    // GL objects of the device.
    unsigned drawFramebuffer_ = 0;
    unsigned blitFramebuffers_[2] = {0, 0};
    unsigned vertexArray_ = 0;
    StreamBuffer userVertices_;
    StreamBuffer userIndices_;
    unsigned blackTexture_ = 0;
    std::array<unsigned, kSamplerCount> samplerObjects_{};
    std::unique_ptr<FixedFunction> fixedFunction_;
    // Programs handed back by effects, most recently returned first.
    struct KeptProgram {
        std::string sources;
        unsigned program;
    };
    std::list<KeptProgram> keptPrograms_;

    // Shadowed state.
    StateCache states_;
    Surface* renderTarget_ = nullptr;
    D3DVIEWPORT9 viewport_ = {};
    RECT scissor_ = {};
    bool viewportDirty_ = true;
    std::array<IDirect3DBaseTexture9*, kSamplerCount> textures_{};
    std::array<unsigned, kSamplerCount> boundTextureNames_{};
    // The declaration's elements are copied when it is set, so a declaration
    // released while selected keeps drawing, as Direct3D keeps its own
    // reference. The pointer only answers GetVertexDeclaration.
    VertexDeclaration* declaration_ = nullptr;
    std::vector<D3DVERTEXELEMENT9> declarationElements_;
    bool declarationSet_ = false;
    DWORD fvf_ = 0;
    std::array<VertexBuffer*, 16> streams_{};
    std::array<UINT, 16> streamOffsets_{};
    std::array<UINT, 16> streamStrides_{};
    IndexBuffer* indices_ = nullptr;
    // Either one program for both stages (program_), or a program per stage,
    // null for the fixed-function one, combined in pipeline_ at draw time.
    const ProgramBinding* program_ = nullptr;
    const ProgramBinding* vertexStage_ = nullptr;
    const ProgramBinding* pixelStage_ = nullptr;
    bool programsChanged_ = true;
    unsigned pipeline_ = 0;
    // What pipeline_ (bound once, when made) was last given for each stage
    // (~0: nothing yet).
    unsigned pipelineVertex_ = ~0u;
    unsigned pipelinePixel_ = ~0u;
    std::vector<int> enabledAttributes_;
    // What the vertex array was last set up for: a draw with the same program
    // inputs, elements and fed streams only rebinds the buffers.
    struct VertexLayout {
        unsigned program = 0;
        std::vector<VertexInputBinding> inputs;
        std::vector<D3DVERTEXELEMENT9> elements;
        uint32_t fedStreams = 0;
        uint32_t streamsUsed = 0;
    };
    VertexLayout vertexLayout_;
    bool vertexLayoutSet_ = false;
    // The vertex and index buffers last bound to the vertex array.
    struct BoundStream {
        unsigned buffer = 0;
        UINT offset = 0;
        UINT stride = 0;
    };
    std::array<BoundStream, 16> boundStreams_{};
    unsigned boundElementBuffer_ = 0;
    // The program last given to glUseProgram (0: the pipeline; no GL name
    // is ~0, so the first draw always sets it).
    unsigned programInUse_ = ~0u;
    std::vector<D3DVERTEXELEMENT9> fvfElements_;
    DWORD fvfElementsCode_ = ~0u;

    // Scenes, presentation, loss, cursor.
    bool inScene_ = false;
    uint64_t presentedFrames_ = 0;
    // Direct3D lets the CPU run only a few frames ahead of the GPU (three by
    // default); Present submits each frame here. Batches of draws within a
    // frame are bounded too (device_draw.cpp).
    kl::gl::SubmissionQueue framesInFlight_{3};
    kl::gl::SubmissionQueue drawBatchesInFlight_{2};
    unsigned drawsSinceFence_ = 0;
    int defaultPoolResources_ = 0;
    CooperativeState cooperative_ = CooperativeState::Operational;
    bool forcedLoss_ = false;
    // The presentation window's deactivation count when the device last had
    // the display (creation or the last Reset).
    uint64_t deactivationsSeen_ = 0;
    bool cursorVisible_ = false;
    int cursorX_ = 0, cursorY_ = 0;
    UINT cursorHotX_ = 0, cursorHotY_ = 0;
    std::vector<uint8_t> cursorPixels_;  // RGBA8 rows
    UINT cursorWidth_ = 0, cursorHeight_ = 0;
    void* sdlCursor_ = nullptr;
};

// The device behind an interface pointer of this platform.
inline Device* AsDevice(IDirect3DDevice9* device) {
    return static_cast<Device*>(device);
}

}  // namespace kl::d3d9
