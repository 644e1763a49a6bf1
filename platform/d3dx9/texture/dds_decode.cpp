// DDS files: the "DDS " magic, a 124-byte header with a 32-byte pixel format,
// then the top-level image (followed by mip levels we do not read).
#include <cstring>

#include "d3dx9/texture/dxt_blocks.h"
#include "d3dx9/texture/image.h"

namespace kl::d3dx9::texture {
namespace {

constexpr size_t kMagicBytes = 4;
constexpr size_t kHeaderBytes = 124;
constexpr size_t kDataOffset = kMagicBytes + kHeaderBytes;

// Header field offsets, counted from the start of the file.
constexpr size_t kHeaderSizeAt = 4;
constexpr size_t kHeaderFlagsAt = 8;
constexpr size_t kHeightAt = 12;
constexpr size_t kWidthAt = 16;
constexpr size_t kPitchAt = 20;
constexpr size_t kPixelFormatFlagsAt = 80;
constexpr size_t kFourCcAt = 84;
constexpr size_t kBitCountAt = 88;
constexpr size_t kRedMaskAt = 92;
constexpr size_t kGreenMaskAt = 96;
constexpr size_t kBlueMaskAt = 100;
constexpr size_t kAlphaMaskAt = 104;
constexpr size_t kCaps2At = 112;

constexpr uint32_t kHeaderHasPitch = 0x8;
constexpr uint32_t kPixelAlphaPixels = 0x1;
constexpr uint32_t kPixelAlphaOnly = 0x2;
constexpr uint32_t kPixelFourCc = 0x4;
constexpr uint32_t kPixelRgb = 0x40;
constexpr uint32_t kPixelLuminance = 0x20000;
constexpr uint32_t kCaps2CubeMap = 0x200;
constexpr uint32_t kCaps2Volume = 0x200000;

uint32_t ReadU32(const uint8_t* data, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, data + at, sizeof v);
    return v;
}

constexpr uint32_t FourCc(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) | (uint32_t(uint8_t(s[1])) << 8) |
           (uint32_t(uint8_t(s[2])) << 16) | (uint32_t(uint8_t(s[3])) << 24);
}

// A channel given by a bit mask, scaled to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (mask == 0) return;
        while (((mask >> shift) & 1) == 0) ++shift;
        max = mask >> shift;
    }
    uint8_t Extract(uint32_t pixel, uint8_t absent) const {
        if (mask == 0) return absent;
        return static_cast<uint8_t>(uint64_t{(pixel & mask) >> shift} * 255u / max);
    }
};

// Rows are packed unless the header gives a larger pitch (some writers pad
// rows to four bytes); masks are cut to the bits a pixel actually has.
DecodeStatus DecodeMasked(const uint8_t* data, size_t size, Image& out) {
    const uint32_t flags = ReadU32(data, kPixelFormatFlagsAt);
    const uint32_t bits = ReadU32(data, kBitCountAt);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return DecodeStatus::UnknownFormat;
    const size_t bytesPerPixel = bits / 8;
    const size_t packedPitch = size_t{out.width} * bytesPerPixel;
    const size_t headerPitch = ReadU32(data, kPitchAt);
    const bool usePitch =
        (ReadU32(data, kHeaderFlagsAt) & kHeaderHasPitch) != 0 && headerPitch > packedPitch;
    const size_t pitch = usePitch ? headerPitch : packedPitch;
    if ((size - kDataOffset) / out.height < pitch) return DecodeStatus::Corrupt;

    const uint32_t pixelBits = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    const bool luminance = (flags & kPixelLuminance) != 0;
    const Channel red(ReadU32(data, kRedMaskAt) & pixelBits);
    const Channel green(luminance ? 0 : ReadU32(data, kGreenMaskAt) & pixelBits);
    const Channel blue(luminance ? 0 : ReadU32(data, kBlueMaskAt) & pixelBits);
    const bool hasAlphaMask = (flags & (kPixelAlphaPixels | kPixelAlphaOnly)) != 0;
    const Channel alpha(hasAlphaMask ? ReadU32(data, kAlphaMaskAt) & pixelBits : 0);
    const bool alphaOnly = (flags & kPixelAlphaOnly) != 0 && (flags & kPixelRgb) == 0 && !luminance;
    const uint8_t colourAbsent = alphaOnly ? 0 : 255;

    out.bgra.resize(size_t{out.width} * out.height * 4);
    for (uint32_t y = 0; y < out.height; ++y) {
        const uint8_t* src = data + kDataOffset + y * pitch;
        for (uint32_t x = 0; x < out.width; ++x, src += bytesPerPixel) {
            uint32_t pixel = 0;
            std::memcpy(&pixel, src, bytesPerPixel);
            uint8_t* dst = out.Pixel(x, y);
            const uint8_t r = red.Extract(pixel, colourAbsent);
            dst[0] = luminance ? r : blue.Extract(pixel, colourAbsent);
            dst[1] = luminance ? r : green.Extract(pixel, colourAbsent);
            dst[2] = r;
            dst[3] = alpha.Extract(pixel, 255);
        }
    }
    out.hasAlpha = alpha.mask != 0;
    return DecodeStatus::Ok;
}

DecodeStatus DecodeBlocks(DxtKind kind, const uint8_t* data, size_t size, Image& out) {
    const size_t blocksX = (size_t{out.width} + 3) / 4;
    const size_t blocksY = (size_t{out.height} + 3) / 4;
    const size_t blockBytes = BlockBytes(kind);
    if (size - kDataOffset < blocksX * blocksY * blockBytes) return DecodeStatus::Corrupt;

    out.bgra.assign(size_t{out.width} * out.height * 4, 0);
    const uint8_t* src = data + kDataOffset;
    uint8_t pixels[64];
    bool anyTransparent = false;
    for (size_t by = 0; by < blocksY; ++by) {
        for (size_t bx = 0; bx < blocksX; ++bx, src += blockBytes) {
            DecodeDxtBlock(kind, src, pixels);
            for (uint32_t i = 0; i < 16; ++i) {
                const size_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x >= out.width || y >= out.height) continue;  // edge blocks of odd sizes
                std::memcpy(out.Pixel(static_cast<uint32_t>(x), static_cast<uint32_t>(y)),
                            &pixels[i * 4], 4);
                anyTransparent = anyTransparent || pixels[i * 4 + 3] != 255;
            }
        }
    }
    out.hasAlpha = kind != DxtKind::Dxt1 || anyTransparent;
    return DecodeStatus::Ok;
}

}  // namespace

DecodeStatus DecodeDds(const uint8_t* data, size_t size, Image& out, const ImageLimits& limits) {
    out = Image{};
    if (size < kDataOffset || std::memcmp(data, "DDS ", 4) != 0 ||
        ReadU32(data, kHeaderSizeAt) != kHeaderBytes) {
        return DecodeStatus::Corrupt;
    }
    if ((ReadU32(data, kCaps2At) & (kCaps2CubeMap | kCaps2Volume)) != 0) {
        return DecodeStatus::UnknownFormat;
    }
    out.width = ReadU32(data, kWidthAt);
    out.height = ReadU32(data, kHeightAt);
    if (out.width == 0 || out.height == 0) return DecodeStatus::Corrupt;
    if (!FitsLimits(out.width, out.height, limits)) return DecodeStatus::TooLarge;
    if ((ReadU32(data, kPixelFormatFlagsAt) & kPixelFourCc) == 0) {
        return DecodeMasked(data, size, out);
    }
    switch (ReadU32(data, kFourCcAt)) {
        case FourCc("DXT1"):
            return DecodeBlocks(DxtKind::Dxt1, data, size, out);
        case FourCc("DXT2"):  // premultiplied alpha; decoded as stored
        case FourCc("DXT3"):
            return DecodeBlocks(DxtKind::Dxt3, data, size, out);
        case FourCc("DXT4"):
        case FourCc("DXT5"):
            return DecodeBlocks(DxtKind::Dxt5, data, size, out);
        default:
            return DecodeStatus::UnknownFormat;
    }
}

}  // namespace kl::d3dx9::texture
