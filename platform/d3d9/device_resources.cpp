// Resource creation: textures, buffers, offscreen surfaces, declarations.
#include <algorithm>

#include "d3d9/buffers.h"
#include "d3d9/device.h"
#include "d3d9/formats.h"
#include "d3d9/surface.h"
#include "d3d9/texture.h"
#include "d3d9/vertex_declaration.h"

namespace kl::d3d9 {
namespace {

bool ValidPool(D3DPOOL pool) {
    return pool >= D3DPOOL_DEFAULT && pool <= D3DPOOL_SCRATCH;
}

bool Contains(const std::vector<D3DFORMAT>& formats, D3DFORMAT format) {
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

}  // namespace

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    const FormatInfo* info = FindFormat(format);
    if (!info || width == 0 || height == 0 || !ValidPool(pool) || sharedHandle)
        return D3DERR_INVALIDCALL;
    if (width > adapter_.caps.MaxTextureWidth || height > adapter_.caps.MaxTextureHeight)
        return D3DERR_INVALIDCALL;
    // Render targets and depth buffers live in video memory only, and
    // managed textures are never dynamic.
    const bool attachable = usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL);
    if (attachable && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    // The adapter's profile decides which formats exist for textures and targets.
    const bool target = Contains(adapter_.renderTargetFormats, format);
    if ((usage & D3DUSAGE_RENDERTARGET) && (!target || !IsColorRenderable(*info)))
        return D3DERR_INVALIDCALL;
    if (!(usage & D3DUSAGE_DEPTHSTENCIL) && !target && !Contains(adapter_.textureFormats, format))
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DEPTHSTENCIL) && !info->depth) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    Texture* created = Texture::Create(this, width, height, levels, usage, *info, pool);
    if (!created) return D3DERR_OUTOFVIDEOMEMORY;
    *texture = created;
    return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || !ValidPool(pool) || sharedHandle) return D3DERR_INVALIDCALL;
    // A buffer declared with an FVF must hold at least one whole vertex.
    if (fvf && length < FvfStride(fvf)) return D3DERR_INVALIDCALL;
    *buffer = new VertexBuffer(this, length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || !ValidPool(pool) || sharedHandle ||
        (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    *buffer = new IndexBuffer(this, length, usage, format, pool);
    return D3D_OK;
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9** surface, HANDLE* sharedHandle) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    const FormatInfo* info = FindFormat(format);
    if (!info || info->depth || width == 0 || height == 0 || !ValidPool(pool) ||
        pool == D3DPOOL_MANAGED || sharedHandle)
        return D3DERR_INVALIDCALL;
    *surface = Surface::CreateInMemory(this, *info, width, height, pool);
    return D3D_OK;
}

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                        IDirect3DVertexDeclaration9** declaration) {
    if (!declaration) return D3DERR_INVALIDCALL;
    *declaration = nullptr;
    if (!elements) return D3DERR_INVALIDCALL;
    UINT count = 0;
    while (count < MAXD3DDECLLENGTH && elements[count].Stream != 0xFF) ++count;
    if (count == MAXD3DDECLLENGTH || !ValidElements(elements, count)) return D3DERR_INVALIDCALL;
    *declaration =
        new VertexDeclaration(this, std::vector<D3DVERTEXELEMENT9>(elements, elements + count));
    return D3D_OK;
}

}  // namespace kl::d3d9
