#include "d3d9/formats.h"

#include <GL/glcorearb.h>

#include <array>
#include <cstring>

namespace kl::d3d9 {
namespace {

constexpr GLenum kS3tcDxt1 = 0x83F1;  // GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
constexpr GLenum kS3tcDxt3 = 0x83F2;  // GL_COMPRESSED_RGBA_S3TC_DXT3_EXT
constexpr GLenum kS3tcDxt5 = 0x83F3;  // GL_COMPRESSED_RGBA_S3TC_DXT5_EXT

#define RGBA \
    { GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA }
#define RGB1 \
    { GL_RED, GL_GREEN, GL_BLUE, GL_ONE }
#define LLL1 \
    { GL_RED, GL_RED, GL_RED, GL_ONE }
#define LLLA \
    { GL_RED, GL_RED, GL_RED, GL_GREEN }
#define A000 \
    { GL_ZERO, GL_ZERO, GL_ZERO, GL_RED }
#define R111 \
    { GL_RED, GL_ONE, GL_ONE, GL_ONE }
#define RG11 \
    { GL_RED, GL_GREEN, GL_ONE, GL_ONE }

// Direct3D names channels from the most significant bit of a little-endian
// word: A8R8G8B8 is the bytes B, G, R, A in memory, which GL calls BGRA.
// Missing channels read 1 (and alpha of X formats 1), as Direct3D samples them.
constexpr std::array<FormatInfo, 27> kFormats = {{
    {D3DFMT_A8R8G8B8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, RGBA, 4, false, false, false},
    {D3DFMT_X8R8G8B8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, RGB1, 4, false, false, false},
    {D3DFMT_A8B8G8R8, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, RGBA, 4, false, false, false},
    {D3DFMT_X8B8G8R8, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, RGB1, 4, false, false, false},
    {D3DFMT_R5G6B5, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, RGB1, 2, false, false, false},
    {D3DFMT_X1R5G5B5, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, RGB1, 2, false, false,
     false},
    {D3DFMT_A1R5G5B5, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, RGBA, 2, false, false,
     false},
    {D3DFMT_A4R4G4B4, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, RGBA, 2, false, false,
     false},
    {D3DFMT_X4R4G4B4, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, RGB1, 2, false, false,
     false},
    {D3DFMT_A2B10G10R10, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV, RGBA, 4, false,
     false, false},
    {D3DFMT_A2R10G10B10, GL_RGB10_A2, GL_BGRA, GL_UNSIGNED_INT_2_10_10_10_REV, RGBA, 4, false,
     false, false},
    {D3DFMT_A8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, A000, 1, false, false, false},
    {D3DFMT_L8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, LLL1, 1, false, false, false},
    {D3DFMT_A8L8, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, LLLA, 2, false, false, false},
    {D3DFMT_L16, GL_R16, GL_RED, GL_UNSIGNED_SHORT, LLL1, 2, false, false, false},
    {D3DFMT_G16R16, GL_RG16, GL_RG, GL_UNSIGNED_SHORT, RG11, 4, false, false, false},
    {D3DFMT_A16B16G16R16, GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT, RGBA, 8, false, false, false},
    {D3DFMT_R16F, GL_R16F, GL_RED, GL_HALF_FLOAT, R111, 2, false, false, false},
    {D3DFMT_G16R16F, GL_RG16F, GL_RG, GL_HALF_FLOAT, RG11, 4, false, false, false},
    {D3DFMT_A16B16G16R16F, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, RGBA, 8, false, false, false},
    {D3DFMT_R32F, GL_R32F, GL_RED, GL_FLOAT, R111, 4, false, false, false},
    {D3DFMT_G32R32F, GL_RG32F, GL_RG, GL_FLOAT, RG11, 8, false, false, false},
    {D3DFMT_A32B32G32R32F, GL_RGBA32F, GL_RGBA, GL_FLOAT, RGBA, 16, false, false, false},
    {D3DFMT_DXT1, kS3tcDxt1, 0, 0, RGBA, 8, true, false, false},
    {D3DFMT_DXT3, kS3tcDxt3, 0, 0, RGBA, 16, true, false, false},
    {D3DFMT_DXT5, kS3tcDxt5, 0, 0, RGBA, 16, true, false, false},
    {D3DFMT_D16, GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, RGBA, 2, false, true,
     false},
}};

// Depth formats beyond the 27 colour rows above live in their own table so
// that each table stays one row per value.
constexpr std::array<FormatInfo, 6> kDepthFormats = {{
    {D3DFMT_D24S8, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, RGBA, 4, false,
     true, true},
    {D3DFMT_D24X8, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, RGBA, 4, false,
     true, false},
    {D3DFMT_D24X4S4, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, RGBA, 4, false,
     true, true},
    {D3DFMT_D32, GL_DEPTH_COMPONENT32, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, RGBA, 4, false, true,
     false},
    {D3DFMT_D16_LOCKABLE, GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, RGBA, 2,
     false, true, false},
    {D3DFMT_D32F_LOCKABLE, GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT, RGBA, 4, false,
     true, false},
}};

template <size_t N>
constexpr bool EveryRowNamesAFormat(const std::array<FormatInfo, N>& table) {
    for (const FormatInfo& row : table)
        if (row.format == D3DFMT_UNKNOWN || row.blockBytes == 0) return false;
    return true;
}
// A row count larger than the rows written would leave empty rows behind.
static_assert(EveryRowNamesAFormat(kFormats), "a colour format row is missing");
static_assert(EveryRowNamesAFormat(kDepthFormats), "a depth format row is missing");

#undef RGBA
#undef RGB1
#undef LLL1
#undef LLLA
#undef A000
#undef R111
#undef RG11

uint8_t Expand(unsigned value, unsigned bits) {
    const unsigned max = (1u << bits) - 1;
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

uint8_t SwizzleChannel(int swizzle, const uint8_t* rgba) {
    switch (swizzle) {
        case GL_RED:
            return rgba[0];
        case GL_GREEN:
            return rgba[1];
        case GL_BLUE:
            return rgba[2];
        case GL_ALPHA:
            return rgba[3];
        case GL_ZERO:
            return 0;
        default:
            return 255;
    }
}

}  // namespace

const FormatInfo* FindFormat(D3DFORMAT format) {
    for (const FormatInfo& info : kFormats)
        if (info.format == format) return &info;
    for (const FormatInfo& info : kDepthFormats)
        if (info.format == format) return &info;
    return nullptr;
}

size_t RowPitch(const FormatInfo& info, unsigned width) {
    if (info.compressed) return static_cast<size_t>((width + 3) / 4) * info.blockBytes;
    return static_cast<size_t>(width) * info.blockBytes;
}

unsigned RowCount(const FormatInfo& info, unsigned height) {
    return info.compressed ? (height + 3) / 4 : height;
}

void ApplySwizzleRgba8(const FormatInfo& info, uint8_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        uint8_t* p = pixels + i * 4;
        const uint8_t in[4] = {p[0], p[1], p[2], p[3]};
        for (int c = 0; c < 4; ++c) p[c] = SwizzleChannel(info.swizzle[c], in);
    }
}

bool ConvertToRgba8(const FormatInfo& info, const uint8_t* source, size_t count, uint8_t* out) {
    for (size_t i = 0; i < count; ++i) {
        uint8_t* o = out + i * 4;
        if (info.layout == GL_BGRA && info.type == GL_UNSIGNED_BYTE) {
            const uint8_t* s = source + i * 4;
            o[0] = s[2], o[1] = s[1], o[2] = s[0], o[3] = s[3];
        } else if (info.layout == GL_RGBA && info.type == GL_UNSIGNED_BYTE) {
            std::memcpy(o, source + i * 4, 4);
        } else if (info.format == D3DFMT_R5G6B5) {
            uint16_t v;
            std::memcpy(&v, source + i * 2, 2);
            o[0] = Expand(v >> 11, 5), o[1] = Expand((v >> 5) & 63, 6), o[2] = Expand(v & 31, 5);
            o[3] = 255;
        } else if (info.layout == GL_RED && info.type == GL_UNSIGNED_BYTE) {
            o[0] = source[i], o[1] = 0, o[2] = 0, o[3] = 255;
        } else {
            return false;
        }
    }
    ApplySwizzleRgba8(info, out, count);
    return true;
}

}  // namespace kl::d3d9
