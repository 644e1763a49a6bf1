// A triangle mesh on the CPU, as read from a .x file and before it is put into
// device buffers: one vertex layout (position, normal, texture coordinate),
// three indices and one material index (attribute) per face.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kl::d3dx9::mesh {

struct Vertex {
    float position[3] = {0, 0, 0};
    float normal[3] = {0, 0, 0};
    float texcoord[2] = {0, 0};
};

struct Material {
    float diffuse[4] = {1, 1, 1, 1};
    float power = 0;
    float specular[3] = {0, 0, 0};
    float emissive[3] = {0, 0, 0};
    bool hasTexture = false;
    std::string textureFilename;
};

struct Geometry {
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;     // 3 per face
    std::vector<uint32_t> attributes;  // 1 per face: index into materials
    std::vector<Material> materials;

    size_t FaceCount() const { return attributes.size(); }
};

// One run of faces of the same attribute, with the span of vertices they use.
struct AttributeRange {
    uint32_t attribId = 0;
    uint32_t faceStart = 0;
    uint32_t faceCount = 0;
    uint32_t vertexStart = 0;
    uint32_t vertexCount = 0;
};

// Reorders the faces by attribute (stable, so faces of one material keep their
// file order) and returns one range per attribute that has faces.
std::vector<AttributeRange> SortFacesByAttribute(Geometry& geometry);

}  // namespace kl::d3dx9::mesh
