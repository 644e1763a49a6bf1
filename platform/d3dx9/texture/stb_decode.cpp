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

namespace kl::texture {
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

}  // namespace

DecodeStatus DecodeWithStb(const uint8_t* data, size_t size, Image& out) {
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
    if (uint64_t(width) * uint64_t(height) > kMaxImagePixels) return DecodeStatus::TooLarge;
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

}  // namespace kl::texture
