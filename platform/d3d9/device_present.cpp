// The back buffer, presentation, Reset and the emulation of device loss.
#include <GL/glcorearb.h>
#include <SDL.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/frame_script.h"
#include "common/native_window.h"
#include "d3d9/device.h"
#include "d3d9/direct3d.h"
#include "d3d9/formats.h"
#include "d3d9/surface.h"
#include "gl/check.h"

namespace kl::d3d9 {
namespace {

template <class T>
bool Contains(const std::vector<T>& list, T value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

D3DFORMAT DisplayFormatOf(D3DFORMAT backBuffer) {
    return backBuffer == D3DFMT_A8R8G8B8 ? D3DFMT_X8R8G8B8 : backBuffer;
}

bool IsFullscreenMode(const AdapterProfile& adapter, const D3DPRESENT_PARAMETERS& p) {
    for (const D3DDISPLAYMODE& mode : adapter.modes)
        if (mode.Width == p.BackBufferWidth && mode.Height == p.BackBufferHeight &&
            mode.Format == DisplayFormatOf(p.BackBufferFormat) &&
            (p.FullScreen_RefreshRateInHz == 0 || mode.RefreshRate == p.FullScreen_RefreshRateInHz))
            return true;
    return false;
}

}  // namespace

HRESULT Device::CompleteParameters(D3DPRESENT_PARAMETERS* p) const {
    if (p->SwapEffect < D3DSWAPEFFECT_DISCARD || p->SwapEffect > D3DSWAPEFFECT_COPY ||
        p->BackBufferCount > 3)
        return D3DERR_INVALIDCALL;
    if (p->BackBufferCount == 0) p->BackBufferCount = 1;
    const HWND window = p->hDeviceWindow ? p->hDeviceWindow : creation_.hFocusWindow;
    if (p->Windowed) {
        if (p->BackBufferFormat == D3DFMT_UNKNOWN) p->BackBufferFormat = adapter_.desktop.Format;
        // A zero size takes the window's client area, as on Windows.
        if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0) {
            int width = 0, height = 0;
            if (!window || !platform::ClientSizeOf(window, &width, &height))
                return D3DERR_INVALIDCALL;
            if (p->BackBufferWidth == 0) p->BackBufferWidth = static_cast<UINT>(std::max(width, 1));
            if (p->BackBufferHeight == 0)
                p->BackBufferHeight = static_cast<UINT>(std::max(height, 1));
        }
        if (p->FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
    } else {
        if (!window || !IsFullscreenMode(adapter_, *p)) return D3DERR_INVALIDCALL;
    }
    if (!direct3d_->CanPresent(
            adapter_, p->Windowed ? adapter_.desktop.Format : DisplayFormatOf(p->BackBufferFormat),
            p->BackBufferFormat, p->Windowed != FALSE) ||
        !FindFormat(p->BackBufferFormat))
        return D3DERR_INVALIDCALL;
    if (p->EnableAutoDepthStencil &&
        (!Contains(adapter_.depthStencilFormats, p->AutoDepthStencilFormat) ||
         !FindFormat(p->AutoDepthStencilFormat)))
        return D3DERR_INVALIDCALL;
    // The back buffer is single-sampled; a multisampled one is refused
    // rather than silently given fewer samples.
    if (p->MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
    const UINT interval = p->PresentationInterval;
    if (interval != D3DPRESENT_INTERVAL_DEFAULT && interval != D3DPRESENT_INTERVAL_ONE &&
        interval != D3DPRESENT_INTERVAL_IMMEDIATE)
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

bool Device::CreateBackBuffer() {
    MakeCurrent();
    const FormatInfo& colour = *FindFormat(parameters_.BackBufferFormat);
    const GLsizei width = static_cast<GLsizei>(parameters_.BackBufferWidth);
    const GLsizei height = static_cast<GLsizei>(parameters_.BackBufferHeight);
    gl::ClearErrors();
    glCreateTextures(GL_TEXTURE_2D, 1, &backBufferTexture_);
    glTextureStorage2D(backBufferTexture_, 1, colour.internalFormat, width, height);
    glTextureParameteriv(backBufferTexture_, GL_TEXTURE_SWIZZLE_RGBA, colour.swizzle);
    depthHasStencil_ = false;
    if (parameters_.EnableAutoDepthStencil) {
        const FormatInfo& depth = *FindFormat(parameters_.AutoDepthStencilFormat);
        glCreateRenderbuffers(1, &depthBuffer_);
        glNamedRenderbufferStorage(depthBuffer_, depth.internalFormat, width, height);
        depthHasStencil_ = depth.stencil;
    }
    if (gl::HadErrors()) return false;
    const bool lockable = (parameters_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
    if (backBuffer_)
        backBuffer_->Rebind(backBufferTexture_, parameters_.BackBufferWidth,
                            parameters_.BackBufferHeight, colour);
    else
        backBuffer_ = new Surface(this, colour, backBufferTexture_, parameters_.BackBufferWidth,
                                  parameters_.BackBufferHeight, lockable);
    return true;
}

void Device::DestroyBackBuffer() {
    if (depthBuffer_) glDeleteRenderbuffers(1, &depthBuffer_);
    if (backBufferTexture_) glDeleteTextures(1, &backBufferTexture_);
    depthBuffer_ = backBufferTexture_ = 0;
    delete backBuffer_;
    backBuffer_ = nullptr;
}

void Device::ResetState() {
    MakeCurrent();
    states_.ResetToDefaults(parameters_.EnableAutoDepthStencil != FALSE);
    textures_.fill(nullptr);
    boundTextureNames_.fill(~0u);
    streams_.fill(nullptr);
    streamOffsets_.fill(0);
    streamStrides_.fill(0);
    indices_ = nullptr;
    declaration_ = nullptr;
    declarationSet_ = false;
    declarationElements_.clear();
    fvf_ = 0;
    inScene_ = false;
    renderTarget_ = backBuffer_;
    AttachRenderTarget();
    SetFullViewport();
    BindProgram(nullptr);
    KL_GL_CHECK();
}

bool Device::LossCauseActive() const {
    if (forcedLoss_) return true;
    // Windows takes the display away from a fullscreen device whose
    // application is deactivated or minimized.
    if (Windowed()) return false;
    const HWND window = PresentationWindow();
    return window && !platform::IsWindowActive(window);
}

// Windows takes the display from a fullscreen device the moment its
// application is deactivated or its window minimized, whether or not the
// device is called then; a paused program calls nothing until it is active
// again, and then its first call reports the loss.
bool Device::LostWhileAway() const {
    if (Windowed()) return false;
    const HWND window = PresentationWindow();
    return window && platform::WindowDeactivations(window) != deactivationsSeen_;
}

void Device::RememberActivation() {
    const HWND window = PresentationWindow();
    deactivationsSeen_ = window ? platform::WindowDeactivations(window) : 0;
}

void Device::UpdateLossState() {
    if (LossCauseActive())
        cooperative_ = CooperativeState::Lost;
    else if (cooperative_ == CooperativeState::Lost || LostWhileAway())
        cooperative_ = CooperativeState::NotReset;
}

void Device::ForceLoss(bool on) {
    forcedLoss_ = on;
    UpdateLossState();
}

HRESULT Device::TestCooperativeLevel() {
    UpdateLossState();
    switch (cooperative_) {
        case CooperativeState::Lost:
            return D3DERR_DEVICELOST;
        case CooperativeState::NotReset:
            return D3DERR_DEVICENOTRESET;
        default:
            return D3D_OK;
    }
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* parameters) {
    UpdateLossState();
    if (cooperative_ == CooperativeState::Lost) return D3DERR_DEVICELOST;
    if (!parameters) return D3DERR_INVALIDCALL;
    // Every D3DPOOL_DEFAULT resource must be gone first; a failed Reset
    // leaves the device waiting for another one, as on Windows.
    if (defaultPoolResources_ > 0) {
        cooperative_ = CooperativeState::NotReset;
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS completed = *parameters;
    if (FAILED(CompleteParameters(&completed))) {
        cooperative_ = CooperativeState::NotReset;
        return D3DERR_INVALIDCALL;
    }
    MakeCurrent();
    const D3DPRESENT_PARAMETERS previous = parameters_;
    parameters_ = completed;
    glDeleteTextures(1, &backBufferTexture_);
    if (depthBuffer_) glDeleteRenderbuffers(1, &depthBuffer_);
    backBufferTexture_ = depthBuffer_ = 0;
    if (!CreateBackBuffer()) {
        parameters_ = previous;
        cooperative_ = CooperativeState::NotReset;
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    const bool immediate = parameters_.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE;
    context_->SetSwapInterval(immediate ? 0 : 1);
    ApplyDisplayMode();
    ResetState();
    RememberActivation();
    cooperative_ = CooperativeState::Operational;
    *parameters = completed;
    return D3D_OK;
}

void Device::ApplyDisplayMode() {
    if (!Windowed()) CoverMonitorWithWindow();
    SDL_Window* window = context_->Window();
    if (!window) return;
    if (Windowed()) {
        SDL_SetWindowFullscreen(window, 0);
        return;
    }
    SDL_DisplayMode mode{};
    mode.w = static_cast<int>(parameters_.BackBufferWidth);
    mode.h = static_cast<int>(parameters_.BackBufferHeight);
    mode.refresh_rate = static_cast<int>(parameters_.FullScreen_RefreshRateInHz);
    SDL_SetWindowDisplayMode(window, &mode);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
}

// A fullscreen device puts its window on top, at its monitor's corner, with
// the size of the display mode, as Windows does; the window does not rely on
// a window manager to honour the fullscreen request (a bare X server has
// none, and the window would keep its windowed size).
void Device::CoverMonitorWithWindow() {
    const HWND window = PresentationWindow();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    SetWindowPos(window, HWND_TOPMOST, monitor.rcMonitor.left, monitor.rcMonitor.top,
                 static_cast<int>(parameters_.BackBufferWidth),
                 static_cast<int>(parameters_.BackBufferHeight), SWP_NOACTIVATE);
}

void Device::BlitToWindow() {
    SDL_Window* window = context_->Window();
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    // The window's framebuffer has its first row at the bottom, the back
    // buffer at the top: the blit flips.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, blitFramebuffers_[0]);
    glNamedFramebufferTexture(blitFramebuffers_[0], GL_COLOR_ATTACHMENT0, backBufferTexture_, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBlitFramebuffer(0, 0, static_cast<GLint>(parameters_.BackBufferWidth),
                      static_cast<GLint>(parameters_.BackBufferHeight), 0, height, width, 0,
                      GL_COLOR_BUFFER_BIT, GL_LINEAR);
    states_.ForgetScissorAndMasks();
    context_->Swap();
    glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer_);
}

// Writes the back buffer to a PNG when the platform's capture settings ask
// for the frame just presented.
void Device::CaptureIfRequested() {
    const std::string path = platform::CapturePathForCurrentFrame();
    if (path.empty()) return;
    std::vector<uint8_t> pixels;
    if (!backBuffer_->ReadRgba8(&pixels)) return;
    platform::WriteCapturePng(path, static_cast<int>(parameters_.BackBufferWidth),
                              static_cast<int>(parameters_.BackBufferHeight), pixels.data());
}

HRESULT Device::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
    UpdateLossState();
    if (cooperative_ != CooperativeState::Operational) return D3DERR_DEVICELOST;
    MakeCurrent();
    if (context_->Window()) BlitToWindow();
    framesInFlight_.Submit();
    // The frame's fence has submitted every draw: the next batch of draws
    // starts with the next frame, so a frame of fewer draws than a batch is
    // never split in two submissions.
    drawsSinceFence_ = 0;
    ++presentedFrames_;
    platform::CountPresentedFrame();
    CaptureIfRequested();
    KL_GL_CHECK();
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE,
                              IDirect3DSurface9** backBuffer) {
    if (!backBuffer) return D3DERR_INVALIDCALL;
    *backBuffer = nullptr;
    if (swapChain != 0 || index >= parameters_.BackBufferCount) return D3DERR_INVALIDCALL;
    // Every back buffer of the chain is the same FBO texture: only the
    // picture in it is ever shown.
    backBuffer_->AddRef();
    *backBuffer = backBuffer_;
    return D3D_OK;
}

}  // namespace kl::d3d9
