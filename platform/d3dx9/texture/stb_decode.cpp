// stb_image decodes BMP, TGA, PNG and JPEG for us; only those four decoders
// are compiled in, and images beyond kMaxImageDimension are refused by stb
// itself before it allocates.
#include "d3dx9/texture/image.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>

#include <climits>
#include <cstring>
#include <vector>

namespace kl::d3dx9::texture {
namespace {

static_assert(STBI_MAX_DIMENSIONS == kMaxImageDimension, "one size limit for every format");

bool HasAlphaChannel(int channelsInFile) {
    return channelsInFile == 2 || channelsInFile == 4;
}

bool AnyAlphaBelowOpaque(const Image& image) {
    for (size_t i = 3; i < image.bgra.size(); i += 4) {
        if (image.bgra[i] != 255) return true;
    }
    return false;
}

uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// A PNG may hold IDAT chunks of length zero; stb copies each chunk into a
// buffer it only allocates for a non-empty one, so an empty first IDAT makes
// it copy zero bytes to a null pointer. Such chunks carry nothing: a copy of
// the file without them decodes the same. Empty when there are none (or the
// chunk chain is broken, which stb reports itself).
std::vector<uint8_t> PngWithoutEmptyDataChunks(const uint8_t* data, size_t size) {
    constexpr size_t kSignature = 8, kFraming = 12;
    if (size < kSignature || std::memcmp(data, "\x89PNG", 4) != 0) return {};
    bool anyEmpty = false;
    for (size_t at = kSignature; at + kFraming <= size;) {
        const uint32_t length = BigEndian32(data + at);
        if (length > size - at - kFraming) return {};
        anyEmpty = anyEmpty || (length == 0 && std::memcmp(data + at + 4, "IDAT", 4) == 0);
        at += kFraming + length;
    }
    if (!anyEmpty) return {};
    std::vector<uint8_t> copy(data, data + kSignature);
    for (size_t at = kSignature; at + kFraming <= size;) {
        const uint32_t length = BigEndian32(data + at);
        if (length != 0 || std::memcmp(data + at + 4, "IDAT", 4) != 0)
            copy.insert(copy.end(), data + at, data + at + kFraming + length);
        at += kFraming + length;
    }
    return copy;
}

}  // namespace

DecodeStatus DecodeWithStb(const uint8_t* data, size_t size, Image& out,
                           const ImageLimits& limits) {
    const std::vector<uint8_t> cleaned = PngWithoutEmptyDataChunks(data, size);
    if (!cleaned.empty()) {
        data = cleaned.data();
        size = cleaned.size();
    }
    if (size > static_cast<size_t>(INT_MAX)) return DecodeStatus::TooLarge;
    const int length = static_cast<int>(size);
    int width = 0;
    int height = 0;
    int channels = 0;
    // Checked first: stb parses a JPEG's tables already when asked for its size.
    if (!StoredPixelsFit(data, size)) return DecodeStatus::Corrupt;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels)) {
        return DecodeStatus::UnknownFormat;
    }
    // stb's size query gives a top-down BMP's height as stored, negative; its
    // decoder flips the rows and uses the magnitude.
    const uint64_t rows = height < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(height))
                                     : static_cast<uint64_t>(height);
    if (width < 0 || !FitsLimits(static_cast<uint64_t>(width), rows, limits))
        return DecodeStatus::TooLarge;
    stbi_uc* rgba = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
    if (rgba == nullptr) return DecodeStatus::Corrupt;
    if (width <= 0 || height <= 0) {  // stb accepts a BMP that declares no pixels
        stbi_image_free(rgba);
        return DecodeStatus::Corrupt;
    }
    out.width = static_cast<uint32_t>(width);
    out.height = static_cast<uint32_t>(height);
    out.bgra.assign(rgba, rgba + size_t{out.width} * out.height * 4);
    stbi_image_free(rgba);
    for (size_t i = 0; i < out.bgra.size(); i += 4) std::swap(out.bgra[i], out.bgra[i + 2]);
    // A 32-bit BMP often stores an unused fourth byte; only real transparency counts.
    out.hasAlpha = HasAlphaChannel(channels) && AnyAlphaBelowOpaque(out);
    return DecodeStatus::Ok;
}

}  // namespace kl::d3dx9::texture
