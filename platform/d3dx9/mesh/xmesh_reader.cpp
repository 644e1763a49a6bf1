#include "d3dx9/mesh/xmesh_reader.h"

#include <strings.h>

#include <algorithm>
#include <cmath>

#include "d3dx9/mesh/xfile_values.h"

namespace kl::d3dx9::mesh {
namespace {

using xfile::Object;
using xfile::ValueCursor;

constexpr uint32_t kNone = UINT32_MAX;

// Polygons as a flat list of corner indices with each polygon's first corner.
struct Polygons {
    std::vector<uint32_t> corners;
    std::vector<size_t> start;  // one per polygon, plus the end

    size_t Count() const { return start.size() - 1; }
    size_t Size(size_t i) const { return start[i + 1] - start[i]; }
};

bool ReadPolygons(ValueCursor& in, uint32_t indexLimit, Polygons& out) {
    uint32_t count = 0;
    if (!in.ReadCount(count, 1)) return false;
    out.start.assign(1, 0);
    out.start.reserve(size_t{count} + 1);
    for (uint32_t f = 0; f < count; ++f) {
        uint32_t n = 0;
        if (!in.ReadCount(n, 1)) return false;
        for (uint32_t k = 0; k < n; ++k) {
            uint32_t index = 0;
            if (!in.ReadUInt(index) || index >= indexLimit) return false;
            out.corners.push_back(index);
        }
        out.start.push_back(out.corners.size());
    }
    return true;
}

bool SameShape(const Polygons& a, const Polygons& b) {
    return a.start == b.start;
}

bool ReadMaterial(const Object& obj, Material& out) {
    ValueCursor in(obj);
    if (!in.ReadFloats(out.diffuse, 4) || !in.ReadFloat(out.power) ||
        !in.ReadFloats(out.specular, 3) || !in.ReadFloats(out.emissive, 3)) {
        return false;
    }
    for (const Object& child : obj.children) {
        if (!child.isReference && TypeIs(child, "TextureFilename")) {
            ValueCursor name(child);
            if (!name.ReadString(out.textureFilename)) return false;
            out.hasTexture = true;
        }
    }
    return true;
}

class MeshReader {
public:
    MeshReader(const Object& mesh, const MaterialLookup& lookup, Geometry& part)
        : mesh_(mesh), lookup_(lookup), part_(part) {}

    bool Read() {
        ValueCursor in(mesh_);
        uint32_t vertexCount = 0;
        if (!in.ReadCount(vertexCount, 3)) return false;
        part_.vertices.assign(vertexCount, Vertex{});
        for (Vertex& v : part_.vertices) {
            if (!in.ReadFloats(v.position, 3)) return false;
        }
        if (!ReadPolygons(in, vertexCount, faces_)) return false;

        bool readMaterials = false;
        for (const Object& child : mesh_.children) {
            if (child.isReference) continue;
            if (TypeIs(child, "MeshNormals") && !ReadNormals(child)) return false;
            if (TypeIs(child, "MeshTextureCoords") && !ReadTexcoords(child)) return false;
            // Only the first material list counts; a second would describe the same faces.
            if (TypeIs(child, "MeshMaterialList") && !readMaterials) {
                if (!ReadMaterialList(child)) return false;
                readMaterials = true;
            }
        }
        if (part_.materials.empty()) UseDefaultMaterial();
        EmitTriangles();
        return true;
    }

private:
    // Normals are given per polygon corner; a vertex used with different
    // normals (a hard edge) is split into one vertex per normal.
    bool ReadNormals(const Object& obj) {
        ValueCursor in(obj);
        uint32_t count = 0;
        if (!in.ReadCount(count, 3)) return false;
        normals_.resize(count * size_t{3});
        if (!in.ReadFloats(normals_.data(), static_cast<int>(normals_.size()))) return false;
        Polygons normalFaces;
        if (!ReadPolygons(in, count, normalFaces)) return false;
        if (SameShape(normalFaces, faces_)) {
            cornerNormals_ = std::move(normalFaces.corners);
        } else if (count == part_.vertices.size()) {
            cornerNormals_ = faces_.corners;  // one normal per vertex
        }
        return true;
    }

    bool ReadTexcoords(const Object& obj) {
        ValueCursor in(obj);
        uint32_t count = 0;
        if (!in.ReadCount(count, 2)) return false;
        for (uint32_t i = 0; i < count; ++i) {
            float uv[2];
            if (!in.ReadFloats(uv, 2)) return false;
            if (i < part_.vertices.size()) std::copy_n(uv, 2, part_.vertices[i].texcoord);
        }
        return true;
    }

    // Face material indices; a list shorter than the faces repeats its last entry.
    bool ReadMaterialList(const Object& obj) {
        ValueCursor in(obj);
        uint32_t materialCount = 0;
        uint32_t indexCount = 0;
        if (!in.ReadUInt(materialCount) || !in.ReadCount(indexCount, 1)) return false;
        faceMaterials_.resize(indexCount);
        for (uint32_t& m : faceMaterials_) {
            if (!in.ReadUInt(m) || m >= materialCount) return false;
        }
        for (const Object& child : obj.children) {
            const Object* source = child.isReference ? lookup_.Find(child.name) : &child;
            if (child.isReference && source == nullptr) return false;
            if (!TypeIs(*source, "Material")) continue;
            part_.materials.emplace_back();
            if (!ReadMaterial(*source, part_.materials.back())) return false;
        }
        return part_.materials.size() == materialCount;
    }

    void UseDefaultMaterial() {
        part_.materials.emplace_back();
        faceMaterials_.clear();
    }

    uint32_t MaterialOfFace(size_t face) const {
        if (faceMaterials_.empty()) return 0;
        return faceMaterials_[std::min(face, faceMaterials_.size() - 1)];
    }

    uint32_t VertexForCorner(size_t corner) {
        const uint32_t v = faces_.corners[corner];
        if (cornerNormals_.empty()) return v;
        const uint32_t n = cornerNormals_[corner];
        if (firstNormal_.empty()) firstNormal_.assign(part_.vertices.size(), kNone);
        if (firstNormal_[v] == kNone) {
            firstNormal_[v] = n;
            std::copy_n(&normals_[n * size_t{3}], 3, part_.vertices[v].normal);
            return v;
        }
        if (firstNormal_[v] == n) return v;
        const uint64_t key = (uint64_t{v} << 32) | n;
        const auto found = splits_.find(key);
        if (found != splits_.end()) return found->second;
        Vertex copy = part_.vertices[v];
        std::copy_n(&normals_[n * size_t{3}], 3, copy.normal);
        const auto index = static_cast<uint32_t>(part_.vertices.size());
        part_.vertices.push_back(copy);
        splits_.emplace(key, index);
        return index;
    }

    // Polygons with more than three corners become triangle fans around the
    // first corner; polygons with fewer than three corners draw nothing.
    void EmitTriangles() {
        for (size_t f = 0; f < faces_.Count(); ++f) {
            const size_t first = faces_.start[f];
            const size_t n = faces_.Size(f);
            if (n < 3) continue;
            std::vector<uint32_t> corner(n);
            for (size_t k = 0; k < n; ++k) corner[k] = VertexForCorner(first + k);
            for (size_t k = 1; k + 1 < n; ++k) {
                part_.indices.insert(part_.indices.end(), {corner[0], corner[k], corner[k + 1]});
                part_.attributes.push_back(MaterialOfFace(f));
            }
        }
    }

    const Object& mesh_;
    const MaterialLookup& lookup_;
    Geometry& part_;
    Polygons faces_;
    std::vector<float> normals_;
    std::vector<uint32_t> cornerNormals_;
    std::vector<uint32_t> firstNormal_;
    std::unordered_map<uint64_t, uint32_t> splits_;
    std::vector<uint32_t> faceMaterials_;
};

}  // namespace

bool TypeIs(const Object& obj, const char* type) {
    return strcasecmp(obj.type.c_str(), type) == 0;
}

MaterialLookup::MaterialLookup(const xfile::Tree& tree) {
    for (const Object& obj : tree.objects) Add(obj);
}

void MaterialLookup::Add(const Object& obj) {
    if (!obj.isReference && !obj.name.empty() && TypeIs(obj, "Material")) {
        byName_.emplace(obj.name, &obj);
    }
    for (const Object& child : obj.children) Add(child);
}

const Object* MaterialLookup::Find(const std::string& name) const {
    const auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second;
}

bool ReadMeshObject(const Object& meshObject, const MaterialLookup& materials, Geometry& part) {
    return MeshReader(meshObject, materials, part).Read();
}

}  // namespace kl::d3dx9::mesh
