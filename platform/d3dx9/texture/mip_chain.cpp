#include "d3dx9/texture/mip_chain.h"

#include <algorithm>
#include <cmath>

namespace kl::d3dx9::texture {

uint32_t RoundUpToPowerOfTwo(uint32_t n) {
    uint32_t p = 1;
    while (p < n && p < (1u << 31)) p <<= 1;
    return p;
}

uint32_t FullMipLevelCount(uint32_t width, uint32_t height) {
    uint32_t size = std::max(width, height);
    uint32_t levels = 1;
    while (size > 1) {
        size >>= 1;
        ++levels;
    }
    return levels;
}

Image Resize(const Image& source, uint32_t width, uint32_t height) {
    if (source.width == width && source.height == height) return source;
    Image out;
    out.width = width;
    out.height = height;
    out.hasAlpha = source.hasAlpha;
    out.bgra.resize(size_t{width} * height * 4);
    const float sx = static_cast<float>(source.width) / width;
    const float sy = static_cast<float>(source.height) / height;
    for (uint32_t y = 0; y < height; ++y) {
        const float fy = std::clamp((y + 0.5f) * sy - 0.5f, 0.0f, source.height - 1.0f);
        const auto y0 = static_cast<uint32_t>(fy);
        const uint32_t y1 = std::min(y0 + 1, source.height - 1);
        const float wy = fy - y0;
        for (uint32_t x = 0; x < width; ++x) {
            const float fx = std::clamp((x + 0.5f) * sx - 0.5f, 0.0f, source.width - 1.0f);
            const auto x0 = static_cast<uint32_t>(fx);
            const uint32_t x1 = std::min(x0 + 1, source.width - 1);
            const float wx = fx - x0;
            for (int c = 0; c < 4; ++c) {
                const float top = source.Pixel(x0, y0)[c] * (1 - wx) + source.Pixel(x1, y0)[c] * wx;
                const float bottom =
                    source.Pixel(x0, y1)[c] * (1 - wx) + source.Pixel(x1, y1)[c] * wx;
                out.Pixel(x, y)[c] =
                    static_cast<uint8_t>(std::lround(top * (1 - wy) + bottom * wy));
            }
        }
    }
    return out;
}

Image HalveBox(const Image& source) {
    Image out;
    out.width = std::max(1u, source.width / 2);
    out.height = std::max(1u, source.height / 2);
    out.hasAlpha = source.hasAlpha;
    out.bgra.resize(size_t{out.width} * out.height * 4);
    const uint32_t stepX = source.width > 1 ? 2 : 1;
    const uint32_t stepY = source.height > 1 ? 2 : 1;
    for (uint32_t y = 0; y < out.height; ++y) {
        for (uint32_t x = 0; x < out.width; ++x) {
            for (int c = 0; c < 4; ++c) {
                uint32_t sum = 0;
                for (uint32_t dy = 0; dy < stepY; ++dy) {
                    for (uint32_t dx = 0; dx < stepX; ++dx) {
                        sum += source.Pixel(x * stepX + dx, y * stepY + dy)[c];
                    }
                }
                const uint32_t n = stepX * stepY;
                out.Pixel(x, y)[c] = static_cast<uint8_t>((sum + n / 2) / n);
            }
        }
    }
    return out;
}

}  // namespace kl::d3dx9::texture
