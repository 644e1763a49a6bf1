// shaders/DS_prep.fx: every technique and parameter of the effect contract,
// and the geometry-buffer encodings run through the translator on Mesa.
#include "gl_test_context.h"
#include "translator_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kl::test {
namespace {

std::string ReadEffect() {
    std::ifstream file(std::string(KESTRALUNE_SOURCE_DIR) + "/shaders/DS_prep.fx");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// DS_prep.fx plus a technique "Probe" whose pixel shader body is `body`
// (its input `q` holds the screen coordinate).
Pixel Probe(const std::string& body, std::map<std::string, std::vector<float>> values = {}) {
    const std::string source =
        ReadEffect() + "\nfloat4 ProbePS(QuadVertex q) : COLOR0 {\n" + body +
        "\n}\ntechnique Probe { pass { VertexShader = compile vs_3_0 QuadVS(); "
        "PixelShader = compile ps_3_0 ProbePS(); } }\n";
    Translation t = Translate(source, {}, "DS_prep.fx");
    EXPECT_TRUE(t.ok) << t.error;
    if (!t.ok) return Pixel{};
    values.emplace("matWVP", Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}));
    std::vector<Pixel> pixels = RenderPass(t.effect, 1, 1, values, "Probe");
    EXPECT_EQ(pixels.size(), 1u);
    return pixels.empty() ? Pixel{} : pixels[0];
}

TEST(DsPrep, AllEightTechniquesCompileAndLink) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    Translation t = Translate(ReadEffect(), {}, "DS_prep.fx");
    ASSERT_TRUE(t.ok) << t.error;
    const char* names[] = {
        "RenderDiffuseToTexture",  "RenderNormalToTexture", "RenderSpecularToTexture",
        "RenderPositionToTexture", "RenderDSSun",           "RenderDSPoint",
        "RenderClassicSun",        "RenderClassicPoint"};
    ASSERT_EQ(t.effect.techniques.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(t.effect.techniques[i].name, names[i]);
        ASSERT_EQ(t.effect.techniques[i].passes.size(), 1u);
        EXPECT_EQ(LinkPass(t.effect.techniques[i].passes[0]), "") << names[i];
    }
}

TEST(DsPrep, DeclaresEveryContractParameterWithItsType) {
    Translation t = Translate(ReadEffect(), {}, "DS_prep.fx");
    ASSERT_TRUE(t.ok) << t.error;
    auto typeOf = [&](const std::string& name) {
        for (const auto& p : t.effect.parameters)
            if (p.name == name) return d3dx9::hlsl::HlslTypeName(p.type);
        return std::string("missing");
    };
    for (const char* m :
         {"matWVP", "matW", "matV", "matP", "matWV", "matInvTrW", "matInvV", "matInvP", "matInvVP"})
        EXPECT_EQ(typeOf(m), "float4x4") << m;
    for (const char* tex : {"m_TexAlfa", "m_TexBump", "m_TexDiffuse", "m_TexSpecular"})
        EXPECT_EQ(typeOf(tex), "texture") << tex;
    for (const char* v : {"l_colAmbient", "l_pos", "l_dir"}) EXPECT_EQ(typeOf(v), "float4") << v;
    EXPECT_EQ(typeOf("l_radius"), "float");
}

TEST(DsPrep, LightingPassesTestDepthGreaterWithoutWriting) {
    Translation t = Translate(ReadEffect(), {}, "DS_prep.fx");
    ASSERT_TRUE(t.ok) << t.error;
    for (size_t i : {4u, 5u}) {
        std::map<std::string, std::string> states;
        for (const auto& s : t.effect.techniques[i].passes[0].states)
            states[s.name] = s.terms.at(0).kind == d3dx9::hlsl::StateValueTerm::Kind::Name
                                 ? s.terms[0].name
                                 : std::to_string(s.terms[0].number);
        EXPECT_EQ(states["ZFunc"], "Greater");
        EXPECT_EQ(states["ZWriteEnable"], std::to_string(0.0));
    }
}

// A white surface 30 units in front of a point light: full light next to it,
// (1 - d/r)^2 in between, nothing at the radius or beyond, and nothing from a
// light of radius 0. A sun at the origin shining along +z lights a surface
// facing -z fully, wherever it is.
TEST(DsPrep, PointLightsFadeToNothingAtTheirRadius) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const std::string surface =
        "Surface s; s.position = float3(0, 0, 100); s.normal = float3(0, 0, -1); s.albedo = 1;\n"
        "s.specularIntensity = 0; s.gloss = 0;\n";
    const std::vector<float> white = {1, 1, 1, 1};
    const std::vector<float> light = {0, 0, 70, 1};
    auto shade = [&](float radius) {
        return Probe(surface + "return float4(Shade(s, false), 1);",
                     {{"l_colAmbient", white}, {"l_pos", light}, {"l_radius", {radius}}});
    };
    EXPECT_NEAR(shade(60).r, 0.25f, 1e-4);  // (1 - 30/60)^2
    EXPECT_NEAR(shade(30).r, 0.0f, 1e-6);
    EXPECT_NEAR(shade(20).r, 0.0f, 1e-6);
    EXPECT_NEAR(shade(0).r, 0.0f, 1e-6);
    EXPECT_NEAR(shade(-5).r, 0.0f, 1e-6);
    const Pixel sun = Probe(
        surface + "return float4(Shade(s, true), 1);",
        {{"l_colAmbient", {0.5f, 1, 1, 1}}, {"l_pos", {0, 0, 0, 1}}, {"l_dir", {0, 0, 5, 1}}});
    EXPECT_NEAR(sun.r, 0.5f, 1e-5);
    EXPECT_NEAR(sun.g, 1.0f, 1e-5);
}

// 24-bit depth survives 8-bit channels to far better than 0.1 units.
TEST(DsPrep, DepthPackingRoundTripsThroughBytes) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const Pixel p = Probe(
        "float a = UnpackDepth(ToBytes(PackDepth(10.0)) / 255.0);\n"
        "float b = UnpackDepth(ToBytes(PackDepth(123.456)) / 255.0);\n"
        "float c = UnpackDepth(ToBytes(PackDepth(999.9)) / 255.0);\n"
        "float background = UnpackDepth(float3(0, 0, 0));\n"
        "return float4(a, b, c, background);");
    EXPECT_NEAR(p.r, 10.0f, 1e-3);
    EXPECT_NEAR(p.g, 123.456f, 1e-3);
    EXPECT_NEAR(p.b, 999.9f, 1e-3);
    EXPECT_EQ(p.a, 0.0f);
}

// Octahedral 12-bit normals come back within a few ten-thousandths.
TEST(DsPrep, NormalPackingRoundTripsThroughBytes) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const char* normals[] = {"float3(0, 0, -1)", "float3(0, 0, 1)",
                             "normalize(float3(0.3, -0.8, -0.2))",
                             "normalize(float3(-0.7, 0.1, 0.6))", "normalize(float3(1, 1, -1))"};
    for (const char* n : normals) {
        const Pixel p = Probe(std::string("float3 n = ") + n +
                              ";\nfloat3 back = UnpackNormal(ToBytes(PackNormal(n)) / 255.0);\n"
                              "return float4(back, dot(back, n));");
        EXPECT_GT(p.a, 0.99999f) << n;
        EXPECT_NEAR(p.r * p.r + p.g * p.g + p.b * p.b, 1.0f, 1e-5) << n;
    }
}

// A point 30 right, 20 down and 200 deep, projected with the renderer's
// projection (fov pi/4, aspect 1, near 10, far 1000), is rebuilt from its
// screen position and depth. h = cot(pi/8) = 2.4142136; ndc = (h*30/200,
// -h*20/200); uv = ((ndc.x + 1)/2, (1 - ndc.y)/2).
TEST(DsPrep, ViewPositionIsRebuiltFromDepthAndInverseProjection) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const float h = 2.4142136f;
    const float q = 1000.0f / 990.0f;
    // Inverse of rows (h,0,0,0), (0,h,0,0), (0,0,q,1), (0,0,-10q,0).
    const std::vector<float> invP = Rows({{1 / h, 0, 0, 0},
                                          {0, 1 / h, 0, 0},
                                          {0, 0, 0, -1 / (10 * q)},
                                          {0, 0, 1, 1 / (10 * q) * q}});
    const float u = (h * 30 / 200 + 1) / 2;
    const float v = (1 + h * 20 / 200) / 2;
    const Pixel p =
        Probe("return float4(ViewPositionAt(float2(" + std::to_string(u) + ", " +
                  std::to_string(v) + "), UnpackDepth(ToBytes(PackDepth(200.0)) / 255.0)), 1);",
              {{"matInvP", invP}});
    EXPECT_NEAR(p.r, 30.0f, 0.1);
    EXPECT_NEAR(p.g, -20.0f, 0.1);
    EXPECT_NEAR(p.b, 200.0f, 0.1);
}

}  // namespace
}  // namespace kl::test
