#include "d3dx9/mesh/xmesh_builder.h"

#include <cmath>

#include "d3dx9/mesh/xfile_values.h"
#include "d3dx9/mesh/xmesh_reader.h"

namespace kl::d3dx9::mesh {
namespace {

using xfile::Object;

// Row-vector convention, as Direct3D: a point p becomes p × M, the
// translation is the last row, and A × B applies A first.
struct Matrix {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

bool IsIdentity(const Matrix& a) {
    const Matrix identity;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (a.m[i][j] != identity.m[i][j]) return false;
        }
    }
    return true;
}

// The matrix that carries normals: the inverse transpose of the upper 3×3,
// which is its cofactor matrix divided by the determinant. Only the sign of
// the determinant matters since normals are renormalized.
void NormalMatrix(const Matrix& a, float n[3][3]) {
    const auto& m = a.m;
    n[0][0] = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    n[0][1] = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    n[0][2] = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    n[1][0] = m[0][2] * m[2][1] - m[0][1] * m[2][2];
    n[1][1] = m[0][0] * m[2][2] - m[0][2] * m[2][0];
    n[1][2] = m[0][1] * m[2][0] - m[0][0] * m[2][1];
    n[2][0] = m[0][1] * m[1][2] - m[0][2] * m[1][1];
    n[2][1] = m[0][2] * m[1][0] - m[0][0] * m[1][2];
    n[2][2] = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    const float det = m[0][0] * n[0][0] + m[0][1] * n[0][1] + m[0][2] * n[0][2];
    if (det < 0) {
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) n[i][j] = -n[i][j];
        }
    }
}

void TransformVertices(const Matrix& world, std::vector<Vertex>& vertices) {
    if (IsIdentity(world)) return;
    float nm[3][3];
    NormalMatrix(world, nm);
    const auto& m = world.m;
    for (Vertex& v : vertices) {
        const float p[3] = {v.position[0], v.position[1], v.position[2]};
        const float n[3] = {v.normal[0], v.normal[1], v.normal[2]};
        for (int j = 0; j < 3; ++j) {
            v.position[j] = p[0] * m[0][j] + p[1] * m[1][j] + p[2] * m[2][j] + m[3][j];
            v.normal[j] = n[0] * nm[0][j] + n[1] * nm[1][j] + n[2] * nm[2][j];
        }
        const float len = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] +
                                    v.normal[2] * v.normal[2]);
        if (len > 0) {
            for (float& c : v.normal) c /= len;
        }
    }
}

class GeometryBuilder {
public:
    GeometryBuilder(const xfile::Tree& tree, Geometry& out) : lookup_(tree), out_(out) {}

    bool AddObjects(const std::vector<Object>& objects, const Matrix& parent) {
        for (const Object& obj : objects) {
            if (!obj.isReference && !AddObject(obj, parent)) return false;
        }
        return true;
    }

    bool FoundMesh() const { return foundMesh_; }

private:
    bool AddObject(const Object& obj, const Matrix& world) {
        if (TypeIs(obj, "Mesh")) return AddMesh(obj, world);
        if (TypeIs(obj, "Frame")) return AddFrame(obj, world);
        return true;
    }

    // A frame's transform applies to the meshes and frames that follow it in
    // the frame, before its parent's. Further transforms in the same frame
    // accumulate, each applying before those read earlier, as a nested
    // frame's would.
    bool AddFrame(const Object& frame, const Matrix& parent) {
        Matrix world = parent;
        for (const Object& child : frame.children) {
            if (child.isReference) continue;
            if (TypeIs(child, "FrameTransformMatrix")) {
                Matrix local;
                xfile::ValueCursor in(child);
                if (!in.ReadFloats(&local.m[0][0], 16)) return false;
                world = Multiply(local, world);
            } else if (!AddObject(child, world)) {
                return false;
            }
        }
        return true;
    }

    bool AddMesh(const Object& meshObject, const Matrix& world) {
        foundMesh_ = true;
        Geometry part;
        if (!ReadMeshObject(meshObject, lookup_, part)) return false;
        TransformVertices(world, part.vertices);
        Append(part);
        return true;
    }

    void Append(const Geometry& part) {
        const auto vertexBase = static_cast<uint32_t>(out_.vertices.size());
        const auto materialBase = static_cast<uint32_t>(out_.materials.size());
        out_.vertices.insert(out_.vertices.end(), part.vertices.begin(), part.vertices.end());
        for (uint32_t i : part.indices) out_.indices.push_back(i + vertexBase);
        for (uint32_t a : part.attributes) out_.attributes.push_back(a + materialBase);
        out_.materials.insert(out_.materials.end(), part.materials.begin(), part.materials.end());
    }

    MaterialLookup lookup_;
    Geometry& out_;
    bool foundMesh_ = false;
};

}  // namespace

BuildStatus BuildGeometry(const xfile::Tree& tree, Geometry& out) {
    out = Geometry{};
    GeometryBuilder builder(tree, out);
    if (!builder.AddObjects(tree.objects, Matrix{})) return BuildStatus::Malformed;
    return builder.FoundMesh() ? BuildStatus::Ok : BuildStatus::NoMesh;
}

BuildStatus ReadXFileGeometry(const uint8_t* data, size_t size, Geometry& out) {
    out = Geometry{};
    xfile::Tree tree;
    if (xfile::ParseXFile(data, size, tree) != xfile::ParseStatus::Ok)
        return BuildStatus::Malformed;
    const BuildStatus status = BuildGeometry(tree, out);
    if (status == BuildStatus::Ok && out.FaceCount() == 0) return BuildStatus::NoMesh;
    return status;
}

}  // namespace kl::d3dx9::mesh
