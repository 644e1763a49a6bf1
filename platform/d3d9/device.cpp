#include "d3d9/device.h"

#include <GL/glcorearb.h>
#include <SDL.h>

#include <algorithm>

#include "common/log.h"
#include "common/native_window.h"
#include "d3d9/buffers.h"
#include "d3d9/direct3d.h"
#include "d3d9/fixed_function.h"
#include "d3d9/surface.h"
#include "d3d9/texture.h"
#include "d3d9/vertex_declaration.h"
#include "gl/check.h"

namespace kl::d3d9 {

HRESULT Device::Create(Direct3D* direct3d, const AdapterProfile& adapter, UINT ordinal,
                       D3DDEVTYPE type, HWND focusWindow, DWORD flags,
                       D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** out) {
    auto* device = new Device(direct3d, adapter, ordinal, type, focusWindow, flags);
    const HRESULT result = device->Initialize(parameters);
    if (FAILED(result)) {
        device->Release();
        return result;
    }
    *out = device;
    return D3D_OK;
}

Device::Device(Direct3D* direct3d, const AdapterProfile& adapter, UINT ordinal, D3DDEVTYPE type,
               HWND focusWindow, DWORD flags)
    : direct3d_(direct3d), adapter_(adapter), creation_{ordinal, type, focusWindow, flags} {
    direct3d_->AddRef();
}

Device::~Device() {
    if (context_) {
        if (context_->Window() && !Windowed()) SDL_SetWindowFullscreen(context_->Window(), 0);
        MakeCurrent();
        DestroyBackBuffer();
        DestroyGlObjects();
        context_.reset();
    }
    DestroyCursor();
    direct3d_->Release();
}

HWND Device::PresentationWindow() const {
    return parameters_.hDeviceWindow ? parameters_.hDeviceWindow : creation_.hFocusWindow;
}

HRESULT Device::Initialize(D3DPRESENT_PARAMETERS* parameters) {
    if (!parameters) return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS completed = *parameters;
    const HRESULT valid = CompleteParameters(&completed);
    if (FAILED(valid)) return valid;
    parameters_ = completed;
    const HRESULT context = CreateContext();
    if (FAILED(context)) return context;
    CreateGlObjects();
    if (!fixedFunction_->Ok()) {
        platform::Log(platform::LogLevel::Error, "Direct3D: fixed-function program failed:\n%s",
                      fixedFunction_->Log().c_str());
        return D3DERR_NOTAVAILABLE;
    }
    if (!CreateBackBuffer()) return D3DERR_OUTOFVIDEOMEMORY;
    ApplyDisplayMode();
    ResetState();
    RememberActivation();
    *parameters = completed;
    return D3D_OK;
}

HRESULT Device::CreateContext() {
    std::string error;
    // A reference device renders offscreen on the software GL device; one with
    // a real window shares the window's context, the only one that can show
    // in it.
    const bool reference = creation_.DeviceType == D3DDEVTYPE_REF;
    SDL_Window* window =
        platform::IsHeadless() ? nullptr : platform::SdlWindowOf(PresentationWindow());
    if (window) {
        const HWND handle = PresentationWindow();
        auto alive = [handle, window] { return platform::SdlWindowOf(handle) == window; };
        context_ = gl::Context::CreateForWindow(window, alive, &error);
        if (!context_)
            platform::Log(platform::LogLevel::Warning, "Direct3D: %s; rendering offscreen",
                          error.c_str());
    }
    // Without a real window (headless, or a window of the virtual desktop)
    // the device renders offscreen and Present only counts frames.
    if (!context_) context_ = gl::Context::CreateOffscreen(&error, reference);
    if (!context_) {
        platform::Log(platform::LogLevel::Error, "Direct3D: %s", error.c_str());
        return D3DERR_NOTAVAILABLE;
    }
    const bool immediate = parameters_.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE;
    context_->SetSwapInterval(immediate ? 0 : 1);
    return D3D_OK;
}

void Device::CreateGlObjects() {
    MakeCurrent();
    // Direct3D's conventions: clip-space depth 0..1, and the first row in
    // memory is the top of the picture, so textures, render targets and
    // read-backs need no flipping.
    glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
    glCreateFramebuffers(1, &drawFramebuffer_);
    glCreateFramebuffers(2, blitFramebuffers_);
    glCreateVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    userVertices_.Create();
    userIndices_.Create();
    glCreateSamplers(static_cast<GLsizei>(samplerObjects_.size()), samplerObjects_.data());
    for (DWORD unit = 0; unit < kSamplerCount; ++unit) glBindSampler(unit, samplerObjects_[unit]);
    // What a stage without a texture samples: opaque black.
    glCreateTextures(GL_TEXTURE_2D, 1, &blackTexture_);
    glTextureStorage2D(blackTexture_, 1, GL_RGBA8, 1, 1);
    const unsigned char black[4] = {0, 0, 0, 255};
    glTextureSubImage2D(blackTexture_, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, black);
    fixedFunction_ = std::make_unique<FixedFunction>();
    // The pipeline stays bound: a program in use takes precedence over it,
    // and glUseProgram(0) gives it back.
    glCreateProgramPipelines(1, &pipeline_);
    glBindProgramPipeline(pipeline_);
    pipelineVertex_ = pipelinePixel_ = ~0u;
    programsChanged_ = true;
    glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer_);
    KL_GL_CHECK();
}

void Device::DestroyGlObjects() {
    for (const KeptProgram& kept : keptPrograms_) glDeleteProgram(kept.program);
    keptPrograms_.clear();
    framesInFlight_.Clear();
    drawBatchesInFlight_.Clear();
    glBindProgramPipeline(0);
    glDeleteProgramPipelines(1, &pipeline_);
    pipeline_ = 0;
    fixedFunction_.reset();
    glDeleteTextures(1, &blackTexture_);
    glDeleteSamplers(static_cast<GLsizei>(samplerObjects_.size()), samplerObjects_.data());
    userVertices_.Destroy();
    userIndices_.Destroy();
    glDeleteVertexArrays(1, &vertexArray_);
    glDeleteFramebuffers(2, blitFramebuffers_);
    glDeleteFramebuffers(1, &drawFramebuffer_);
}

void Device::CountResource(D3DPOOL pool, int delta) {
    if (pool == D3DPOOL_DEFAULT) defaultPoolResources_ += delta;
}

void Device::ForgetTexture(IDirect3DBaseTexture9* texture) {
    for (auto& bound : textures_)
        if (bound == texture) bound = nullptr;
    // GL may hand the name out again: the unit cache must not take a new
    // texture with that name for the one already bound.
    const unsigned name = TextureGlName(texture);
    for (auto& bound : boundTextureNames_)
        if (bound == name) bound = ~0u;
}

void Device::ForgetSurface(Surface* surface) {
    if (renderTarget_ == surface) {
        renderTarget_ = backBuffer_;
        if (context_) AttachRenderTarget();
    }
}

void Device::ForgetVertexBuffer(VertexBuffer* buffer) {
    for (auto& stream : streams_)
        if (stream == buffer) stream = nullptr;
}

void Device::ForgetIndexBuffer(IndexBuffer* buffer) {
    if (indices_ == buffer) indices_ = nullptr;
}

void Device::ForgetDeclaration(VertexDeclaration* declaration) {
    if (declaration_ == declaration) declaration_ = nullptr;
}

void Device::BindProgram(const ProgramBinding* program) {
    program_ = program;
    vertexStage_ = nullptr;
    pixelStage_ = nullptr;
    programsChanged_ = true;
}

// A stage set on its own replaces a whole program's stage: the other stage
// becomes the fixed-function one, as nothing else was set for it.
void Device::BindShaderStage(ShaderStage stage, const ProgramBinding* program) {
    program_ = nullptr;
    (stage == ShaderStage::Vertex ? vertexStage_ : pixelStage_) = program;
    programsChanged_ = true;
}

unsigned Device::TakeKeptProgram(const std::string& sources) {
    for (auto kept = keptPrograms_.begin(); kept != keptPrograms_.end(); ++kept) {
        if (kept->sources != sources) continue;
        const unsigned program = kept->program;
        keptPrograms_.erase(kept);
        return program;
    }
    return 0;
}

void Device::KeepProgram(std::string sources, unsigned program) {
    // Enough for a few effects of a dozen passes; an effect file edited over
    // and over leaves programs behind that no one will take again.
    constexpr size_t kMostKept = 48;
    for (const ProgramBinding* bound : {program_, vertexStage_, pixelStage_})
        if (bound && bound->glProgram == program) BindProgram(nullptr);
    keptPrograms_.push_front(KeptProgram{std::move(sources), program});
    if (keptPrograms_.size() <= kMostKept) return;
    MakeCurrent();
    glDeleteProgram(keptPrograms_.back().program);
    keptPrograms_.pop_back();
}

UINT Device::GetAvailableTextureMem() {
    return 512u * 1024u * 1024u;
}

HRESULT Device::GetDirect3D(IDirect3D9** direct3d) {
    if (!direct3d) return D3DERR_INVALIDCALL;
    direct3d_->AddRef();
    *direct3d = direct3d_;
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) {
    return direct3d_->GetDeviceCaps(creation_.AdapterOrdinal, creation_.DeviceType, caps);
}

HRESULT Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
    if (swapChain != 0 || !mode) return D3DERR_INVALIDCALL;
    if (Windowed()) return direct3d_->GetAdapterDisplayMode(creation_.AdapterOrdinal, mode);
    *mode = {parameters_.BackBufferWidth, parameters_.BackBufferHeight,
             parameters_.FullScreen_RefreshRateInHz, parameters_.BackBufferFormat};
    if (mode->Format == D3DFMT_A8R8G8B8) mode->Format = D3DFMT_X8R8G8B8;
    return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
    if (!parameters) return D3DERR_INVALIDCALL;
    *parameters = creation_;
    return D3D_OK;
}

}  // namespace kl::d3d9
