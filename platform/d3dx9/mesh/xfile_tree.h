// The data objects of a .x file as a tree, independent of whether the file was
// text or binary. Templates are not kept: the mesh builder knows the layout of
// the few templates it reads, so each object keeps only its member values in
// file order (numbers and strings, flattened across nested structures such as
// Vector or MeshFace) and its child objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kl::d3dx9::xfile {

struct Value {
    enum class Kind : uint8_t { Integer, Float, String };
    Kind kind = Kind::Integer;
    double number = 0.0;       // Integer and Float
    uint32_t stringIndex = 0;  // String: index into Object::strings
};

struct Object {
    std::string type;          // template name such as "Mesh"; empty for a reference
    std::string name;          // object name, or the referenced name
    bool isReference = false;  // `{ Name }` inside another object
    std::vector<Value> values;
    std::vector<std::string> strings;
    std::vector<Object> children;
};

struct Tree {
    std::vector<Object> objects;  // top-level data objects in file order
};

enum class ParseStatus {
    Ok,
    BadHeader,    // not a .x file
    Unsupported,  // compressed formats, unknown version or float size
    Malformed,    // truncated or syntactically broken data
    TooDeep,      // nesting beyond kMaxNesting
    TooLarge,     // more than kMaxKeptObjects objects kept
};

// Deeper nesting than this is rejected so that hostile files cannot exhaust the stack.
constexpr int kMaxNesting = 128;

// Objects of templates the mesh builder does not read (and that hold none it
// reads) are checked for syntax and dropped, so that a file of millions of
// tiny objects does not become millions of tree nodes. The nodes kept, data
// objects and references together, are bounded too: a file keeping more is
// refused as TooLarge.
constexpr size_t kMaxKeptObjects = size_t{1} << 18;

// The templates the mesh builder reads: Mesh, Frame, FrameTransformMatrix,
// MeshNormals, MeshTextureCoords, MeshMaterialList, Material, TextureFilename
// (any letter case).
bool IsReadTemplate(const std::string& type);

// Called when the last object of `siblings` is complete: drops it if nothing
// in it is read, otherwise counts it in *kept. False once *kept passes
// kMaxKeptObjects.
bool SettleLastObject(std::vector<Object>& siblings, size_t* kept);

// Parses a whole .x file held in memory. Reads never go past data + size, and
// every count is checked against the bytes left before anything is allocated.
ParseStatus ParseXFile(const uint8_t* data, size_t size, Tree& out);

}  // namespace kl::d3dx9::xfile
