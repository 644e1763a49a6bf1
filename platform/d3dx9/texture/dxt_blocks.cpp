#include "d3dx9/texture/dxt_blocks.h"

namespace kl::d3dx9::texture {
namespace {

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// R5G6B5 to 8-bit blue, green, red, replicating the top bits into the bottom.
void Expand565(uint16_t c, uint8_t bgr[3]) {
    const int r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    bgr[0] = static_cast<uint8_t>((b << 3) | (b >> 2));
    bgr[1] = static_cast<uint8_t>((g << 2) | (g >> 4));
    bgr[2] = static_cast<uint8_t>((r << 3) | (r >> 2));
}

uint8_t Mix(int a, int b, int wa, int wb) {
    return static_cast<uint8_t>((a * wa + b * wb) / (wa + wb));
}

// The colour half of every block: two endpoints and 2-bit indices. In DXT1, an
// endpoint order c0 <= c1 selects the three-colour mode whose index 3 is
// transparent black; DXT3 and DXT5 always use four colours.
void DecodeColours(const uint8_t* block, bool allowThreeColour, uint8_t out[64]) {
    const uint16_t c0 = ReadU16(block);
    const uint16_t c1 = ReadU16(block + 2);
    uint8_t palette[4][4];
    Expand565(c0, palette[0]);
    Expand565(c1, palette[1]);
    palette[0][3] = palette[1][3] = 255;
    const bool fourColour = c0 > c1 || !allowThreeColour;
    for (int ch = 0; ch < 3; ++ch) {
        const int a = palette[0][ch], b = palette[1][ch];
        palette[2][ch] = fourColour ? Mix(a, b, 2, 1) : Mix(a, b, 1, 1);
        palette[3][ch] = fourColour ? Mix(a, b, 1, 2) : 0;
    }
    palette[2][3] = 255;
    palette[3][3] = fourColour ? 255 : 0;
    const uint32_t indices = ReadU32(block + 4);
    for (int i = 0; i < 16; ++i) {
        const uint8_t* c = palette[(indices >> (2 * i)) & 3];
        for (int ch = 0; ch < 4; ++ch) out[i * 4 + ch] = c[ch];
    }
}

// DXT3: sixteen explicit 4-bit alphas.
void DecodeExplicitAlpha(const uint8_t* block, uint8_t out[64]) {
    for (int i = 0; i < 16; ++i) {
        const int a = (block[i / 2] >> (4 * (i % 2))) & 15;
        out[i * 4 + 3] = static_cast<uint8_t>(a * 17);
    }
}

// DXT5: two alpha endpoints and sixteen 3-bit indices into an 8- or
// 6-step ramp (the latter with fixed 0 and 255).
void DecodeInterpolatedAlpha(const uint8_t* block, uint8_t out[64]) {
    const int a0 = block[0], a1 = block[1];
    uint8_t ramp[8] = {static_cast<uint8_t>(a0), static_cast<uint8_t>(a1)};
    if (a0 > a1) {
        for (int k = 1; k <= 6; ++k) ramp[k + 1] = Mix(a0, a1, 7 - k, k);
    } else {
        for (int k = 1; k <= 4; ++k) ramp[k + 1] = Mix(a0, a1, 5 - k, k);
        ramp[6] = 0;
        ramp[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t{block[2 + i]} << (8 * i);
    for (int i = 0; i < 16; ++i) out[i * 4 + 3] = ramp[(bits >> (3 * i)) & 7];
}

}  // namespace

void DecodeDxtBlock(DxtKind kind, const uint8_t* block, uint8_t out[64]) {
    switch (kind) {
        case DxtKind::Dxt1:
            DecodeColours(block, true, out);
            break;
        case DxtKind::Dxt3:
            DecodeColours(block + 8, false, out);
            DecodeExplicitAlpha(block, out);
            break;
        case DxtKind::Dxt5:
            DecodeColours(block + 8, false, out);
            DecodeInterpolatedAlpha(block, out);
            break;
    }
}

}  // namespace kl::d3dx9::texture
