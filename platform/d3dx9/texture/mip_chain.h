// Image sizes and resampling for textures: power-of-two sizes, mip level
// counts, and the box-filtered mip chain.
#pragma once

#include "d3dx9/texture/image.h"

namespace kl::d3dx9::texture {

// The smallest power of two that is >= n (n >= 1).
uint32_t RoundUpToPowerOfTwo(uint32_t n);

// Number of levels of a full chain down to 1×1: floor(log2(max(w, h))) + 1.
uint32_t FullMipLevelCount(uint32_t width, uint32_t height);

// Bilinear resampling to a new size, pixel centres aligned.
Image Resize(const Image& source, uint32_t width, uint32_t height);

// The next smaller level: each dimension halved (never below 1), each pixel
// the average of the 2×2 (or 2×1 once a dimension is 1) block above it.
Image HalveBox(const Image& source);

}  // namespace kl::d3dx9::texture
