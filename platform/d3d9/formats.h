// How each Direct3D format is stored in OpenGL: internal format, the layout
// and type of its locked bytes, the swizzle that gives it Direct3D's channel
// semantics when sampled, and its size.
#pragma once

#include <d3d9.h>

#include <cstddef>
#include <cstdint>

namespace kl::d3d9 {

struct FormatInfo {
    D3DFORMAT format;
    unsigned internalFormat;  // GL sized internal format
    unsigned layout;          // GL pixel format of the locked bytes (GL_BGRA, ...)
    unsigned type;            // GL pixel type of the locked bytes
    int swizzle[4];           // GL_TEXTURE_SWIZZLE_RGBA values
    unsigned blockBytes;      // bytes per pixel, or per 4x4 block when compressed
    bool compressed;
    bool depth;
    bool stencil;
};

// The row of a format; nullptr for a format this platform cannot store.
const FormatInfo* FindFormat(D3DFORMAT format);

// Bytes of one row of `width` pixels (of 4-pixel block rows when compressed).
size_t RowPitch(const FormatInfo& info, unsigned width);
// Rows of blocks in `height` pixels (height itself when not compressed).
unsigned RowCount(const FormatInfo& info, unsigned height);

// Applies the format's swizzle to pixels read from GL as RGBA8, in place, so
// that X8 formats read alpha as 255 and luminance formats read grey.
void ApplySwizzleRgba8(const FormatInfo& info, uint8_t* pixels, size_t count);

// Converts locked-layout pixels to RGBA8 on the CPU; false for a format that
// has no such conversion (compressed, depth, float).
bool ConvertToRgba8(const FormatInfo& info, const uint8_t* source, size_t count, uint8_t* out);

// Whether a render target may use the format.
inline bool IsColorRenderable(const FormatInfo& info) {
    return !info.compressed && !info.depth;
}

}  // namespace kl::d3d9
