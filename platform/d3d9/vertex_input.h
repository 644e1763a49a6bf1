// How a vertex-declaration element reads in GL: component count, type and
// normalization for glVertexArrayAttribFormat.
#pragma once

#include <d3d9.h>

namespace kl::d3d9 {

struct AttributeFormat {
    int size = 0;  // 0: a type GL cannot read
    unsigned type = 0;
    bool normalized = false;
};

AttributeFormat DecodeDeclType(BYTE type);

// Vertices that `count` primitives of a type use.
UINT VertexCount(D3DPRIMITIVETYPE type, UINT primitiveCount);
// The GL primitive mode; 0 for an unknown type.
unsigned DecodePrimitiveType(D3DPRIMITIVETYPE type);

}  // namespace kl::d3d9
