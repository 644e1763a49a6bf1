// Shared by the texture entry points: device limits and uploading a decoded
// image with its mip chain.
#pragma once

#include <d3d9.h>

#include "d3dx9/texture/image.h"

namespace kl::d3dx9::texture {

// Cuts width and height to the device's maximum texture size.
void ClampToDeviceLimits(IDirect3DDevice9* device, UINT& width, UINT& height);

// Writes the image into level 0 and box-filtered halvings into every further
// level of the texture, each through LockRect/UnlockRect. The image must
// have the size of level 0.
HRESULT UploadWithMipChain(IDirect3DTexture9* texture, const Image& image);

}  // namespace kl::d3dx9::texture
