// Syntax and type errors: one "file(line,col): message", never a crash, and
// bounded work on hostile input.
#include "translator_test_util.h"

#include <gtest/gtest.h>

namespace kl::test {
namespace {

const char kShell[] =
    "struct O { float4 p : POSITION; };\n"
    "O VS(float4 p : POSITION) { O o; o.p = p; return o; }\n";

std::string ErrorOf(const std::string& source) {
    Translation t = Translate(source);
    EXPECT_FALSE(t.ok);
    return t.error;
}

TEST(ParserErrors, SyntaxErrorsNameFileLineAndColumn) {
    EXPECT_EQ(ErrorOf("float4 a\nfloat b;"), "test.fx(2,1): expected ';' but found 'float'");
    EXPECT_EQ(ErrorOf("float4 f() { return 1 +; }"),
              "test.fx(1,24): expected an expression but found ';'");
    EXPECT_EQ(ErrorOf("technique T { pass P { VertexShader = compile vs_2_0; } }"),
              "test.fx(1,53): expected an entry function but found ';'");
    EXPECT_EQ(ErrorOf("sampler2D s = sampler_state { Texture = <t> };"),
              "test.fx(1,45): expected ';' but found '}'");
    EXPECT_EQ(ErrorOf("unknown_type x;"), "test.fx(1,1): unknown type 'unknown_type'");
}

TEST(ParserErrors, TypeErrorsNameTheirPosition) {
    const std::string ps =
        "float4 PS() : COLOR { float3 v = float3(1, 2, 3); float4 w = v; return w; }\n"
        "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 "
        "PS(); } }";
    EXPECT_EQ(ErrorOf(kShell + ps), "test.fx(3,62): cannot convert from float3 to float4");
    const std::string undeclared =
        "float4 PS() : COLOR { return missing; }\n"
        "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 "
        "PS(); } }";
    EXPECT_EQ(ErrorOf(kShell + undeclared), "test.fx(3,30): undeclared identifier 'missing'");
    const std::string swizzle =
        "float4 PS() : COLOR { float2 v = 0; return v.xyzz; }\n"
        "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 "
        "PS(); } }";
    EXPECT_EQ(ErrorOf(kShell + swizzle), "test.fx(3,45): swizzle 'xyzz' out of range for float2");
    const std::string entry =
        "technique T { pass P { VertexShader = compile vs_2_0 Nope(); PixelShader = compile ps_2_0 "
        "VS(); } }";
    EXPECT_EQ(ErrorOf(kShell + entry), "test.fx(3,39): entry point 'Nope' not found");
    const std::string recursion =
        "float f(float x) { return f(x); }\n"
        "float4 PS() : COLOR { return f(1); }\n"
        "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 "
        "PS(); } }";
    EXPECT_EQ(ErrorOf(kShell + recursion), "test.fx(3,7): recursive call of 'f'");
}

TEST(ParserErrors, TruncatedInputFailsAtEveryCut) {
    const std::string full = std::string(kShell) +
                             "float4 PS(float2 t : TEXCOORD0) : COLOR { if (t.x > 0) { return 1; } "
                             "return float4(t, 0, 1); }\n"
                             "technique T { pass P { VertexShader = compile vs_2_0 VS(); "
                             "PixelShader = compile ps_2_0 PS(); ZFunc = Less; } }";
    ASSERT_TRUE(Translate(full).ok) << Translate(full).error;
    for (size_t cut = 0; cut + 1 < full.size(); ++cut) {
        Translation t = Translate(full.substr(0, cut));
        EXPECT_FALSE(t.ok) << "cut at " << cut;
        EXPECT_EQ(t.error.compare(0, 8, "test.fx("), 0) << t.error;
    }
}

TEST(ParserErrors, DeepNestingIsRejectedNotOverflowed) {
    const std::string parens = "float x = " + std::string(100000, '(') + "1;";
    EXPECT_NE(ErrorOf(parens).find("nesting too deep"), std::string::npos);
    std::string blocks = "float4 f() " + std::string(50000, '{');
    EXPECT_NE(ErrorOf(blocks).find("nesting too deep"), std::string::npos);
    const std::string unary = "float x = " + std::string(100000, '-') + "1;";
    EXPECT_NE(ErrorOf(unary).find("nesting too deep"), std::string::npos);
}

// A chain is parsed in a loop but builds a tree one level per link: long
// chains are refused before the generator or the tree's release recurses.
TEST(ParserErrors, LongOperatorAndMemberChainsAreRefused) {
    auto body = [](const std::string& expression) {
        return std::string(kShell) + "float4 PS(float4 c : COLOR0) : COLOR { float a = 1; return " +
               expression + "; }\ntechnique T { pass P { VertexShader = compile vs_2_0 VS(); " +
               "PixelShader = compile ps_2_0 PS(); } }";
    };
    std::string sum = "a", swizzles = "c", commas = "(a", posts = "a";
    for (int i = 0; i < 5000; ++i) {
        sum += "+a";
        swizzles += ".x";
        commas += ",a";
        posts += "++";
    }
    for (const std::string& chain : {sum, swizzles, commas + ")", posts})
        EXPECT_NE(ErrorOf(body(chain)).find("expression nested too deeply"), std::string::npos);
    // A macro builds the same chain from a few hundred bytes.
    const std::string macros =
        "#define A a+a+a+a+a+a+a+a+a+a\n#define B A+A+A+A+A+A+A+A+A+A\n"
        "#define C B+B+B+B+B+B+B+B+B+B\n#define D C+C+C+C+C+C+C+C+C+C\n";
    EXPECT_NE(ErrorOf(macros + body("D+D+D")).find("expression nested too deeply"),
              std::string::npos);
    // Chains within the limit still translate.
    std::string shortSum = "a";
    for (int i = 0; i < 200; ++i) shortSum += "+a";
    const Translation ok = Translate(body(shortSum + " + c.x.x.x.x"));
    EXPECT_TRUE(ok.ok) << ok.error;
}

// Shader model 3 runs a loop at most 255 times: a loop whose count the
// source fixes beyond that is refused where it stands.
TEST(ParserErrors, LoopsOfMoreThan255IterationsAreRefused) {
    auto shader = [](const std::string& loop) {
        return std::string(kShell) + "float4 PS(float a : TEXCOORD0) : COLOR { float s = 0;\n" +
               loop + " { s += a; }\nreturn s; }\n" +
               "technique T { pass P { VertexShader = compile vs_3_0 VS(); " +
               "PixelShader = compile ps_3_0 PS(); } }";
    };
    EXPECT_EQ(ErrorOf(shader("for (int i = 0; i < 100000; i++)")),
              "test.fx(4,1): loop runs 100000 times; at most 255 iterations are allowed");
    EXPECT_EQ(ErrorOf(shader("  for (int i = 0; i <= 255; ++i)")),
              "test.fx(4,3): loop runs 256 times; at most 255 iterations are allowed");
    EXPECT_EQ(ErrorOf(shader("for (int i = 1000; i > 0; i -= 2)")),
              "test.fx(4,1): loop runs 500 times; at most 255 iterations are allowed");
    EXPECT_EQ(ErrorOf(shader("for (int i = 0; 1000 > i; i = i + 3)")),
              "test.fx(4,1): loop runs 334 times; at most 255 iterations are allowed");
    EXPECT_EQ(ErrorOf(shader("for (int i = 0; i < 10; i--)")),
              "test.fx(4,1): loop runs without end; at most 255 iterations are allowed");
    EXPECT_EQ(ErrorOf(shader("for (int i = 0; i != 1000; i++)")),
              "test.fx(4,1): loop runs 1000 times; at most 255 iterations are allowed");
    // Within the limit, or not fixed by the source: translated.
    for (const char* loop : {"for (int i = 0; i < 255; i++)", "for (int i = 255; i > 0; i--)",
                             "for (float f = 0; f < 2.5; f += 0.01)",
                             "for (int i = 0; i < 100000; i++) { i += 1000; }",
                             "for (int i = 0; i < a; i++)", "for (int i = 10; i < 5; i--)"}) {
        const Translation t = Translate(shader(loop));
        EXPECT_TRUE(t.ok) << loop << ": " << t.error;
    }
}

// Each pass with shaders is a GL program of its own: an effect holds at
// most 256 passes, counted over all its techniques.
TEST(ParserErrors, EffectsOfMoreThan256PassesAreRefused) {
    auto effect = [](int techniques, int passes) {
        std::string text = std::string(kShell) + "float4 PS() : COLOR { return 1; }\n";
        for (int t = 0; t < techniques; ++t) {
            text += "technique T" + std::to_string(t) + " {\n";
            for (int p = 0; p < passes; ++p)
                text +=
                    "pass P { VertexShader = compile vs_2_0 VS(); "
                    "PixelShader = compile ps_2_0 PS(); }\n";
            text += "}\n";
        }
        return text;
    };
    EXPECT_EQ(ErrorOf(effect(1, 8000)), "test.fx(261,1): effect has more than 256 passes");
    EXPECT_EQ(ErrorOf(effect(2, 129)), "test.fx(263,1): effect has more than 256 passes");
    const Translation ok = Translate(effect(2, 128));
    EXPECT_TRUE(ok.ok) << ok.error;
}

TEST(ParserErrors, GarbageBytesFailCleanly) {
    const std::string garbage("\x01\xff\xfe technique", 13);
    EXPECT_EQ(ErrorOf(garbage), "test.fx(1,1): unexpected byte 1");
    EXPECT_EQ(ErrorOf("/* never closed"), "test.fx(1,1): unterminated comment");
    EXPECT_EQ(ErrorOf("string s = \"open"), "test.fx(1,12): unterminated string");
    EXPECT_EQ(ErrorOf(""), "test.fx(1,1): effect has no technique");
}

}  // namespace
}  // namespace kl::test
