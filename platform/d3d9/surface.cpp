#include "d3d9/surface.h"

#include <GL/glcorearb.h>

#include <cstring>

#include "d3d9/device.h"

namespace kl::d3d9 {

Surface::Surface(IDirect3DBaseTexture9* container, Device* device, const FormatInfo& format,
                 unsigned glTexture, UINT level, UINT width, UINT height, DWORD usage, D3DPOOL pool)
    : owner_(container),
      container_(container),
      device_(device),
      format_(&format),
      glTexture_(glTexture),
      level_(level),
      width_(width),
      height_(height),
      usage_(usage),
      pool_(pool) {}

Surface::Surface(Device* device, const FormatInfo& format, unsigned glTexture, UINT width,
                 UINT height, bool lockable)
    : owner_(device),
      device_(device),
      format_(&format),
      glTexture_(glTexture),
      width_(width),
      height_(height),
      usage_(D3DUSAGE_RENDERTARGET),
      pool_(D3DPOOL_DEFAULT),
      lockableBackBuffer_(lockable) {}

Surface::Surface(Device* device, const FormatInfo& format, UINT width, UINT height, D3DPOOL pool)
    : device_(device), format_(&format), width_(width), height_(height), pool_(pool) {
    memory_.assign(RowPitch(format, width) * RowCount(format, height), 0);
    device_->AddRef();
    device_->CountResource(pool_, +1);
}

Surface* Surface::CreateInMemory(Device* device, const FormatInfo& format, UINT width, UINT height,
                                 D3DPOOL pool) {
    return new Surface(device, format, width, height, pool);
}

Surface::~Surface() {
    if (owner_) return;  // a level or back buffer: its owner cleans up
    device_->ForgetSurface(this);
    device_->CountResource(pool_, -1);
    device_->Release();
}

HRESULT Surface::QueryInterface(REFIID, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Surface::AddRef() {
    if (owner_) return owner_->AddRef();
    return ++references_;
}

ULONG Surface::Release() {
    if (owner_) return owner_->Release();
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT Surface::GetDevice(IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

DWORD Surface::SetPriority(DWORD priority) {
    const DWORD old = priority_;
    priority_ = priority;
    return old;
}

DWORD Surface::GetPriority() {
    return priority_;
}

HRESULT Surface::GetContainer(REFIID, void** container) {
    if (!container) return D3DERR_INVALIDCALL;
    // Without published interface identifiers the only container that can be
    // handed out is the one the surface belongs to.
    IUnknown* owner = container_ ? static_cast<IUnknown*>(container_) : owner_;
    if (!owner) {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    owner->AddRef();
    *container = owner;
    return D3D_OK;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Format = format_->format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->MultiSampleQuality = 0;
    desc->Width = width_;
    desc->Height = height_;
    return D3D_OK;
}

void Surface::Rebind(unsigned glTexture, UINT width, UINT height, const FormatInfo& format) {
    glTexture_ = glTexture;
    width_ = width;
    height_ = height;
    format_ = &format;
}

bool Surface::CanLock() const {
    if (InMemory()) return true;
    if (owner_ == device_) return lockableBackBuffer_;
    // Video-memory textures can be locked only when made dynamic.
    return pool_ != D3DPOOL_DEFAULT || (usage_ & D3DUSAGE_DYNAMIC);
}

void Surface::ReadGl(const RECT& r, uint8_t* out) const {
    device_->MakeCurrent();
    const GLsizei w = r.right - r.left, h = r.bottom - r.top;
    const size_t size = RowPitch(*format_, static_cast<UINT>(w)) * RowCount(*format_, h);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (format_->compressed)
        glGetCompressedTextureSubImage(glTexture_, static_cast<GLint>(level_), r.left, r.top, 0, w,
                                       h, 1, static_cast<GLsizei>(size), out);
    else
        glGetTextureSubImage(glTexture_, static_cast<GLint>(level_), r.left, r.top, 0, w, h, 1,
                             format_->layout, format_->type, static_cast<GLsizei>(size), out);
}

void Surface::WriteGl(const RECT& r, const uint8_t* data) const {
    device_->MakeCurrent();
    const GLsizei w = r.right - r.left, h = r.bottom - r.top;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (format_->compressed)
        glCompressedTextureSubImage2D(
            glTexture_, static_cast<GLint>(level_), r.left, r.top, w, h, format_->internalFormat,
            static_cast<GLsizei>(RowPitch(*format_, w) * RowCount(*format_, h)), data);
    else
        glTextureSubImage2D(glTexture_, static_cast<GLint>(level_), r.left, r.top, w, h,
                            format_->layout, format_->type, data);
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (!locked) return D3DERR_INVALIDCALL;
    locked->pBits = nullptr;
    locked->Pitch = 0;
    if (locked_ || !CanLock()) return D3DERR_INVALIDCALL;
    RECT r = rect ? *rect : RECT{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
    if (r.left < 0 || r.top < 0 || r.right > static_cast<LONG>(width_) ||
        r.bottom > static_cast<LONG>(height_) || r.left >= r.right || r.top >= r.bottom)
        return D3DERR_INVALIDCALL;
    // Compressed formats lock whole 4x4 blocks.
    if (format_->compressed && ((r.left | r.top) & 3)) return D3DERR_INVALIDCALL;
    const size_t pitch = RowPitch(*format_, InMemory() ? width_ : r.right - r.left);
    if (InMemory()) {
        const size_t column =
            format_->compressed ? (r.left / 4) * format_->blockBytes : r.left * format_->blockBytes;
        const size_t row = format_->compressed ? r.top / 4 : r.top;
        locked->pBits = memory_.data() + row * pitch + column;
    } else {
        lockBuffer_.resize(pitch * RowCount(*format_, r.bottom - r.top));
        if (!(flags & D3DLOCK_DISCARD)) ReadGl(r, lockBuffer_.data());
        locked->pBits = lockBuffer_.data();
    }
    locked->Pitch = static_cast<INT>(pitch);
    locked_ = true;
    lockFlags_ = flags;
    lockRect_ = r;
    return D3D_OK;
}

HRESULT Surface::UnlockRect() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    if (!InMemory() && !(lockFlags_ & D3DLOCK_READONLY)) WriteGl(lockRect_, lockBuffer_.data());
    if (!InMemory()) std::vector<uint8_t>().swap(lockBuffer_);
    return D3D_OK;
}

bool Surface::ReadRgba8(std::vector<uint8_t>* pixels) {
    const size_t count = static_cast<size_t>(width_) * height_;
    pixels->assign(count * 4, 0);
    if (InMemory()) return ConvertToRgba8(*format_, memory_.data(), count, pixels->data());
    if (format_->depth) return false;
    device_->MakeCurrent();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTextureSubImage(glTexture_, static_cast<GLint>(level_), 0, 0, 0,
                         static_cast<GLsizei>(width_), static_cast<GLsizei>(height_), 1, GL_RGBA,
                         GL_UNSIGNED_BYTE, static_cast<GLsizei>(pixels->size()), pixels->data());
    ApplySwizzleRgba8(*format_, pixels->data(), count);
    return true;
}

}  // namespace kl::d3d9
