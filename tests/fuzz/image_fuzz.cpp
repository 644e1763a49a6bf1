// Image decoding (BMP, TGA, PNG, JPG through stb_image behind our guards, and
// our own DDS reader) followed by the resize and mip-chain steps a texture
// load runs, on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "d3dx9/texture/image.h"
#include "d3dx9/texture/mip_chain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kl::texture::Image image;
    // A device's smaller limits, taken from the first byte, decide before
    // decoding; whatever decodes must fit them.
    if (size > 0) {
        const kl::texture::ImageLimits narrow{1u + data[0] % 64, 1u + data[0] / 4};
        if (kl::texture::DecodeImage(data, size, image, narrow) == kl::texture::DecodeStatus::Ok &&
            (image.width > narrow.maxWidth || image.height > narrow.maxHeight)) {
            __builtin_trap();
        }
    }
    if (kl::texture::DecodeImage(data, size, image) != kl::texture::DecodeStatus::Ok) return 0;
    // Large images are valid but would only slow the search down.
    if (image.width > 512 || image.height > 512) return 0;
    kl::texture::Image level =
        kl::texture::Resize(image, kl::texture::RoundUpToPowerOfTwo(image.width),
                            kl::texture::RoundUpToPowerOfTwo(image.height));
    while (level.width > 1 || level.height > 1) level = kl::texture::HalveBox(level);
    return 0;
}
