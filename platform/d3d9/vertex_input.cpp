#include "d3d9/vertex_input.h"

#include <GL/glcorearb.h>

#include "common/log.h"

namespace kl::d3d9 {

AttributeFormat DecodeDeclType(BYTE type) {
    switch (type) {
        case D3DDECLTYPE_FLOAT1:
            return {1, GL_FLOAT, false};
        case D3DDECLTYPE_FLOAT2:
            return {2, GL_FLOAT, false};
        case D3DDECLTYPE_FLOAT3:
            return {3, GL_FLOAT, false};
        case D3DDECLTYPE_FLOAT4:
            return {4, GL_FLOAT, false};
        // A D3DCOLOR is the bytes B, G, R, A: GL reads that order as size GL_BGRA.
        case D3DDECLTYPE_D3DCOLOR:
            return {GL_BGRA, GL_UNSIGNED_BYTE, true};
        case D3DDECLTYPE_UBYTE4:
            return {4, GL_UNSIGNED_BYTE, false};
        case D3DDECLTYPE_SHORT2:
            return {2, GL_SHORT, false};
        case D3DDECLTYPE_SHORT4:
            return {4, GL_SHORT, false};
        case D3DDECLTYPE_UBYTE4N:
            return {4, GL_UNSIGNED_BYTE, true};
        case D3DDECLTYPE_SHORT2N:
            return {2, GL_SHORT, true};
        case D3DDECLTYPE_SHORT4N:
            return {4, GL_SHORT, true};
        case D3DDECLTYPE_USHORT2N:
            return {2, GL_UNSIGNED_SHORT, true};
        case D3DDECLTYPE_USHORT4N:
            return {4, GL_UNSIGNED_SHORT, true};
        case D3DDECLTYPE_FLOAT16_2:
            return {2, GL_HALF_FLOAT, false};
        case D3DDECLTYPE_FLOAT16_4:
            return {4, GL_HALF_FLOAT, false};
        default:
            platform::Log(platform::LogLevel::Warning,
                          "Direct3D: vertex element type %u is not supported", type);
            return {};
    }
}

UINT VertexCount(D3DPRIMITIVETYPE type, UINT count) {
    switch (type) {
        case D3DPT_POINTLIST:
            return count;
        case D3DPT_LINELIST:
            return count * 2;
        case D3DPT_LINESTRIP:
            return count + 1;
        case D3DPT_TRIANGLELIST:
            return count * 3;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN:
            return count + 2;
        default:
            return 0;
    }
}

unsigned DecodePrimitiveType(D3DPRIMITIVETYPE type) {
    switch (type) {
        case D3DPT_POINTLIST:
            return GL_POINTS;
        case D3DPT_LINELIST:
            return GL_LINES;
        case D3DPT_LINESTRIP:
            return GL_LINE_STRIP;
        case D3DPT_TRIANGLELIST:
            return GL_TRIANGLES;
        case D3DPT_TRIANGLESTRIP:
            return GL_TRIANGLE_STRIP;
        case D3DPT_TRIANGLEFAN:
            return GL_TRIANGLE_FAN;
        default:
            return 0;
    }
}

}  // namespace kl::d3d9
