// Reading the files that D3DX loads (.x meshes, images). Paths arrive as wide
// strings written for Windows: `\` separates components, and names may differ
// in case from the files on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kl::d3dx {

// Larger files are refused rather than read into memory.
constexpr size_t kMaxFileBytes = size_t{1} << 30;

// The path on this system: UTF-8, `\` mapped to `/`, and when the exact path
// does not exist, each component matched without regard to ASCII case.
// Returns the mapped path even when nothing matches, so errors can name it.
std::string ResolvePath(const wchar_t* path);

// Reads the whole file; false when it does not exist, cannot be read or is
// larger than kMaxFileBytes.
bool ReadWholeFile(const wchar_t* path, std::vector<uint8_t>& out);

}  // namespace kl::d3dx
