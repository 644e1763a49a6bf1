// The .x reader without a device: text and binary files, frames, polygons,
// normals, materials, and the ways a broken file must fail.
#include <gtest/gtest.h>

#include <string>

#include "d3dx9/mesh/xfile_tree.h"
#include "d3dx9/mesh/xmesh_builder.h"
#include "xfile_writer.h"

namespace {

using kl::d3dx9::mesh::BuildStatus;
using kl::d3dx9::mesh::Geometry;

BuildStatus Read(const std::string& bytes, Geometry& g) {
    return kl::d3dx9::mesh::ReadXFileGeometry(reinterpret_cast<const uint8_t*>(bytes.data()),
                                              bytes.size(), g);
}

void ExpectPosition(const Geometry& g, size_t vertex, float x, float y, float z) {
    ASSERT_LT(vertex, g.vertices.size());
    EXPECT_FLOAT_EQ(g.vertices[vertex].position[0], x) << "vertex " << vertex;
    EXPECT_FLOAT_EQ(g.vertices[vertex].position[1], y) << "vertex " << vertex;
    EXPECT_FLOAT_EQ(g.vertices[vertex].position[2], z) << "vertex " << vertex;
}

void ExpectFace(const Geometry& g, size_t face, uint32_t a, uint32_t b, uint32_t c) {
    ASSERT_LT(face * 3 + 2, g.indices.size());
    EXPECT_EQ(g.indices[face * 3], a) << "face " << face;
    EXPECT_EQ(g.indices[face * 3 + 1], b) << "face " << face;
    EXPECT_EQ(g.indices[face * 3 + 2], c) << "face " << face;
}

// A frame moving a quad and a triangle by (10, 20, 30); the quad uses a
// material defined at top level by reference, the triangle an inline one.
const char kTextFile[] =
    "xof 0303txt 0032\n"
    "// comments in both styles\n"
    "# are skipped\n"
    "template Vector { <3D82AB5E-62DA-11cf-AB39-0020AF71E433> FLOAT x; FLOAT y; FLOAT z; }\n"
    "template Unused { <11111111-62DA-11cf-AB39-0020AF71E433> DWORD n; [...] }\n"
    "Header { 1; 0; 1; }\n"
    "Material Red { 1.0;0.0;0.0;1.0;; 5.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;;\n"
    "  TextureFilename { \"C:\\art\\wall.tga\"; } }\n"
    "Frame Root {\n"
    "  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,20,30,1;; }\n"
    "  Mesh Quad {\n"
    "    4; -1;-1;0;, -1;1;0;, 1;1;0;, 1;-1;0;;\n"
    "    2; 4;0,1,2,3;, 3;0,2,3;;\n"
    "    MeshNormals { 1; 0;0;-1;; 2; 4;0,0,0,0;, 3;0,0,0;; }\n"
    "    MeshTextureCoords { 4; 0;1;, 0;0;, 1;0;, 1;1;; }\n"
    "    VertexDuplicationIndices { 4; 4; 0, 1, 2, 3; }\n"
    "    MeshMaterialList { 2; 2; 1,0;; { Red } Material Green { 0;1;0;1;; 1; 0;0;0;; 0;0;0;; } }\n"
    "  }\n"
    "}";

TEST(XFileText, ReadsFramesPolygonsNormalsAndMaterials) {
    Geometry g;
    ASSERT_EQ(Read(kTextFile, g), BuildStatus::Ok);
    ASSERT_EQ(g.vertices.size(), 4u);
    ASSERT_EQ(g.FaceCount(), 3u);  // the quad becomes two triangles
    ASSERT_EQ(g.materials.size(), 2u);

    ExpectPosition(g, 0, 9, 19, 30);
    ExpectPosition(g, 2, 11, 21, 30);
    EXPECT_FLOAT_EQ(g.vertices[3].normal[2], -1.0f);
    EXPECT_FLOAT_EQ(g.vertices[0].texcoord[1], 1.0f);
    EXPECT_FLOAT_EQ(g.vertices[3].texcoord[0], 1.0f);

    // The fan around the first corner keeps the polygon's winding.
    ExpectFace(g, 0, 0, 1, 2);
    ExpectFace(g, 1, 0, 2, 3);
    ExpectFace(g, 2, 0, 2, 3);
    EXPECT_EQ(g.attributes, (std::vector<uint32_t>{1, 1, 0}));

    EXPECT_TRUE(g.materials[0].hasTexture);
    EXPECT_EQ(g.materials[0].textureFilename, "C:\\art\\wall.tga");
    EXPECT_FLOAT_EQ(g.materials[0].diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(g.materials[0].power, 5.0f);
    EXPECT_FALSE(g.materials[1].hasTexture);
    EXPECT_FLOAT_EQ(g.materials[1].diffuse[1], 1.0f);
}

// One frame, three one-triangle meshes around two transforms: a transform
// moves what follows it, and a later one applies before the earlier one.
TEST(XFileText, FrameTransformsApplyToWhatFollowsAndAccumulate) {
    const char file[] =
        "xof 0303txt 0032\n"
        "Frame Root {\n"
        "  Mesh Before { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;; }\n"
        "  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }\n"
        "  Mesh Moved { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;; }\n"
        "  FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,0,1;; }\n"
        "  Mesh ScaledThenMoved { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;; }\n"
        "}";
    Geometry g;
    ASSERT_EQ(Read(file, g), BuildStatus::Ok);
    ASSERT_EQ(g.vertices.size(), 9u);
    ExpectPosition(g, 0, 1, 0, 0);
    ExpectPosition(g, 3, 11, 0, 0);
    ExpectPosition(g, 4, 10, 1, 0);
    ExpectPosition(g, 6, 12, 0, 0);
    ExpectPosition(g, 8, 10, 0, 2);
}

TEST(XFileText, SortsFacesIntoOneRangePerMaterial) {
    Geometry g;
    ASSERT_EQ(Read(kTextFile, g), BuildStatus::Ok);
    const auto ranges = kl::d3dx9::mesh::SortFacesByAttribute(g);
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[0].attribId, 0u);
    EXPECT_EQ(ranges[0].faceStart, 0u);
    EXPECT_EQ(ranges[0].faceCount, 1u);
    EXPECT_EQ(ranges[0].vertexStart, 0u);
    EXPECT_EQ(ranges[0].vertexCount, 4u);  // corners 0, 2, 3
    EXPECT_EQ(ranges[1].attribId, 1u);
    EXPECT_EQ(ranges[1].faceStart, 1u);
    EXPECT_EQ(ranges[1].faceCount, 2u);
    ExpectFace(g, 0, 0, 2, 3);
    ExpectFace(g, 1, 0, 1, 2);
    EXPECT_EQ(g.attributes, (std::vector<uint32_t>{0, 1, 1}));
}

// Two triangles sharing an edge, each with its own face normal: the two shared
// vertices are split so that each face keeps its normal.
TEST(XFileText, SplitsVerticesAtHardEdges) {
    const char file[] =
        "xof 0303txt 0032 Mesh { 4; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;1;; 2; 3;0,1,2;, 3;0,2,3;;\n"
        "MeshNormals { 2; 0;0;-1;, 0;1;0;; 2; 3;0,0,0;, 3;1,1,1;; } }";
    Geometry g;
    ASSERT_EQ(Read(file, g), BuildStatus::Ok);
    ASSERT_EQ(g.vertices.size(), 6u);
    ExpectFace(g, 0, 0, 1, 2);
    ExpectFace(g, 1, 4, 5, 3);
    EXPECT_FLOAT_EQ(g.vertices[0].normal[2], -1.0f);
    EXPECT_FLOAT_EQ(g.vertices[4].normal[1], 1.0f);
    ExpectPosition(g, 4, 0, 0, 0);
    ExpectPosition(g, 5, 1, 1, 0);
    EXPECT_FLOAT_EQ(g.vertices[3].normal[1], 1.0f);
}

TEST(XFileText, ObjectNamesMayBeDigitsOnlyOrHoldPunctuation) {
    Geometry g;
    ASSERT_EQ(Read("xof 0303txt 0032 Material 7 { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n"
                   "Frame 1 { Mesh body-part.001 { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;\n"
                   "MeshMaterialList { 1; 1; 0;; { 7 } } } }",
                   g),
              BuildStatus::Ok);
    EXPECT_EQ(g.materials.size(), 1u);
}

TEST(XFileText, MeshWithoutMaterialsGetsOneDefaultMaterial) {
    Geometry g;
    ASSERT_EQ(Read("xof 0303txt 0032 Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }", g),
              BuildStatus::Ok);
    ASSERT_EQ(g.materials.size(), 1u);
    EXPECT_FALSE(g.materials[0].hasTexture);
    EXPECT_EQ(g.attributes, (std::vector<uint32_t>{0}));
}

TEST(XFileText, ShortMaterialListRepeatsItsLastIndex) {
    Geometry g;
    ASSERT_EQ(Read("xof 0303txt 0032 Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 3; 3;0,1,2;, 3;0,1,2;,"
                   " 3;0,1,2;; MeshMaterialList { 2; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; "
                   "0;0;0;; } Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
                   g),
              BuildStatus::Ok);
    EXPECT_EQ(g.attributes, (std::vector<uint32_t>{1, 1, 1}));
}

// Nested frames: the inner frame's transform applies first.
// Inner: translate by (1, 0, 0); outer: scale by 2. (1, 0, 0) ends at (4, 0, 0).
std::string NestedFramesBinary(bool doubles, bool dwordStringEnds = false) {
    kl::test::BinaryXWriter x(doubles, dwordStringEnds);
    x.Token(31).Name("Vector").Token(10).Guid().Token(42).Name("x").Token(20).Token(11);
    x.Begin("Material", "Wall").Floats({1, 1, 1, 1, 8, 0, 0, 0, 0, 0, 0});
    x.Begin("TextureFilename").String("wall.tga").End().End();
    x.Begin("Frame", "Outer");
    x.Begin("FrameTransformMatrix").Floats({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}).End();
    x.Begin("Frame", "Inner");
    x.Begin("FrameTransformMatrix").Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1}).End();
    x.Begin("Mesh", "Tri").Guid().Ints({3}).Floats({0, 0, 0, 0, 1, 0, 1, 0, 0});
    x.Ints({2, 3, 0, 1, 2, 4, 0, 1, 2, 0});
    x.Begin("MeshTextureCoords").Ints({3}).Floats({0, 0, 0.5, 0, 1, 1}).End();
    x.Begin("MeshMaterialList").Ints({1, 2, 0, 0}).Reference("Wall").End();
    x.End().End().End();
    // A second mesh at top level, not moved, with two materials of its own.
    x.Begin("Mesh").Ints({3}).Floats({5, 5, 5, 6, 5, 5, 5, 6, 5}).Ints({1, 3, 2, 1, 0});
    x.Begin("MeshMaterialList").Ints({2, 1, 1});
    x.Begin("Material").Floats({0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0}).End();
    x.Begin("Material").Floats({0, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0});
    x.Begin("TextureFilename").String("floor.bmp").End().End();
    x.End().End();
    return x.Bytes();
}

void ExpectNestedFramesGeometry(const Geometry& g) {
    ASSERT_EQ(g.vertices.size(), 6u);
    ASSERT_EQ(g.FaceCount(), 4u);  // a triangle and a quad (two triangles), then one triangle
    ASSERT_EQ(g.materials.size(), 3u);
    ExpectPosition(g, 0, 2, 0, 0);
    ExpectPosition(g, 1, 2, 2, 0);
    ExpectPosition(g, 2, 4, 0, 0);
    ExpectPosition(g, 3, 5, 5, 5);
    EXPECT_FLOAT_EQ(g.vertices[1].texcoord[0], 0.5f);
    ExpectFace(g, 1, 0, 1, 2);
    ExpectFace(g, 2, 0, 2, 0);
    ExpectFace(g, 3, 5, 4, 3);  // second mesh's indices shifted by its first vertex
    EXPECT_EQ(g.attributes, (std::vector<uint32_t>{0, 0, 0, 2}));
    EXPECT_EQ(g.materials[0].textureFilename, "wall.tga");
    EXPECT_FALSE(g.materials[1].hasTexture);
    EXPECT_EQ(g.materials[2].textureFilename, "floor.bmp");
}

TEST(XFileBinary, ReadsNestedFramesAndCombinesMeshes) {
    Geometry g;
    ASSERT_EQ(Read(NestedFramesBinary(false), g), BuildStatus::Ok);
    ExpectNestedFramesGeometry(g);
}

TEST(XFileBinary, ReadsSixtyFourBitFloats) {
    Geometry g;
    ASSERT_EQ(Read(NestedFramesBinary(true), g), BuildStatus::Ok);
    ExpectNestedFramesGeometry(g);
}

// The token description gives a string's terminator 32 bits; files written
// that way read like those with a 16-bit terminator token.
TEST(XFileBinary, ReadsStringsWithThirtyTwoBitTerminators) {
    Geometry g;
    ASSERT_EQ(Read(NestedFramesBinary(false, true), g), BuildStatus::Ok);
    ExpectNestedFramesGeometry(g);
}

size_t TopLevelObjects(const std::string& bytes) {
    kl::d3dx9::xfile::Tree tree;
    kl::d3dx9::xfile::ParseXFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                 tree);
    return tree.objects.size();
}

// A strict prefix of a valid file is itself valid only when it ends exactly
// between two top-level objects and holds a mesh; every other cut must fail.
// Returns how many prefixes were accepted.
int CountAcceptedTruncations(const std::string& file) {
    int accepted = 0;
    const size_t objects = TopLevelObjects(file);
    for (size_t n = 0; n < file.size(); ++n) {
        Geometry g;
        const std::string prefix = file.substr(0, n);
        if (Read(prefix, g) != BuildStatus::Ok) continue;
        ++accepted;
        EXPECT_LT(TopLevelObjects(prefix), objects) << "prefix of " << n << " bytes";
    }
    return accepted;
}

TEST(XFileMalformed, EveryTruncationOfATextFileFails) {
    EXPECT_EQ(CountAcceptedTruncations(kTextFile), 0);
}

// The binary file ends with a second top-level mesh, so the prefix that stops
// right before it is a complete file.
TEST(XFileMalformed, EveryTruncationOfABinaryFileFailsBetweenObjects) {
    EXPECT_EQ(CountAcceptedTruncations(NestedFramesBinary(false)), 1);
}

TEST(XFileMalformed, HugeCountsFailWithoutAllocating) {
    Geometry g;
    EXPECT_EQ(Read("xof 0303txt 0032 Mesh { 2147483648; 0;0;0;; 0;; }", g), BuildStatus::Malformed);
    EXPECT_EQ(Read("xof 0303txt 0032 Mesh { 1; 0;0;0;; 4294967295; 3;0,0,0;; }", g),
              BuildStatus::Malformed);
    // Counts that are not numbers at all fail like negative ones.
    for (const char* count : {"-nan", "nan", "inf", "-inf", "-1", "1e300", "2.5"}) {
        EXPECT_EQ(Read(std::string("xof 0303txt 0032 Mesh { ") + count + "; 0;0;0;; 0;; }", g),
                  BuildStatus::Malformed)
            << count;
    }
    kl::test::BinaryXWriter ints;
    ints.Begin("Mesh").Token(6).U32(0x80000000u).U32(1).End();
    EXPECT_EQ(Read(ints.Bytes(), g), BuildStatus::Malformed);
    kl::test::BinaryXWriter floats;
    floats.Begin("Mesh").Token(7).U32(0xFFFFFFFFu).U32(0).End();
    EXPECT_EQ(Read(floats.Bytes(), g), BuildStatus::Malformed);
    kl::test::BinaryXWriter name;
    name.Token(1).U32(0x7FFFFFFFu);
    EXPECT_EQ(Read(name.Bytes(), g), BuildStatus::Malformed);
}

// Objects of templates the reader does not use cost nothing to keep; the
// objects it keeps are bounded, so a file of millions of tiny objects stops
// long before its tree outgrows the file.
TEST(XFileMalformed, ManySmallObjectsAreSkippedOrBounded) {
    const std::string mesh = "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n";
    std::string unused = "xof 0303txt 0032\n";
    for (int i = 0; i < 200000; ++i) unused += "a{}";
    Geometry g;
    EXPECT_EQ(Read(unused + mesh + "Header { 1; 0; 1; } b{ c{ 1; } }", g), BuildStatus::Ok);
    EXPECT_EQ(g.indices.size(), 3u);
    kl::test::BinaryXWriter binary;
    for (int i = 0; i < 1000; ++i) binary.Begin("Unused").Ints({1, 2}).End();
    binary.Begin("Mesh").Ints({3}).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).Ints({1, 3, 0, 1, 2}).End();
    EXPECT_EQ(Read(binary.Bytes(), g), BuildStatus::Ok);

    std::string frames = "xof 0303txt 0032\n" + mesh;
    for (size_t i = 1; i < kl::d3dx9::xfile::kMaxKeptObjects; ++i)
        frames += "Frame{}";  // with the mesh
    EXPECT_EQ(Read(frames, g), BuildStatus::Ok);
    EXPECT_EQ(Read(frames + "Frame{}", g), BuildStatus::Malformed);
    std::string references = "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n";
    for (size_t i = 0; i <= kl::d3dx9::xfile::kMaxKeptObjects; ++i) references += "{a}";
    EXPECT_EQ(Read(references + "}", g), BuildStatus::Malformed);
}

TEST(XFileMalformed, DeepNestingFailsWithoutExhaustingTheStack) {
    std::string text = "xof 0303txt 0032 ";
    for (int i = 0; i < 100000; ++i) text += "Frame {";
    Geometry g;
    EXPECT_EQ(Read(text, g), BuildStatus::Malformed);
}

TEST(XFileMalformed, InconsistentMeshesFail) {
    const char* const files[] = {
        // face index past the vertices
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,3;; }",
        // material index past the materials
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;"
        " MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
        // fewer materials than declared
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;"
        " MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
        // reference to a material that does not exist
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;"
        " MeshMaterialList { 1; 1; 0;; { Missing } } }",
        // material with too few values
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;"
        " MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; } } }",
        // normal index past the normals
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;"
        " MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }",
        // a negative or fractional count
        "xof 0303txt 0032 Mesh { -3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }",
        "xof 0303txt 0032 Mesh { 3.5; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }",
        // a string where a number belongs
        "xof 0303txt 0032 Mesh { \"3\"; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }",
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 0;1;0;, 1;\"0\";0;; 1; 3;0,1,2;; }",
        "xof 0303txt 0032 Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;"
        " MeshTextureCoords { 3; 0;0;, 0;1;, \"1\";0;; } }",
        // unterminated string and GUID
        "xof 0303txt 0032 Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"a.bmp; } }",
        "xof 0303txt 0032 Mesh { <1234 }",
        // stray punctuation in a body
        "xof 0303txt 0032 Mesh { 3; [ 0;0;0; }",
    };
    for (const char* file : files) {
        Geometry g;
        EXPECT_EQ(Read(file, g), BuildStatus::Malformed) << file;
    }
}

TEST(XFileMalformed, FilesWithoutTrianglesReportNoMesh) {
    Geometry g;
    EXPECT_EQ(Read("xof 0303txt 0032 Frame { }", g), BuildStatus::NoMesh);
    EXPECT_EQ(Read("xof 0303txt 0032 Mesh { 0;; 0;; }", g), BuildStatus::NoMesh);
    EXPECT_EQ(Read("xof 0303txt 0032 Mesh { 2; 0;0;0;, 1;1;1;; 1; 2;0,1;; }", g),
              BuildStatus::NoMesh);
}

TEST(XFileMalformed, HeadersOtherThanTextOrBinaryAreRefused) {
    kl::d3dx9::xfile::Tree tree;
    auto parse = [&](const std::string& s) {
        return kl::d3dx9::xfile::ParseXFile(reinterpret_cast<const uint8_t*>(s.data()), s.size(),
                                            tree);
    };
    EXPECT_EQ(parse("xof 0303tzip0032 "), kl::d3dx9::xfile::ParseStatus::Unsupported);
    EXPECT_EQ(parse("xof 0303txt 0016 "), kl::d3dx9::xfile::ParseStatus::Unsupported);
    EXPECT_EQ(parse("xof 0901txt 0032 "), kl::d3dx9::xfile::ParseStatus::Unsupported);
    EXPECT_EQ(parse("xof 0303txt 003"), kl::d3dx9::xfile::ParseStatus::BadHeader);
    EXPECT_EQ(parse("ply\nformat ascii 1.0\n"), kl::d3dx9::xfile::ParseStatus::BadHeader);
    EXPECT_EQ(parse("xof 0302txt 0064 "), kl::d3dx9::xfile::ParseStatus::Ok);
}

}  // namespace
