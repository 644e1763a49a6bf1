// Render targets, viewport, Clear and the surface copies (StretchRect,
// GetRenderTargetData).
#include <GL/glcorearb.h>

#include <algorithm>

#include "d3d9/device.h"
#include "d3d9/formats.h"
#include "d3d9/surface.h"
#include "gl/check.h"

namespace kl::d3d9 {
namespace {

bool InsideSurface(const RECT& r, const Surface& s) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
           r.right <= static_cast<LONG>(s.Width()) && r.bottom <= static_cast<LONG>(s.Height());
}

RECT WholeSurface(const Surface& s) {
    return RECT{0, 0, static_cast<LONG>(s.Width()), static_cast<LONG>(s.Height())};
}

RECT Intersect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

}  // namespace

void Device::AttachRenderTarget() {
    MakeCurrent();
    glNamedFramebufferTexture(drawFramebuffer_, GL_COLOR_ATTACHMENT0, renderTarget_->GlTexture(),
                              static_cast<GLint>(renderTarget_->Level()));
    // The automatic depth buffer serves every target no larger than itself.
    const bool fits = renderTarget_->Width() <= parameters_.BackBufferWidth &&
                      renderTarget_->Height() <= parameters_.BackBufferHeight;
    const GLuint depth = fits ? depthBuffer_ : 0;
    const FormatInfo* format = parameters_.EnableAutoDepthStencil
                                   ? FindFormat(parameters_.AutoDepthStencilFormat)
                                   : nullptr;
    const bool packed = format && format->layout == GL_DEPTH_STENCIL;
    glNamedFramebufferRenderbuffer(drawFramebuffer_, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                   0);
    glNamedFramebufferRenderbuffer(drawFramebuffer_,
                                   packed ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                   GL_RENDERBUFFER, depth);
    glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer_);
    KL_GL_CHECK();
}

void Device::SetFullViewport() {
    viewport_ = {0, 0, renderTarget_->Width(), renderTarget_->Height(), 0.0f, 1.0f};
    scissor_ = WholeSurface(*renderTarget_);
    viewportDirty_ = true;
}

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* target) {
    if (index != 0) return D3DERR_INVALIDCALL;  // one colour target: NumSimultaneousRTs aside
    auto* surface = static_cast<Surface*>(target);
    // Target 0 can never be empty; only render-target surfaces qualify.
    if (!surface || surface->InMemory() || !surface->IsRenderTarget()) return D3DERR_INVALIDCALL;
    renderTarget_ = surface;
    AttachRenderTarget();
    // A new target brings a viewport (and scissor) covering all of it.
    SetFullViewport();
    return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** target) {
    if (!target) return D3DERR_INVALIDCALL;
    *target = nullptr;
    if (index != 0) return D3DERR_NOTFOUND;
    renderTarget_->AddRef();
    *target = renderTarget_;
    return D3D_OK;
}

bool Device::ClearRect(const RECT& rect, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) {
    RECT area = Intersect(rect, RECT{static_cast<LONG>(viewport_.X), static_cast<LONG>(viewport_.Y),
                                     static_cast<LONG>(viewport_.X + viewport_.Width),
                                     static_cast<LONG>(viewport_.Y + viewport_.Height)});
    if (states_.RenderState(D3DRS_SCISSORTESTENABLE)) area = Intersect(area, scissor_);
    if (area.left >= area.right || area.top >= area.bottom) return false;
    glScissor(area.left, area.top, area.right - area.left, area.bottom - area.top);
    if (flags & D3DCLEAR_TARGET) {
        const float rgba[4] = {((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
                               (colour & 0xFF) / 255.0f, (colour >> 24) / 255.0f};
        glClearNamedFramebufferfv(drawFramebuffer_, GL_COLOR, 0, rgba);
    }
    const bool depth = (flags & D3DCLEAR_ZBUFFER) != 0,
               withStencil = (flags & D3DCLEAR_STENCIL) != 0;
    if (depth && withStencil)
        glClearNamedFramebufferfi(drawFramebuffer_, GL_DEPTH_STENCIL, 0, z,
                                  static_cast<GLint>(stencil));
    else if (depth)
        glClearNamedFramebufferfv(drawFramebuffer_, GL_DEPTH, 0, &z);
    else if (withStencil) {
        const GLint value = static_cast<GLint>(stencil);
        glClearNamedFramebufferiv(drawFramebuffer_, GL_STENCIL, 0, &value);
    }
    return true;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                      DWORD stencil) {
    if (count > 0 && !rects) return D3DERR_INVALIDCALL;
    const bool depthAttached = depthBuffer_ &&
                               renderTarget_->Width() <= parameters_.BackBufferWidth &&
                               renderTarget_->Height() <= parameters_.BackBufferHeight;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthAttached)
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_STENCIL) && !depthHasStencil_) return D3DERR_INVALIDCALL;
    if (cooperative_ != CooperativeState::Operational) return D3D_OK;
    MakeCurrent();
    // Clears write whole values whatever the write masks say.
    glEnable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    if (count == 0) {
        ClearRect(WholeSurface(*renderTarget_), flags, colour, z, stencil);
    } else {
        for (DWORD i = 0; i < count; ++i)
            ClearRect(RECT{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2}, flags, colour, z,
                      stencil);
    }
    states_.ForgetScissorAndMasks();
    viewportDirty_ = true;
    KL_GL_CHECK();
    return D3D_OK;
}

HRESULT Device::StretchRect(IDirect3DSurface9* sourceSurface, const RECT* sourceRect,
                            IDirect3DSurface9* destSurface, const RECT* destRect,
                            D3DTEXTUREFILTERTYPE filter) {
    auto* source = static_cast<Surface*>(sourceSurface);
    auto* dest = static_cast<Surface*>(destSurface);
    if (!source || !dest || source == dest) return D3DERR_INVALIDCALL;
    if (source->InMemory() || dest->InMemory() || !dest->IsRenderTarget() ||
        source->Format().depth || dest->Format().depth || dest->Format().compressed)
        return D3DERR_INVALIDCALL;
    if (filter != D3DTEXF_NONE && filter != D3DTEXF_POINT && filter != D3DTEXF_LINEAR)
        return D3DERR_INVALIDCALL;
    const RECT from = sourceRect ? *sourceRect : WholeSurface(*source);
    const RECT to = destRect ? *destRect : WholeSurface(*dest);
    if (!InsideSurface(from, *source) || !InsideSurface(to, *dest)) return D3DERR_INVALIDCALL;
    if (cooperative_ != CooperativeState::Operational) return D3D_OK;
    MakeCurrent();
    glNamedFramebufferTexture(blitFramebuffers_[0], GL_COLOR_ATTACHMENT0, source->GlTexture(),
                              static_cast<GLint>(source->Level()));
    glNamedFramebufferTexture(blitFramebuffers_[1], GL_COLOR_ATTACHMENT0, dest->GlTexture(),
                              static_cast<GLint>(dest->Level()));
    glDisable(GL_SCISSOR_TEST);
    // Rows of both are stored top first, so rectangles copy without flipping.
    glBlitNamedFramebuffer(blitFramebuffers_[0], blitFramebuffers_[1], from.left, from.top,
                           from.right, from.bottom, to.left, to.top, to.right, to.bottom,
                           GL_COLOR_BUFFER_BIT, filter == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    states_.ForgetScissorAndMasks();
    KL_GL_CHECK();
    return D3D_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                    IDirect3DSurface9* destSurface) {
    auto* source = static_cast<Surface*>(renderTarget);
    auto* dest = static_cast<Surface*>(destSurface);
    if (!source || !dest || source->InMemory() || !source->IsRenderTarget() || !dest->InMemory() ||
        dest->Pool() != D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    if (source->Width() != dest->Width() || source->Height() != dest->Height() ||
        source->Format().format != dest->Format().format)
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    const FormatInfo& format = source->Format();
    const size_t size = dest->Pitch() * dest->Height();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTextureSubImage(source->GlTexture(), static_cast<GLint>(source->Level()), 0, 0, 0,
                         static_cast<GLsizei>(source->Width()),
                         static_cast<GLsizei>(source->Height()), 1, format.layout, format.type,
                         static_cast<GLsizei>(size), dest->Memory());
    KL_GL_CHECK();
    return D3D_OK;
}

}  // namespace kl::d3d9
