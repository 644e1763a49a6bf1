#include <cstring>

#include "d3dx9/texture/image.h"

namespace kl::d3dx9::texture {

bool FitsLimits(uint64_t width, uint64_t height, const ImageLimits& limits) {
    return width <= limits.maxWidth && height <= limits.maxHeight && width <= kMaxImageDimension &&
           height <= kMaxImageDimension && width * height <= kMaxImagePixels;
}

DecodeStatus DecodeImage(const uint8_t* data, size_t size, Image& out, const ImageLimits& limits) {
    out = Image{};
    if (data == nullptr || size == 0) return DecodeStatus::UnknownFormat;
    if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0) return DecodeDds(data, size, out, limits);
    return DecodeWithStb(data, size, out, limits);
}

}  // namespace kl::d3dx9::texture
