// Reads one Mesh data object (with its MeshNormals, MeshTextureCoords and
// MeshMaterialList) into triangles, in the mesh's own coordinates.
#pragma once

#include <string>
#include <unordered_map>

#include "d3dx9/mesh/mesh_geometry.h"
#include "d3dx9/mesh/xfile_tree.h"

namespace kl::d3dx9::mesh {

// Named Material objects anywhere in the file, for `{ Name }` references in
// material lists. The first definition of a name wins.
class MaterialLookup {
public:
    explicit MaterialLookup(const xfile::Tree& tree);
    const xfile::Object* Find(const std::string& name) const;

private:
    void Add(const xfile::Object& obj);
    std::unordered_map<std::string, const xfile::Object*> byName_;
};

// Type names are matched without regard to case, as exporters differ in spelling.
bool TypeIs(const xfile::Object& obj, const char* type);

// Fills `part` (vertices, indices, per-face attributes and the mesh's own
// materials); false when the Mesh is inconsistent.
bool ReadMeshObject(const xfile::Object& meshObject, const MaterialLookup& materials,
                    Geometry& part);

}  // namespace kl::d3dx9::mesh
