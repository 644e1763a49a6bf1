// Turns the data objects of a .x file into one triangle mesh: every Mesh of the
// file (at top level or inside Frames, moved by the frames' accumulated
// transforms) is appended, and each mesh's materials become their own subsets.
#pragma once

#include "d3dx9/mesh/mesh_geometry.h"
#include "d3dx9/mesh/xfile_tree.h"

namespace kl::d3dx9::mesh {

enum class BuildStatus {
    Ok,
    NoMesh,     // the file holds no Mesh object
    Malformed,  // a Mesh or its parts are inconsistent (counts, indices out of range)
};

BuildStatus BuildGeometry(const xfile::Tree& tree, Geometry& out);

// Parses a .x file held in memory and builds its geometry; a file that does
// not parse is Malformed, one without any triangle is NoMesh.
BuildStatus ReadXFileGeometry(const uint8_t* data, size_t size, Geometry& out);

}  // namespace kl::d3dx9::mesh
