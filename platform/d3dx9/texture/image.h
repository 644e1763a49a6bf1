// A decoded image in the memory layout of D3DFMT_A8R8G8B8: four bytes per
// pixel in the order blue, green, red, alpha; rows top to bottom, no padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kl::d3dx9::texture {

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bgra;
    bool hasAlpha = false;  // false: every alpha is 255 and X8R8G8B8 serves

    uint8_t* Pixel(uint32_t x, uint32_t y) { return &bgra[(size_t{y} * width + x) * 4]; }
    const uint8_t* Pixel(uint32_t x, uint32_t y) const {
        return &bgra[(size_t{y} * width + x) * 4];
    }
};

// Larger images are refused from their header, before decoding, so that a
// forged header cannot make us allocate gigabytes: at most 16384 pixels a
// side and 2^24 pixels (64 MiB decoded, 4096 x 4096) in all.
constexpr uint32_t kMaxImageDimension = 16384;
constexpr uint64_t kMaxImagePixels = uint64_t{1} << 24;

// The sides a caller can use, such as a device's maximum texture size;
// never more than kMaxImageDimension.
struct ImageLimits {
    uint32_t maxWidth = kMaxImageDimension;
    uint32_t maxHeight = kMaxImageDimension;
};

bool FitsLimits(uint64_t width, uint64_t height, const ImageLimits& limits);

enum class DecodeStatus { Ok, UnknownFormat, Corrupt, TooLarge };

// Detects the format from the content (DDS, PNG, JPEG, BMP, TGA) and decodes
// the top-level image; mip levels stored in a DDS file are not used. An image
// outside the limits is TooLarge, found before any pixel is decoded.
DecodeStatus DecodeImage(const uint8_t* data, size_t size, Image& out,
                         const ImageLimits& limits = {});

// The DDS reader on its own: uncompressed RGB(A) and luminance formats by
// their bit masks, and DXT1 to DXT5 block compression.
DecodeStatus DecodeDds(const uint8_t* data, size_t size, Image& out,
                       const ImageLimits& limits = {});

// BMP, TGA, PNG and JPEG through stb_image.
DecodeStatus DecodeWithStb(const uint8_t* data, size_t size, Image& out,
                           const ImageLimits& limits = {});

// False when a BMP or TGA announces more pixel data than the file holds.
bool StoredPixelsFit(const uint8_t* data, size_t size);

// False when a JPEG defines a Huffman table with more than 256 codes.
bool JpegHuffmanTablesFit(const uint8_t* data, size_t size);

// A progressive JPEG is decoded once per scan over the whole image, so the
// scans a file may hold are bounded; encoders write about ten.
constexpr size_t kMaxJpegScans = 100;

// False when a JPEG holds more than kMaxJpegScans start-of-scan markers.
bool JpegScansFit(const uint8_t* data, size_t size);

}  // namespace kl::d3dx9::texture
