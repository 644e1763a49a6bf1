// stb_image 2.27 (Debian's) trusts the code counts of a JPEG Huffman table:
// counts adding up to more than 256 make it write past the table's arrays.
// Every define-Huffman-table marker in the file is checked before stb sees
// it. Scanning all bytes instead of following the segment chain means stb
// cannot reach a table that the check skipped; in entropy-coded data a 0xFF
// is always followed by 0x00, so real scan data never looks like a marker.
#include "d3dx9/texture/image.h"

namespace kl::d3dx9::texture {
namespace {

constexpr uint8_t kMarkerDefineHuffman = 0xC4;
constexpr uint8_t kMarkerStartOfScan = 0xDA;
constexpr size_t kMaxHuffmanSymbols = 256;

// Bytes past the end read as 0, as stb reads them.
uint8_t ByteAt(const uint8_t* data, size_t size, size_t at) {
    return at < size ? data[at] : 0;
}

// A DHT segment (after its 2-byte length) holds tables until the length is
// used up: a class/id byte, 16 code counts, then one symbol per code.
bool HuffmanSegmentFits(const uint8_t* data, size_t size, size_t at) {
    const size_t length = size_t{ByteAt(data, size, at)} << 8 | ByteAt(data, size, at + 1);
    if (length < 2) return true;
    const size_t end = at + length;
    at += 2;
    while (at < end) {
        size_t symbols = 0;
        for (size_t i = 1; i <= 16; ++i) symbols += ByteAt(data, size, at + i);
        if (symbols > kMaxHuffmanSymbols) return false;
        at += 17 + symbols;
    }
    return true;
}

}  // namespace

bool JpegHuffmanTablesFit(const uint8_t* data, size_t size) {
    for (size_t at = 0; at + 1 < size; ++at) {
        if (data[at] == 0xFF && data[at + 1] == kMarkerDefineHuffman &&
            !HuffmanSegmentFits(data, size, at + 2)) {
            return false;
        }
    }
    return true;
}

bool JpegScansFit(const uint8_t* data, size_t size) {
    size_t scans = 0;
    for (size_t at = 0; at + 1 < size; ++at) {
        if (data[at] == 0xFF && data[at + 1] == kMarkerStartOfScan && ++scans > kMaxJpegScans)
            return false;
    }
    return true;
}

}  // namespace kl::d3dx9::texture
