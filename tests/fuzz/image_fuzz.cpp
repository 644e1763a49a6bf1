// Image decoding (BMP, TGA, PNG, JPG through stb_image behind our guards, and
// our own DDS reader) followed by the resize and mip-chain steps a texture
// load runs, on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "d3dx9/texture/image.h"
#include "d3dx9/texture/mip_chain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kl::d3dx9::texture::Image image;
    // A device's smaller limits, taken from the first byte, decide before
    // decoding; whatever decodes must fit them.
    if (size > 0) {
        const kl::d3dx9::texture::ImageLimits narrow{1u + data[0] % 64, 1u + data[0] / 4};
        if (kl::d3dx9::texture::DecodeImage(data, size, image, narrow) ==
                kl::d3dx9::texture::DecodeStatus::Ok &&
            (image.width > narrow.maxWidth || image.height > narrow.maxHeight)) {
            __builtin_trap();
        }
    }
    if (kl::d3dx9::texture::DecodeImage(data, size, image) != kl::d3dx9::texture::DecodeStatus::Ok)
        return 0;
    // Large images are valid but would only slow the search down.
    if (image.width > 512 || image.height > 512) return 0;
    kl::d3dx9::texture::Image level =
        kl::d3dx9::texture::Resize(image, kl::d3dx9::texture::RoundUpToPowerOfTwo(image.width),
                                   kl::d3dx9::texture::RoundUpToPowerOfTwo(image.height));
    while (level.width > 1 || level.height > 1) level = kl::d3dx9::texture::HalveBox(level);
    return 0;
}
