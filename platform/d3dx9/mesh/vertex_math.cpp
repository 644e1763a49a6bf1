#include "d3dx9/mesh/vertex_math.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace kl::d3dx9::mesh {
namespace {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator*(Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Normalized(Vec3 a) {
    const float len = std::sqrt(Dot(a, a));
    return len > 0 ? a * (1.0f / len) : Vec3{};
}

// Vertex memory may be unaligned for floats, so elements are copied in and out.
template <int N>
void Load(const VertexView& v, size_t i, int offset, float (&out)[N]) {
    std::memcpy(out, v.base + i * v.stride + offset, sizeof out);
}

Vec3 LoadVec3(const VertexView& v, size_t i, int offset) {
    float f[3];
    Load(v, i, offset, f);
    return {f[0], f[1], f[2]};
}

void StoreFloats(const VertexView& v, size_t i, int offset, const float* f, int n) {
    std::memcpy(v.base + i * v.stride + offset, f, sizeof(float) * n);
}

void StoreVec3(const VertexView& v, size_t i, int offset, Vec3 a) {
    const float f[3] = {a.x, a.y, a.z};
    StoreFloats(v, i, offset, f, 3);
}

bool FaceInRange(const VertexView& v, const IndexView& idx, size_t face, uint32_t (&corner)[3]) {
    for (int k = 0; k < 3; ++k) {
        corner[k] = idx.At(face * 3 + k);
        if (corner[k] >= v.count) return false;
    }
    return true;
}

// Any unit vector perpendicular to n, for vertices whose faces give no tangent.
Vec3 AnyPerpendicular(Vec3 n) {
    const Vec3 axis = std::fabs(n.x) < 0.9f ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    return Normalized(axis - n * Dot(axis, n));
}

}  // namespace

void ComputeVertexNormals(const VertexView& v, const IndexView& idx) {
    std::vector<Vec3> sum(v.count);
    for (size_t f = 0; f < idx.faceCount; ++f) {
        uint32_t c[3];
        if (!FaceInRange(v, idx, f, c)) continue;
        const Vec3 p0 = LoadVec3(v, c[0], v.positionOffset);
        const Vec3 p1 = LoadVec3(v, c[1], v.positionOffset);
        const Vec3 p2 = LoadVec3(v, c[2], v.positionOffset);
        const Vec3 n = Cross(p1 - p0, p2 - p0);
        for (uint32_t i : c) sum[i] = sum[i] + n;
    }
    for (size_t i = 0; i < v.count; ++i) StoreVec3(v, i, v.normalOffset, Normalized(sum[i]));
}

void ComputeVertexTangents(const VertexView& v, const IndexView& idx) {
    std::vector<Vec3> tangent(v.count);
    std::vector<Vec3> bitangent(v.count);
    for (size_t f = 0; f < idx.faceCount; ++f) {
        uint32_t c[3];
        if (!FaceInRange(v, idx, f, c)) continue;
        float uv[3][2];
        for (int k = 0; k < 3; ++k) Load(v, c[k], v.texcoordOffset, uv[k]);
        const Vec3 e1 = LoadVec3(v, c[1], v.positionOffset) - LoadVec3(v, c[0], v.positionOffset);
        const Vec3 e2 = LoadVec3(v, c[2], v.positionOffset) - LoadVec3(v, c[0], v.positionOffset);
        const float du1 = uv[1][0] - uv[0][0], dv1 = uv[1][1] - uv[0][1];
        const float du2 = uv[2][0] - uv[0][0], dv2 = uv[2][1] - uv[0][1];
        const float det = du1 * dv2 - du2 * dv1;
        if (det == 0 || !std::isfinite(det)) continue;
        const float r = 1.0f / det;
        const Vec3 t = (e1 * dv2 - e2 * dv1) * r;
        const Vec3 b = (e2 * du1 - e1 * du2) * r;
        for (uint32_t i : c) {
            tangent[i] = tangent[i] + t;
            bitangent[i] = bitangent[i] + b;
        }
    }
    for (size_t i = 0; i < v.count; ++i) {
        const Vec3 n = Normalized(LoadVec3(v, i, v.normalOffset));
        Vec3 t = Normalized(tangent[i] - n * Dot(n, tangent[i]));
        if (Dot(t, t) == 0) t = AnyPerpendicular(n);
        const float w = Dot(Cross(n, t), bitangent[i]) < 0 ? -1.0f : 1.0f;
        const float out[4] = {t.x, t.y, t.z, w};
        StoreFloats(v, i, v.tangentOffset, out, v.tangentComponents);
        if (v.binormalOffset >= 0) StoreVec3(v, i, v.binormalOffset, Cross(n, t) * w);
    }
}

}  // namespace kl::d3dx9::mesh
