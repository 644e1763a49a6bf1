#include <cstring>

#include "d3dx9/texture/image.h"

namespace kl::texture {

DecodeStatus DecodeImage(const uint8_t* data, size_t size, Image& out) {
    out = Image{};
    if (data == nullptr || size == 0) return DecodeStatus::UnknownFormat;
    if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0) return DecodeDds(data, size, out);
    return DecodeWithStb(data, size, out);
}

}  // namespace kl::texture
