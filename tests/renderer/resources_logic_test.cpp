// What the renderer fixes without drawing: the lighting quad's vertices and
// matrices, the technique per light kind, and the device-choice callbacks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "renderer/deferred_lighting.h"
#include "renderer/render_resources.h"

namespace kl::test {
namespace {

void ExpectMatrix(const D3DXMATRIX& actual, const float (&expected)[16], float tolerance = 1e-5f) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual.m[i / 4][i % 4], expected[i], tolerance) << "entry " << i;
    }
}

TEST(ScreenQuad, CornersInClipSpaceOnTheFarPlane) {
    FillScreenQuad();
    const float expected[4][5] = {
        {-1, -1, 1, 0, 1}, {-1, 1, 1, 0, 0}, {1, 1, 1, 1, 0}, {1, -1, 1, 1, 1}};
    for (int v = 0; v < 4; ++v) {
        const QuadVertex& q = screenQuad[v];
        const float actual[5] = {q.x, q.y, q.z, q.u, q.v};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(actual[i], expected[v][i]) << v << "," << i;
    }
    EXPECT_EQ(sizeof(QuadVertex), 20u);
    EXPECT_EQ(kQuadVertexFormat, 0x102u);
}

TEST(LightingMatrices, StartPoseViewAndTheMeshProjection) {
    const LightingMatrices m = ComputeLightingMatrices(4.0f / 3.0f);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 100, 1};
    const float inverseView[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -100, 1};
    // h = cot(pi / 8), w = h / (4 / 3); depth maps 10..1000 to 0..1.
    const float h = 2.41421356f;
    const float projection[16] = {
        h * 0.75f, 0, 0, 0, 0, h, 0, 0, 0, 0, 1000.0f / 990.0f, 1, 0, 0, -10000.0f / 990.0f, 0};
    ExpectMatrix(m.world, identity);
    ExpectMatrix(m.worldViewProjection, identity);
    ExpectMatrix(m.inverseTransposeWorld, identity);
    ExpectMatrix(m.view, view);
    ExpectMatrix(m.worldView, view);
    ExpectMatrix(m.inverseView, inverseView);
    ExpectMatrix(m.projection, projection);

    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &m.projection, &m.inverseProjection);
    ExpectMatrix(product, identity, 1e-4f);
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &m.view, &m.projection);
    D3DXMatrixMultiply(&product, &viewProjection, &m.inverseViewProjection);
    ExpectMatrix(product, identity, 1e-4f);
}

TEST(LightingMatrices, OnlyTheProjectionFollowsTheAspectRatio) {
    const LightingMatrices wide = ComputeLightingMatrices(2.0f);
    const LightingMatrices square = ComputeLightingMatrices(1.0f);
    EXPECT_NEAR(wide.projection._11 * 2.0f, square.projection._11, 1e-5f);
    EXPECT_EQ(0, std::memcmp(&wide.view, &square.view, sizeof(D3DXMATRIX)));
}

TEST(LightingTechniques, ChosenByKindAndNoneForOtherKinds) {
    EXPECT_EQ(std::string(DeferredTechniqueFor(1)), "RenderDSSun");
    EXPECT_EQ(std::string(DeferredTechniqueFor(2)), "RenderDSPoint");
    EXPECT_EQ(std::string(DeferredTechniqueFor(21)), "RenderDSPoint");
    for (int kind : {0, 3, 20, 22, -1}) EXPECT_EQ(DeferredTechniqueFor(kind), nullptr) << kind;
}

TEST(DeviceChoice, SettingsAreAcceptedUnchangedAndNothingIsAcceptedWithoutDirect3D) {
    DeviceSettings settings{};
    settings.presentParams.BackBufferWidth = 640;
    DeviceSettings copy = settings;
    D3DCAPS9 caps{};
    EXPECT_TRUE(AdjustDeviceSettings(&settings, &caps, nullptr));
    EXPECT_EQ(0, std::memcmp(&settings, &copy, sizeof settings));
    // The framework has not made its Direct3D object in this process.
    EXPECT_FALSE(AcceptDevice(&caps, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true, nullptr));
}

TEST(RenderResources, ReleasingWithNothingHeldDoesNothing) {
    ReleaseRenderResources(nullptr);
    ReleaseRenderResources(nullptr);
    EXPECT_EQ(effect, nullptr);
    EXPECT_EQ(statsFont, nullptr);
    EXPECT_EQ(AcquireRenderResources(nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace kl::test
