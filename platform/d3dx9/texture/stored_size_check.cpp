// stb_image reads zeros past the end of a truncated BMP or TGA and reports
// success, which would turn a broken file into a silently black texture. These
// checks make sure the pixel data a BMP or TGA header announces is present
// (and, for JPEG, that its Huffman tables are safe for stb and its scans few).
#include <cstring>

#include "d3dx9/texture/image.h"

namespace kl::d3dx9::texture {
namespace {

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
    return U16(p) | (uint32_t{U16(p + 2)} << 16);
}

constexpr uint32_t kBmpUncompressed = 0;
constexpr uint32_t kBmpRle8 = 1;
constexpr uint32_t kBmpRle4 = 2;

bool BmpPixelsFit(const uint8_t* data, size_t size) {
    if (size < 30) return false;
    const uint64_t offset = U32(data + 10);
    const uint32_t headerSize = U32(data + 14);
    uint64_t width = 0, height = 0, bits = 0;
    uint32_t compression = kBmpUncompressed;
    if (headerSize == 12) {  // the old OS/2 header
        width = U16(data + 18);
        height = U16(data + 20);
        bits = U16(data + 24);
    } else {
        if (size < 34) return false;
        const auto w = static_cast<int32_t>(U32(data + 18));
        const auto h = static_cast<int32_t>(U32(data + 22));
        width = w < 0 ? 0 : static_cast<uint64_t>(w);
        height =
            h < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(h)) : static_cast<uint64_t>(h);
        bits = U16(data + 28);
        compression = U32(data + 30);
    }
    // stb refuses run-length data and reads every other compression value as
    // plain rows, so those rows must be there.
    if (compression == kBmpRle8 || compression == kBmpRle4) return true;
    const uint64_t rowBytes = (width * bits + 31) / 32 * 4;
    return offset + rowBytes * height <= size;
}

// Types 1-3 store pixels as they are; 9-11 as run-length packets, each a
// header byte followed by one pixel (a run) or count pixels (raw).
bool TgaPixelsFit(const uint8_t* data, size_t size) {
    if (size < 18) return false;
    const int type = data[2];
    const uint64_t colourMapBytes =
        data[1] != 0 ? uint64_t{U16(data + 5)} * ((data[7] + 7) / 8) : 0;
    const uint64_t pixelBytes = (data[16] + 7) / 8;
    const uint64_t pixels = uint64_t{U16(data + 12)} * U16(data + 14);
    uint64_t at = 18 + uint64_t{data[0]} + colourMapBytes;
    if (type == 1 || type == 2 || type == 3) return at + pixels * pixelBytes <= size;
    if (type != 9 && type != 10 && type != 11) return true;  // stb refuses these
    uint64_t done = 0;
    while (done < pixels) {
        if (at >= size) return false;
        const uint8_t packet = data[at++];
        const uint64_t count = (packet & 0x7F) + 1u;
        at += (packet & 0x80) != 0 ? pixelBytes : count * pixelBytes;
        done += count;
    }
    return at <= size;
}

bool StartsWith(const uint8_t* data, size_t size, const char* magic, size_t n) {
    return size >= n && std::memcmp(data, magic, n) == 0;
}

// stb takes any file that starts with 0xFF fill bytes and a start-of-image
// marker (0xD8) for a JPEG, and parses its tables already in stbi_info.
bool LooksLikeJpegToStb(const uint8_t* data, size_t size) {
    size_t at = 0;
    while (at < size && data[at] == 0xFF) ++at;
    return at > 0 && at < size && data[at] == 0xD8;
}

}  // namespace

bool StoredPixelsFit(const uint8_t* data, size_t size) {
    if (StartsWith(data, size, "BM", 2)) return BmpPixelsFit(data, size);
    if (StartsWith(data, size, "\x89PNG", 4)) return true;
    if (LooksLikeJpegToStb(data, size))
        return JpegHuffmanTablesFit(data, size) && JpegScansFit(data, size);
    return TgaPixelsFit(data, size);
}

}  // namespace kl::d3dx9::texture
