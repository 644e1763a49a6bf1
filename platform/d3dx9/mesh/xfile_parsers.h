// The two body parsers behind ParseXFile; each starts right after the 16-byte header.
#pragma once

#include "d3dx9/mesh/xfile_tree.h"

namespace kl::d3dx9::xfile {

ParseStatus ParseTextBody(const uint8_t* data, size_t size, Tree& out);
// floatBytes is 4 or 8: the width of each element of a binary float list.
ParseStatus ParseBinaryBody(const uint8_t* data, size_t size, int floatBytes, Tree& out);

}  // namespace kl::d3dx9::xfile
