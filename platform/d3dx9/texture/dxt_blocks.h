// Decoding of the DXT1, DXT3 and DXT5 4×4 block formats to BGRA bytes.
#pragma once

#include <cstdint>

namespace kl::d3dx9::texture {

enum class DxtKind { Dxt1, Dxt3, Dxt5 };

constexpr int BlockBytes(DxtKind kind) {
    return kind == DxtKind::Dxt1 ? 8 : 16;
}

// Writes the block's 16 pixels, row by row, as BGRA into out[64].
void DecodeDxtBlock(DxtKind kind, const uint8_t* block, uint8_t out[64]);

}  // namespace kl::d3dx9::texture
