// Matrices set from row-major D3DXMATRIX floats must give D3DX's row-vector
// results: mul(v, M) == v * M, mul(M, v) == M * v (column vector),
// mul(A, B) == A * B, M[i] == row i. Expected values are worked out by hand.
#include "gl_test_context.h"
#include "translator_test_util.h"

#include <gtest/gtest.h>

namespace kl::test {
namespace {

Pixel Evaluate(const std::string& expression,
               const std::map<std::string, std::vector<float>>& values) {
    const std::string source =
        "float4x4 A; float4x4 B; float4 v; float4x3 N;\n"
        "struct VOut { float4 pos : POSITION; float4 r : TEXCOORD0; };\n"
        "VOut VS(float4 p : POSITION) { VOut o; o.pos = p; o.r = " +
        expression +
        "; return o; }\n"
        "float4 PS(float4 r : TEXCOORD0) : COLOR { return r; }\n"
        "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 "
        "PS(); } }\n";
    Translation t = Translate(source);
    EXPECT_TRUE(t.ok) << t.error;
    if (!t.ok) return Pixel{};
    std::vector<Pixel> pixels = RenderPass(t.effect, 1, 1, values);
    EXPECT_EQ(pixels.size(), 1u);
    return pixels.empty() ? Pixel{} : pixels[0];
}

const std::vector<float> kCounting =
    Rows({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}});

void ExpectPixel(const Pixel& p, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(p.r, r);
    EXPECT_FLOAT_EQ(p.g, g);
    EXPECT_FLOAT_EQ(p.b, b);
    EXPECT_FLOAT_EQ(p.a, a);
}

TEST(MatrixConvention, RowVectorTimesMatrixIsD3DXTransform) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    // (1, 1, 0, 0) * A = row 0 + row 1.
    ExpectPixel(Evaluate("mul(v, A)", {{"A", kCounting}, {"v", {1, 1, 0, 0}}}), 6, 8, 10, 12);
    // A translation by (10, 20, 30) moves the point (1, 2, 3).
    const std::vector<float> translate =
        Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {10, 20, 30, 1}});
    ExpectPixel(Evaluate("mul(v, A)", {{"A", translate}, {"v", {1, 2, 3, 1}}}), 11, 22, 33, 1);
}

TEST(MatrixConvention, MatrixTimesColumnVectorUsesRows) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    // Each result component is row i dotted with (1, 1, 0, 0).
    ExpectPixel(Evaluate("mul(A, v)", {{"A", kCounting}, {"v", {1, 1, 0, 0}}}), 3, 11, 19, 27);
}

TEST(MatrixConvention, MatrixProductAppliesTheLeftMatrixFirst) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const std::vector<float> translate =
        Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 2, 3, 1}});
    const std::vector<float> scale = Rows({{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 1}});
    // Translate then scale: the origin lands on (2, 4, 6).
    ExpectPixel(Evaluate("mul(float4(0, 0, 0, 1), mul(A, B))", {{"A", translate}, {"B", scale}}), 2,
                4, 6, 1);
    // Scale then translate: the origin lands on (1, 2, 3).
    ExpectPixel(Evaluate("mul(float4(0, 0, 0, 1), mul(B, A))", {{"A", translate}, {"B", scale}}), 1,
                2, 3, 1);
}

// A shorter vector truncates the matrix, as HLSL does: mul(float3, float4x4)
// sums the first three rows weighted by the vector (no fourth row, so no
// translation) and still has four components; mul(float4x4, float2) dots
// each row's first two elements.
TEST(MatrixConvention, ShortVectorsTruncateTheMatrix) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    // (1, 0, 2) * rows 0..2 = (1, 2, 3, 4) + 2 * (9, 10, 11, 12).
    ExpectPixel(Evaluate("mul(float3(1, 0, 2), A)", {{"A", kCounting}}), 19, 22, 25, 28);
    // (1, 1) against each row: 1 + 2, 5 + 6, 9 + 10, 13 + 14.
    ExpectPixel(Evaluate("mul(A, float2(1, 1))", {{"A", kCounting}}), 3, 11, 19, 27);
    // The usual normal transform: the result's first three lanes.
    ExpectPixel(Evaluate("float4(mul(v.xyz, A).xyz, 0)", {{"A", kCounting}, {"v", {0, 1, 0, 7}}}),
                5, 6, 7, 0);
}

TEST(MatrixConvention, RowsElementsCastsAndTranspose) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    ExpectPixel(Evaluate("A[1]", {{"A", kCounting}}), 5, 6, 7, 8);
    ExpectPixel(Evaluate("float4(A[2][1], A._m03, A._44, A._21)", {{"A", kCounting}}), 10, 4, 16,
                5);
    ExpectPixel(Evaluate("transpose(A)[0]", {{"A", kCounting}}), 1, 5, 9, 13);
    // The 3x3 cast keeps the upper-left block: (1, 1, 1) * block = row sums of columns.
    ExpectPixel(Evaluate("float4(mul(float3(1, 1, 1), (float3x3)A), 0)", {{"A", kCounting}}), 15,
                18, 21, 0);
    // float3x3(r0, r1, r2) takes rows.
    ExpectPixel(
        Evaluate("float4(float3x3(float3(1, 2, 3), float3(4, 5, 6), float3(7, 8, 9))[1], 0)", {}),
        4, 5, 6, 0);
    // A float4x3 parameter: four rows of three.
    ExpectPixel(Evaluate("float4(mul(float4(0, 0, 0, 1), N), N[0].z)",
                         {{"N", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}}),
                10, 11, 12, 3);
}

}  // namespace
}  // namespace kl::test
