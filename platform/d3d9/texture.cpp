#include "d3d9/texture.h"

#include <GL/glcorearb.h>

#include <algorithm>

#include "gl/check.h"

namespace kl::d3d9 {

UINT FullMipCount(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size /= 2) ++levels;
    return levels;
}

Texture* Texture::Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                         const FormatInfo& format, D3DPOOL pool) {
    device->MakeCurrent();
    const UINT count =
        levels == 0 ? FullMipCount(width, height) : std::min(levels, FullMipCount(width, height));
    GLuint name = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &name);
    gl::ClearErrors();
    glTextureStorage2D(name, static_cast<GLsizei>(count), format.internalFormat,
                       static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    if (gl::HadErrors()) {
        glDeleteTextures(1, &name);
        return nullptr;
    }
    glTextureParameteriv(name, GL_TEXTURE_SWIZZLE_RGBA, format.swizzle);
    auto* texture = new Texture(device, pool);
    texture->glTexture_ = name;
    texture->levelCount_ = count;
    for (UINT level = 0; level < count; ++level) {
        const UINT w = std::max(1u, width >> level), h = std::max(1u, height >> level);
        texture->levels_.push_back(
            std::make_unique<Surface>(texture, device, format, name, level, w, h, usage, pool));
    }
    return texture;
}

Texture::~Texture() {
    device_->ForgetTexture(this);
    for (auto& level : levels_) device_->ForgetSurface(level.get());
    levels_.clear();
    device_->MakeCurrent();
    glDeleteTextures(1, &glTexture_);
}

DWORD Texture::SetLOD(DWORD lod) {
    const DWORD old = lod_;
    // Only managed textures have a level of detail to set.
    if (pool_ != D3DPOOL_MANAGED) return 0;
    lod_ = std::min(lod, levelCount_ - 1);
    device_->MakeCurrent();
    glTextureParameteri(glTexture_, GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(lod_));
    return old;
}

HRESULT Texture::SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) {
    if (filter != D3DTEXF_POINT && filter != D3DTEXF_LINEAR) return D3DERR_INVALIDCALL;
    autoGen_ = filter;
    return D3D_OK;
}

void Texture::GenerateMipSubLevels() {
    if (levelCount_ < 2) return;
    device_->MakeCurrent();
    glGenerateTextureMipmap(glTexture_);
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (level >= levelCount_) return D3DERR_INVALIDCALL;
    return levels_[level]->GetDesc(desc);
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level >= levelCount_) return D3DERR_INVALIDCALL;
    levels_[level]->AddRef();
    *surface = levels_[level].get();
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (level >= levelCount_) return D3DERR_INVALIDCALL;
    return levels_[level]->LockRect(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
    if (level >= levelCount_) return D3DERR_INVALIDCALL;
    return levels_[level]->UnlockRect();
}

HRESULT Texture::AddDirtyRect(const RECT*) {
    return D3D_OK;
}

}  // namespace kl::d3d9
