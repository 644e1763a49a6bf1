// Normals, tangents and adjacency on small meshes worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "d3dx9/mesh/adjacency.h"
#include "d3dx9/mesh/vertex_math.h"

namespace {

using kl::d3dx9::mesh::IndexView;
using kl::d3dx9::mesh::VertexView;

// Position, normal, texcoord and a float4 tangent: 48 bytes.
struct TestVertex {
    float position[3];
    float normal[3];
    float texcoord[2];
    float tangent[4];
};

VertexView ViewOf(std::vector<TestVertex>& v) {
    VertexView view;
    view.base = reinterpret_cast<uint8_t*>(v.data());
    view.stride = sizeof(TestVertex);
    view.count = v.size();
    view.positionOffset = offsetof(TestVertex, position);
    view.normalOffset = offsetof(TestVertex, normal);
    view.texcoordOffset = offsetof(TestVertex, texcoord);
    view.tangentOffset = offsetof(TestVertex, tangent);
    view.tangentComponents = 4;
    return view;
}

void ExpectVec3(const float* v, float x, float y, float z, const char* what) {
    EXPECT_NEAR(v[0], x, 1e-6f) << what;
    EXPECT_NEAR(v[1], y, 1e-6f) << what;
    EXPECT_NEAR(v[2], z, 1e-6f) << what;
}

// A unit quad in the z = 0 plane, wound clockwise as seen from -z, so its
// front faces the viewer of a left-handed camera at negative z.
std::vector<TestVertex> Quad(const float (&uv)[4][2]) {
    const float corners[4][3] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    std::vector<TestVertex> v(4);
    for (int i = 0; i < 4; ++i) {
        std::copy_n(corners[i], 3, v[i].position);
        std::copy_n(uv[i], 2, v[i].texcoord);
        v[i].normal[0] = v[i].normal[1] = v[i].normal[2] = 7;  // overwritten
    }
    return v;
}
const uint16_t kQuadIndices[] = {0, 1, 2, 0, 2, 3};
const float kQuadUv[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};

TEST(VertexNormals, QuadFacesTheViewerAtNegativeZ) {
    std::vector<TestVertex> v = Quad(kQuadUv);
    kl::d3dx9::mesh::ComputeVertexNormals(ViewOf(v), IndexView{kQuadIndices, false, 2});
    for (const TestVertex& t : v) ExpectVec3(t.normal, 0, 0, -1, "quad normal");
}

// Vertex 0 is shared by a face of twice-area 4 with normal -z and a face of
// twice-area 1 with normal -x: the area-weighted sum is (-1, 0, -4).
TEST(VertexNormals, AreWeightedByFaceArea) {
    std::vector<TestVertex> v(5, TestVertex{});
    const float p[5][3] = {{0, 0, 0}, {0, 2, 0}, {2, 0, 0}, {0, 0, 1}, {0, 1, 0}};
    for (int i = 0; i < 5; ++i) std::copy_n(p[i], 3, v[i].position);
    const uint32_t indices[] = {0, 1, 2, 0, 3, 4};
    kl::d3dx9::mesh::ComputeVertexNormals(ViewOf(v), IndexView{indices, true, 2});
    const float s = 1.0f / std::sqrt(17.0f);
    ExpectVec3(v[0].normal, -s, 0, -4 * s, "shared vertex");
    ExpectVec3(v[1].normal, 0, 0, -1, "big face only");
    ExpectVec3(v[3].normal, -1, 0, 0, "small face only");
}

TEST(VertexNormals, IndicesPastTheVerticesAreIgnored) {
    std::vector<TestVertex> v = Quad(kQuadUv);
    const uint16_t indices[] = {0, 1, 2, 0, 2, 9};
    kl::d3dx9::mesh::ComputeVertexNormals(ViewOf(v), IndexView{indices, false, 2});
    ExpectVec3(v[0].normal, 0, 0, -1, "used vertex");
    ExpectVec3(v[3].normal, 0, 0, 0, "vertex of the skipped face only");
}

TEST(VertexTangents, FollowIncreasingU) {
    std::vector<TestVertex> v = Quad(kQuadUv);  // u grows with x, v with -y
    kl::d3dx9::mesh::ComputeVertexNormals(ViewOf(v), IndexView{kQuadIndices, false, 2});
    kl::d3dx9::mesh::ComputeVertexTangents(ViewOf(v), IndexView{kQuadIndices, false, 2});
    for (const TestVertex& t : v) {
        ExpectVec3(t.tangent, 1, 0, 0, "u along +x");
        EXPECT_EQ(t.tangent[3], 1.0f);
    }

    const float rotated[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};  // u grows with y
    v = Quad(rotated);
    kl::d3dx9::mesh::ComputeVertexNormals(ViewOf(v), IndexView{kQuadIndices, false, 2});
    kl::d3dx9::mesh::ComputeVertexTangents(ViewOf(v), IndexView{kQuadIndices, false, 2});
    for (const TestVertex& t : v) {
        ExpectVec3(t.tangent, 0, 1, 0, "u along +y");
        EXPECT_EQ(t.tangent[3], 1.0f);
    }
}

TEST(VertexTangents, MirroredTextureGetsNegativeHandedness) {
    const float mirrored[4][2] = {{1, 1}, {1, 0}, {0, 0}, {0, 1}};  // u grows with -x
    std::vector<TestVertex> v = Quad(mirrored);
    kl::d3dx9::mesh::ComputeVertexNormals(ViewOf(v), IndexView{kQuadIndices, false, 2});
    kl::d3dx9::mesh::ComputeVertexTangents(ViewOf(v), IndexView{kQuadIndices, false, 2});
    for (const TestVertex& t : v) {
        ExpectVec3(t.tangent, -1, 0, 0, "u along -x");
        EXPECT_EQ(t.tangent[3], -1.0f);
    }
}

TEST(VertexTangents, AreMadePerpendicularToTheNormal) {
    std::vector<TestVertex> v = Quad(kQuadUv);
    for (TestVertex& t : v) {
        t.normal[0] = 0.6f;  // tilted towards +x
        t.normal[1] = 0;
        t.normal[2] = -0.8f;
    }
    kl::d3dx9::mesh::ComputeVertexTangents(ViewOf(v), IndexView{kQuadIndices, false, 2});
    // (1, 0, 0) minus its part along the normal, normalized: (0.8, 0, 0.6).
    ExpectVec3(v[0].tangent, 0.8f, 0, 0.6f, "orthogonalized");
}

TEST(VertexTangents, DegenerateTextureCoordinatesStillGiveAUnitTangent) {
    const float flat[4][2] = {{0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}};
    std::vector<TestVertex> v = Quad(flat);
    kl::d3dx9::mesh::ComputeVertexNormals(ViewOf(v), IndexView{kQuadIndices, false, 2});
    kl::d3dx9::mesh::ComputeVertexTangents(ViewOf(v), IndexView{kQuadIndices, false, 2});
    for (const TestVertex& t : v) {
        const float len = std::sqrt(t.tangent[0] * t.tangent[0] + t.tangent[1] * t.tangent[1] +
                                    t.tangent[2] * t.tangent[2]);
        EXPECT_NEAR(len, 1.0f, 1e-6f);
        EXPECT_NEAR(t.tangent[2], 0.0f, 1e-6f);  // perpendicular to the normal (0, 0, -1)
    }
}

kl::d3dx9::mesh::Geometry QuadGeometry() {
    kl::d3dx9::mesh::Geometry g;
    const float p[4][3] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    for (const auto& q : p) {
        kl::d3dx9::mesh::Vertex v;
        std::copy_n(q, 3, v.position);
        g.vertices.push_back(v);
    }
    g.indices = {0, 1, 2, 0, 2, 3};
    g.attributes = {0, 0};
    return g;
}

TEST(FaceAdjacency, QuadTrianglesShareTheirDiagonal) {
    const std::vector<uint32_t> adjacency = kl::d3dx9::mesh::FaceAdjacency(QuadGeometry());
    const uint32_t none = kl::d3dx9::mesh::kNoNeighbour;
    EXPECT_EQ(adjacency, (std::vector<uint32_t>{none, none, 1, 0, none, none}));
}

TEST(FaceAdjacency, SplitVerticesAtTheSamePositionStayAdjacent) {
    kl::d3dx9::mesh::Geometry g = QuadGeometry();
    g.vertices.push_back(g.vertices[2]);  // a copy of corner 2 with its own normal
    g.vertices.back().normal[1] = 1;
    g.indices = {0, 1, 2, 0, 4, 3};
    const std::vector<uint32_t> adjacency = kl::d3dx9::mesh::FaceAdjacency(g);
    EXPECT_EQ(adjacency[2], 1u);
    EXPECT_EQ(adjacency[3], 0u);
}

}  // namespace
