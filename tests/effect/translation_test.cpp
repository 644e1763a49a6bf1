// Each construct of the effect-file HLSL translates, links on Mesa, and
// computes what HLSL computes (checked by running the pixel shader).
#include "gl_test_context.h"
#include "translator_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kl::test {
namespace {

// A full-screen pass whose pixel shader body is `body` (returning float4).
std::string PixelProbe(const std::string& globals, const std::string& body) {
    return globals +
           "\nstruct VOut { float4 pos : POSITION; float2 uv : TEXCOORD0; };\n"
           "VOut VS(float4 p : POSITION) { VOut o; o.pos = p; o.uv = p.xy * float2(0.5, -0.5) + "
           "0.5; "
           "return o; }\n"
           "float4 PS(VOut i) : COLOR0 {\n" +
           body +
           "\n}\n"
           "technique T { pass P { VertexShader = compile vs_3_0 VS(); PixelShader = compile "
           "ps_3_0 PS(); } }\n";
}

// Runs the probe on one pixel.
Pixel RunProbe(const std::string& globals, const std::string& body,
               const std::map<std::string, std::vector<float>>& values = {}) {
    Translation t = Translate(PixelProbe(globals, body));
    EXPECT_TRUE(t.ok) << t.error;
    if (!t.ok) return Pixel{};
    std::vector<Pixel> pixels = RenderPass(t.effect, 1, 1, values);
    EXPECT_EQ(pixels.size(), 1u) << LinkPass(t.effect.techniques[0].passes[0]);
    return pixels.empty() ? Pixel{} : pixels[0];
}

#define EXPECT_PIXEL(p, r_, g_, b_, a_) \
    do {                                \
        EXPECT_NEAR((p).r, (r_), 1e-4); \
        EXPECT_NEAR((p).g, (g_), 1e-4); \
        EXPECT_NEAR((p).b, (b_), 1e-4); \
        EXPECT_NEAR((p).a, (a_), 1e-4); \
    } while (0)

const char kEveryConstruct[] = R"(
#define TWO 2
#define SCALE(x) ((x) * TWO)
uniform float4x4 matWVP : WORLDVIEWPROJECTION <string UIName = "wvp";>;
float3x3 rot;
float4 colours[3] = { {1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1} };
const float gain = 1.5f;
static const float half_ = 0.5h;
static float3 counter;
int mode = 1;
bool enabled = true;
texture diffuseMap;
sampler2D diffuse = sampler_state { Texture = <diffuseMap>; MinFilter = Linear; MagFilter = LINEAR; MipFilter = None; AddressU = Clamp; AddressV = Wrap; };
samplerCUBE env;
struct Light { float3 dir; float4 colour; };
struct VIn { float3 pos : POSITION0; float3 normal : NORMAL; float2 uv : TEXCOORD0; float3 tangent : TANGENT; float3 binormal : BINORMAL; float4 c : COLOR0; };
struct VOut { float4 pos : POSITION; float2 uv : TEXCOORD0; float3 normal : TEXCOORD1; float4 c : COLOR0; float fog : FOG; };
float shade(in Light l, float3 n, out float highlight, inout float acc) {
    float d = saturate(dot(n, -l.dir));
    highlight = pow(max(d, 0.001), 16);
    acc += d;
    return d;
}
float3 tonemap(float3 c) { return c / (1 + c); }
float tonemap(float c) { return c / (1 + c); }
VOut VS(VIn input, uniform bool flip) {
    VOut o = (VOut)0;
    float4 world = mul(float4(input.pos, 1), matWVP);
    o.pos = flip ? -world : world;
    o.uv = input.uv.yx;
    float3x3 tbn = float3x3(input.tangent, input.binormal, input.normal);
    o.normal = normalize(mul(tbn, mul(input.normal, rot)));
    o.c = input.c * colours[mode % 3];
    o.fog = length(world.xyz);
    return o;
}
float4 PS(VOut i, float2 vpos : VPOS) : COLOR {
    float4 base = tex2D(diffuse, i.uv) * i.c;
    float4 lod = tex2Dlod(diffuse, float4(i.uv, 0, 1)) + tex2Dbias(diffuse, float4(i.uv, 0, 1)) + tex2Dproj(diffuse, float4(i.uv, 1, 1));
    float3 r = texCUBE(env, reflect(-i.normal, float3(0, 0, 1))).rgb;
    Light l; l.dir = float3(0, 0, -1); l.colour = 1;
    float highlight, acc = 0;
    float d = shade(l, normalize(i.normal), highlight, acc);
    int k = 0;
    [unroll] for (int j = 0, m = 2; j < 4; ++j) { k += j; if (k > 4) break; else continue; }
    while (k > 0) { k--; }
    do { k++; } while (k < 3);
    float3 c = lerp(base.rgb, r, 0.25) * d + highlight + tonemap(acc);
    c += half_.xxx * (enabled ? 1 : 0) + tonemap(c.r);
    c *= gain;
    c.rg = clamp(c.gr, 0, 1);
    c = abs(c) + sign(c) * frac(c) + floor(c) + ceil(c) + fmod(c, 2) + exp(c) + exp2(c) + log(c + 1) + log2(c + 1);
    c += sqrt(c) + rsqrt(c + 1) + sin(c) + cos(c) + tan(c) + atan2(c, 1) + step(0.5, c) + smoothstep(0, 1, c);
    c += min(c, 1) + max(c, 0) + round(c) + cross(c, float3(0, 1, 0)) + distance(c, 0) + ddx(c) + ddy(c.x);
    c += any(c) + all(c > 0) + determinant(float2x2(1, 2, 3, 4)) + transpose(matWVP)[0].xyz;
    counter = c;
    clip(base.a - 0.01);
    if (vpos.x < 0) discard;
    return float4(SCALE(counter), 1) + lod + i.fog + (float)(int)2.7;
}
technique Everything < string Purpose = "all"; > {
    pass P0 < int order = 0; > {
        VertexShader = compile vs_3_0 VS(true);
        PixelShader = compile ps_3_0 PS();
        ZEnable = true; ZWriteEnable = FALSE; ZFunc = LessEqual; CullMode = CCW;
        AlphaBlendEnable = true; SrcBlend = SrcAlpha; DestBlend = InvSrcAlpha; BlendOp = Add;
        AlphaTestEnable = false; AlphaRef = 0x80; AlphaFunc = Greater; FillMode = Solid;
        ColorWriteEnable = Red | Green | Blue; StencilEnable = false;
    }
}
technique9 StatesOnly { pass { CullMode = None; } }
)";

TEST(Translation, EveryConstructTranslatesAndLinks) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    Translation t = Translate(kEveryConstruct);
    ASSERT_TRUE(t.ok) << t.error;
    ASSERT_EQ(t.effect.techniques.size(), 2u);
    const d3dx9::hlsl::CompiledPass& pass = t.effect.techniques[0].passes[0];
    EXPECT_EQ(LinkPass(pass), "");
    EXPECT_EQ(pass.states.size(), 14u);
    EXPECT_FALSE(t.effect.techniques[1].passes[0].hasShaders);
    // Vertex inputs in first-use order with their declaration usages.
    ASSERT_EQ(pass.program.inputs.size(), 6u);
    EXPECT_EQ(pass.program.inputs[0].usage, d3dx9::hlsl::VertexUsage::Position);
    EXPECT_EQ(pass.program.inputs[1].usage, d3dx9::hlsl::VertexUsage::Normal);
    EXPECT_EQ(pass.program.inputs[2].usage, d3dx9::hlsl::VertexUsage::TexCoord);
    EXPECT_EQ(pass.program.inputs[3].usage, d3dx9::hlsl::VertexUsage::Tangent);
    EXPECT_EQ(pass.program.inputs[4].usage, d3dx9::hlsl::VertexUsage::Binormal);
    EXPECT_EQ(pass.program.inputs[5].usage, d3dx9::hlsl::VertexUsage::Color);
    // Two samplers, on stages in order of use; statics and consts are not parameters.
    ASSERT_EQ(pass.program.samplers.size(), 2u);
    EXPECT_EQ(pass.program.samplers[0].name, "diffuse");
    EXPECT_EQ(pass.program.samplers[1].stage, 1);
    for (const auto& p : t.effect.parameters) EXPECT_NE(p.name, "half_");
    EXPECT_EQ(t.effect.parameters[2].initialValue,
              (std::vector<float>{1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1}));
}

TEST(Translation, LessCommonIntrinsicsTranslateAndLink) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const std::string globals = "sampler2D s; samplerCUBE c; sampler3D v; float4x4 m;";
    const std::string body =
        "float sn, cs; sincos(i.uv.x, sn, cs);\n"
        "float4 t = tex2Dgrad(s, i.uv, ddx(i.uv), ddy(i.uv)) + tex2D(s, i.uv, ddx(i.uv), "
        "ddy(i.uv));\n"
        "t += texCUBElod(c, float4(1, 0, 0, 0)) + texCUBEbias(c, float4(0, 1, 0, 1)) + tex3D(v, "
        "i.uv.xyx);\n"
        "float3 f = faceforward(float3(0, 0, 1), float3(1, 0, 0), float3(0, 0, -1));\n"
        "float k = mad(sn, cs, rcp(2.0)) + log10(100.0) + isnan(sn) + degrees(radians(90.0));\n"
        "float4 r = mul(m, t) + mul(2.0, t) + mul(t, 2.0) + mul(t, t);\n"
        "return r + float4(f, k) + fwidth(i.uv.x) + asin(0.5) + acos(0.5) + atan(1.0) + "
        "trunc(-1.5);";
    Translation t = Translate(PixelProbe(globals, body));
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(LinkPass(t.effect.techniques[0].passes[0]), "");
    // Values that do not depend on the (unbound) samplers.
    EXPECT_PIXEL(RunProbe("",
                          "float sn, cs; sincos(0.0, sn, cs); "
                          "return float4(sn, cs, mad(2, 3, 4), log10(1000.0) + rcp(4.0));"),
                 0.0f, 1.0f, 10.0f, 3.25f);
}

// A plain `sampler` becomes the kind of texture its fetches read (and one
// named like a GLSL keyword is renamed).
TEST(Translation, PlainSamplersTakeTheKindOfTheirFetches) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const std::string globals =
        "texture cube; sampler env = sampler_state { Texture = <cube>; }; sampler flat;";
    Translation t =
        Translate(PixelProbe(globals, "return texCUBE(env, float3(i.uv, 1)) + tex2D(flat, i.uv);"));
    ASSERT_TRUE(t.ok) << t.error;
    const d3dx9::hlsl::CompiledPass& pass = t.effect.techniques[0].passes[0];
    EXPECT_NE(pass.program.fragmentSource.find("uniform samplerCube env;"), std::string::npos);
    EXPECT_NE(pass.program.fragmentSource.find("uniform sampler2D kl_u_flat;"), std::string::npos);
    EXPECT_EQ(LinkPass(pass), "");
    const Translation mixed =
        Translate(PixelProbe("sampler s;", "return texCUBE(s, float3(0, 0, 1)) + tex2D(s, i.uv);"));
    EXPECT_FALSE(mixed.ok);
    EXPECT_NE(mixed.error.find("sampler 's' is fetched as two kinds of texture"), std::string::npos)
        << mixed.error;
}

TEST(Translation, GlslReservedNamesAreRenamed) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const Pixel p =
        RunProbe("float input = 0.25; float mix(float a) { return a * 2; }",
                 "float output = mix(input); float texture = 1; float sample = 0.5;\n"
                 "float3 fract = output.xxx; return float4(fract.x, texture, sample, output);",
                 {});
    EXPECT_PIXEL(p, 0.5f, 1.0f, 0.5f, 0.5f);
}

TEST(Translation, ArithmeticFollowsHlslRules) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    // fmod keeps the sign of x (GLSL mod would give 0.5); frac(-0.25) = 0.75;
    // int division truncates; saturate clamps.
    EXPECT_PIXEL(RunProbe("", "return float4(fmod(-3.5, 2), frac(-0.25), 7 / 2, saturate(1.5));"),
                 -1.5f, 0.75f, 3.0f, 1.0f);
    // Scalar swizzle, truncation on assignment, promotion of scalars.
    EXPECT_PIXEL(RunProbe("",
                          "float f = 0.5; float3 v = f.xxx; float2 t = float4(1, 2, 3, 4); "
                          "return float4(v.yz + t, 1, 2) * 0.5;"),
                 0.75f, 1.25f, 0.5f, 1.0f);
    // Compound assignment, pre/post increment, casts, ternary on a vector.
    EXPECT_PIXEL(RunProbe("",
                          "int n = 3; int j = n++ + ++n; float x = 10; x /= 4; x -= 0.5; "
                          "float2 s = (float2(1, -1) > 0) ? float2(7, 7) : float2(9, 9); "
                          "return float4(j, x, s.x, s.y + (int)-1.7);"),
                 8.0f, 2.0f, 7.0f, 8.0f);
    // lerp is mix; step and smoothstep; dot and length.
    EXPECT_PIXEL(RunProbe("",
                          "return float4(lerp(2, 4, 0.25), step(0.5, 0.4), smoothstep(0, 2, 1), "
                          "length(float3(2, 3, 6)) - dot(float2(1, 2), float2(3, 4)));"),
                 2.5f, 0.0f, 0.5f, -4.0f);
}

TEST(Translation, ParameterAndLocalOfOneNameIsAnError) {
    const Translation t = Translate(PixelProbe("", "int i = 3; return i;"));
    EXPECT_FALSE(t.ok);
    EXPECT_EQ(t.error, "test.fx(5,5): 'i' redefined");
}

TEST(Translation, LoopsAndFunctionsWithOutParameters) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const std::string helpers =
        "void split(float v, out float whole, out float part) { whole = floor(v); part = v - "
        "whole; }\n"
        "int sum(int n) { int s = 0; for (int i = 1; i <= n; i++) { if (i == 3) continue; s += i; "
        "} return s; }";
    EXPECT_PIXEL(RunProbe(helpers,
                          "float w, p; split(2.75, w, p); int k = 0; "
                          "while (true) { k += 2; if (k >= 6) break; } "
                          "return float4(w, p, sum(5), k);"),
                 2.0f, 0.75f, 12.0f, 6.0f);
}

// As in shader model 2 and 3 HLSL, a loop counter outlives its loop and a
// later loop may declare it again.
TEST(Translation, LoopCountersLiveInTheEnclosingScope) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    EXPECT_PIXEL(
        RunProbe("",
                 "float s = 0; for (int k = 0; k < 2; k++) { s += 1; }\n"
                 "for (int k = 5; k < 8; k++) { s += 10; } int j; for (j = 0; j < 4; ++j) {}\n"
                 "return float4(s, k, j, 0);"),
        32.0f, 8.0f, 4.0f, 0.0f);
    EXPECT_FALSE(
        Translate(PixelProbe("", "for (int k = 0; k < 2; k++) {} float k = 1; return k;")).ok);
}

TEST(Translation, ClipAndDiscardDropPixels) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    Translation t = Translate(PixelProbe("", "clip(float3(1, -0.5, 1)); return 1;"));
    ASSERT_TRUE(t.ok) << t.error;
    std::vector<Pixel> pixels = RenderPass(t.effect, 1, 1);
    ASSERT_EQ(pixels.size(), 1u);
    EXPECT_PIXEL(pixels[0], -1.0f, -1.0f, -1.0f, -1.0f);  // the clear value survives
    EXPECT_PIXEL(RunProbe("", "clip(0.0); return 1;"), 1.0f, 1.0f, 1.0f, 1.0f);
}

// Direct3D screen y grows downwards; the device keeps that orientation with
// an upper-left clip origin, and ddy must report Direct3D's sign.
TEST(Translation, DerivativesAndRowsFollowDirect3DOrientation) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    Translation t = Translate(PixelProbe("", "return float4(ddx(i.uv.x), ddy(i.uv.y), i.uv);"));
    ASSERT_TRUE(t.ok) << t.error;
    std::vector<Pixel> pixels = RenderPass(t.effect, 4, 4);
    ASSERT_EQ(pixels.size(), 16u);
    // uv is (0, 0) at the top-left corner and grows right and down by 1/4 per pixel.
    EXPECT_NEAR(pixels[0].r, 0.25f, 1e-5);
    EXPECT_NEAR(pixels[0].g, 0.25f, 1e-5);
    EXPECT_NEAR(pixels[0].b, 0.125f, 1e-5);
    EXPECT_NEAR(pixels[0].a, 0.125f, 1e-5);
    EXPECT_NEAR(pixels[15].b, 0.875f, 1e-5);
    EXPECT_NEAR(pixels[15].a, 0.875f, 1e-5);
}

TEST(Translation, TexturesFromSamplerStatesSample) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    Translation t = Translate(PixelProbe(
        "texture t; sampler2D s = sampler_state { Texture = <t>; };", "return tex2D(s, i.uv);"));
    ASSERT_TRUE(t.ok) << t.error;
    const d3dx9::hlsl::CompiledPass& pass = t.effect.techniques[0].passes[0];
    ASSERT_EQ(pass.program.samplers.size(), 1u);
    EXPECT_EQ(pass.program.samplers[0].stage, 0);
    EXPECT_EQ(t.effect.parameters[1].samplerTexture, "t");
    EXPECT_EQ(LinkPass(pass), "");
}

// Parameter initialisers and array sizes are folded as HLSL folds them:
// integer literals divide as integers, names of static consts are followed.
TEST(Translation, ConstantInitialisersAndArraySizesAreFolded) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const std::string globals = R"(
static const int TAPS = 2 + 1;
static const float PI = 3.14159265;
float3 dir = normalize(float3(1, 1, -2));
float2 k = {sqrt(2 / 3), sqrt(2.0 / 3)};
int halfTaps = TAPS / 2;
float angle = PI / 4 * 2;
float4 mid = lerp(float4(0, 0, 0, 0), float4(1, 2, 3, 4), 0.5);
float3 axis = cross(float3(1, 0, 0), float3(0, 1, 0)).zyx;  // (0, 0, 1) reversed
float weights[TAPS * 2 - 1] = {0.1, 0.2, 0.4, 0.2, 0.1};
)";
    Translation t = Translate(
        PixelProbe(globals,
                   "float s = 0; for (int n = 0; n < TAPS * 2 - 1; n++) s += weights[n];\n"
                   "return float4(s, halfTaps, k.x, 1);"));
    ASSERT_TRUE(t.ok) << t.error;
    std::map<std::string, std::vector<float>> initial;
    for (const d3dx9::hlsl::EffectParameter& p : t.effect.parameters)
        initial[p.name] = p.initialValue;
    const float r6 = 1.0f / std::sqrt(6.0f);
    const std::map<std::string, std::vector<float>> expected = {
        {"dir", {r6, r6, -2 * r6}},
        {"k", {0, std::sqrt(2.0f / 3)}},
        {"halfTaps", {1}},
        {"angle", {1.5707963f}},
        {"mid", {0.5f, 1, 1.5f, 2}},
        {"axis", {1, 0, 0}},
        {"weights", {0.1f, 0.2f, 0.4f, 0.2f, 0.1f}}};
    for (const auto& [name, values] : expected) {
        ASSERT_EQ(initial[name].size(), values.size()) << name;
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_NEAR(initial[name][i], values[i], 1e-6) << name << "[" << i << "]";
    }
    EXPECT_PIXEL(RenderPass(t.effect, 1, 1).at(0), 1.0f, 1.0f, 0.0f, 1.0f);

    EXPECT_EQ(Translate("static const float N = 2.5;\nfloat w[N * 2];").error,
              "test.fx(2,9): array size must be a constant integer");
    EXPECT_EQ(Translate("float a = 1;\nfloat b = a * 2;\ntechnique T { pass { } }").error,
              "test.fx(2,11): 'a' is not a constant");
    EXPECT_EQ(Translate("float3 d = normalize(0);\ntechnique T { pass { } }").error,
              "test.fx(1,12): normalize of a zero vector");
}

// Arrays of arrays as uniforms, statics, locals and parameters: nested and
// flat initialisers, constant and dynamic indices, and inner arrays taken whole.
TEST(Translation, ArraysOfArraysIndexLikeHlsl) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const std::string globals = R"(
float4 weights[3][2];
float2 grid[2][2] = {{{1, 2}, {3, 4}}, {{5, 6}, {7, 8}}};
static const float k[2][3] = {{1, 2, 3}, {4, 5, 6}};
static const float flat[2][2] = {1, 2, 3, 4};
int row = 2;
struct Pair { float v[2][2]; };
float Sum(float m[2][3]) {
    float s = 0;
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < 3; j++) s += m[i][j];
    return s;
}
)";
    Translation t = Translate(PixelProbe(globals, R"(
    float local[2][2] = {{0, 0}, {0, 0}};
    float inner[3] = k[1];
    local[1][0] = inner[2] + flat[1][1];
    local[0] = flat[0];
    Pair pr = (Pair)0;
    pr.v[1][0] = 1;
    return float4(weights[row][1].y + grid[1][0].y, Sum(k),
                  local[1][0] + local[0][1], weights[1][0].x + k[1][2 - row] + pr.v[1][0]);)"));
    ASSERT_TRUE(t.ok) << t.error;
    ASSERT_EQ(t.effect.parameters.size(), 3u);
    EXPECT_EQ(t.effect.parameters[0].type.arraySize, 3);
    EXPECT_EQ(t.effect.parameters[0].type.innerArraySize, 2);
    EXPECT_EQ(t.effect.parameters[0].initialValue.size(), 24u);
    EXPECT_EQ(t.effect.parameters[1].initialValue, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8}));
    // weights[i][j] = (2i + j, 100 + 2i + j, 0, 0), in row-major element order.
    std::vector<float> weights;
    for (int e = 0; e < 6; ++e) weights.insert(weights.end(), {float(e), 100.0f + e, 0, 0});
    // weights[2][1].y + grid[1][0].y = 105 + 6; Sum = 21; 6 + 4 + flat[0][1];
    // weights[1][0].x + k[1][0] + pr.v[1][0] = 2 + 4 + 1.
    EXPECT_PIXEL(RenderPass(t.effect, 1, 1, {{"weights", weights}}).at(0), 111.0f, 21.0f, 12.0f,
                 7.0f);

    EXPECT_EQ(Translate("float m[2][2][2];").error,
              "test.fx(1,14): arrays of more than two dimensions are not supported");
    EXPECT_EQ(Translate("float m[64][128];").error,
              "test.fx(1,9): array has more than 4096 elements");
    EXPECT_EQ(Translate("float m[2][3] = {1, 2, 3, 4};").error,
              "test.fx(1,17): initial value of 'm' needs 6 components, got 4");
    EXPECT_EQ(Translate(PixelProbe("static const float m[2][3] = {1, 2, 3, 4};", "return m[0][0];"))
                  .error,
              "test.fx(1,30): initializer has the wrong number of elements for float[2][3]");
}

// Shader model 3 styles: a semantic written on a struct-returning function,
// NORMAL and TANGENT passed between the stages, PSIZE written, and a sampler
// with a state block but no `= sampler_state`.
TEST(Translation, ShaderModelThreeInterfacesAndBareSamplerBlocks) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const char source[] = R"(
texture tex;
sampler2D s { Texture = <tex>; MinFilter = Point; };
struct VOut { float4 pos : POSITION; float3 n : NORMAL; float4 t : TANGENT; float size : PSIZE; };
VOut VS(float4 p : POSITION) : POSITION {
    VOut o; o.pos = p; o.n = float3(0.25, 0.5, 0.75); o.t = float4(1, 0, 0, 0.5); o.size = 2; return o;
}
float4 PS(float3 n : NORMAL, float4 t : TANGENT) : COLOR { return float4(n, t.w); }
technique T { pass P { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }
)";
    Translation t = Translate(source);
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(t.effect.parameters[1].samplerTexture, "tex");
    EXPECT_EQ(t.effect.parameters[1].samplerStates.size(), 2u);
    const std::vector<Pixel> pixels = RenderPass(t.effect, 1, 1);
    ASSERT_EQ(pixels.size(), 1u) << LinkPass(t.effect.techniques[0].passes[0]);
    EXPECT_PIXEL(pixels[0], 0.25f, 0.5f, 0.75f, 0.5f);
}

// A sampler array gets one state block per element; each element a shader
// reads (with a constant index) is a sampler of its own stage, and element i
// of an array bound to register(sn) takes stage n + i.
TEST(Translation, SamplerArraysTakeOneStagePerElement) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const std::string globals = R"(
texture t0;
texture t1;
sampler2D layers[2] = { sampler_state { Texture = <t0>; MinFilter = Point; }, sampler_state { Texture = (t1); } };
sampler2D bound[3] : register(s4);
static const int LAST = 1;
int k;
)";
    Translation t = Translate(PixelProbe(
        globals,
        "return tex2D(layers[LAST], i.uv) + tex2D(bound[2], i.uv) + tex2D(layers[0], i.uv);"));
    ASSERT_TRUE(t.ok) << t.error;
    const d3dx9::hlsl::CompiledPass& pass = t.effect.techniques[0].passes[0];
    EXPECT_EQ(LinkPass(pass), "");
    ASSERT_EQ(pass.program.samplers.size(), 3u);
    const std::vector<std::pair<int, int>> expected = {{6, 2}, {0, 1}, {1, 0}};  // stage, element
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(pass.program.samplers[i].stage, expected[i].first) << i;
        EXPECT_EQ(pass.program.samplers[i].element, expected[i].second) << i;
    }
    const d3dx9::hlsl::EffectParameter& layers = t.effect.parameters[2];
    ASSERT_EQ(layers.name, "layers");
    ASSERT_EQ(layers.samplerElements.size(), 2u);
    EXPECT_EQ(layers.samplerElements[0].samplerTexture, "t0");
    EXPECT_EQ(layers.samplerElements[0].samplerStates.size(), 2u);
    EXPECT_EQ(layers.samplerElements[1].samplerTexture, "t1");
    EXPECT_EQ(t.effect.parameters[3].samplerElements.size(), 3u);

    EXPECT_EQ(Translate(PixelProbe(globals, "return tex2D(layers[k], i.uv);")).error,
              "test.fx(12,20): sampler array 'layers' needs a constant index");
    EXPECT_EQ(Translate(PixelProbe(globals, "return tex2D(layers[LAST + 1], i.uv);")).error,
              "test.fx(12,20): index 2 is out of range for sampler array 'layers'");
    EXPECT_EQ(Translate(PixelProbe(globals, "return tex2D(layers, i.uv);")).error,
              "test.fx(12,8): tex2D needs a sampler as first argument");
    EXPECT_EQ(Translate("sampler2D pair[2] = { sampler_state { } };").error,
              "test.fx(1,21): sampler array 'pair' has 2 elements but 1 sampler_state blocks");
    EXPECT_EQ(Translate("sampler2D grid[2][2];").error,
              "test.fx(1,11): arrays of arrays of samplers are not supported");
}

// Effect keywords in any letter case, and Direct3D 10/11 techniques beside
// the Direct3D 9 ones passed over as D3DX 9 does.
TEST(Translation, EffectKeywordsInAnyCaseAndNewerTechniquesSkipped) {
    GlTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    const char source[] = R"(
float4 VS(float4 p : POSITION) : POSITION { return p; }
float4 PS() : COLOR { return float4(0.25, 0.5, 0.75, 1); }
technique10 Newer { pass P0 { SetVertexShader(CompileShader(vs_4_0, VS())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
Technique Older { Pass P0 { vertexshader = COMPILE VS_2_0 VS(); PIXELSHADER = Compile ps_2_0 PS(); ZEnable = FALSE; } }
TECHNIQUE11 Newest { pass { SetPixelShader(NULL); } }
)";
    Translation t = Translate(source);
    ASSERT_TRUE(t.ok) << t.error;
    ASSERT_EQ(t.effect.techniques.size(), 1u);
    EXPECT_EQ(t.effect.techniques[0].name, "Older");
    const std::vector<Pixel> pixels = RenderPass(t.effect, 1, 1);
    ASSERT_EQ(pixels.size(), 1u);
    EXPECT_PIXEL(pixels[0], 0.25f, 0.5f, 0.75f, 1.0f);
    EXPECT_EQ(Translate("technique10 T { pass P { \n").error,
              "test.fx(1,1): unterminated 'technique10' block");
}

}  // namespace
}  // namespace kl::test
