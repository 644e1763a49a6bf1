// The preprocessor: macros, conditionals, includes and their failures.
#include "d3dx9/effect/hlsl_preprocessor.h"

#include <gtest/gtest.h>

namespace kl::d3dx9::hlsl {
namespace {

std::string Expand(const std::string& text, PreprocessOptions options = {}) {
    std::string out;
    for (const Token& t : Preprocess("pp.fx", text, options)) {
        if (t.kind == TokenKind::EndOfFile) break;
        out += (out.empty() ? "" : " ") + t.text;
    }
    return out;
}

std::string ErrorOf(const std::string& text, PreprocessOptions options = {}) {
    try {
        Preprocess("pp.fx", text, options);
    } catch (const CompileError& e) {
        return e.what();
    }
    return "";
}

TEST(Preprocessor, ObjectAndFunctionMacrosExpandAndRescan) {
    EXPECT_EQ(Expand("#define A 1 + B\n#define B 2\nx = A;"), "x = 1 + 2 ;");
    EXPECT_EQ(Expand("#define SQ(x) ((x)*(x))\ny = SQ(a+1);"), "y = ( ( a + 1 ) * ( a + 1 ) ) ;");
    EXPECT_EQ(Expand("#define F(a, b) a - b\nF((1, 2), 3)"), "( 1 , 2 ) - 3");
    // A function-like macro name without '(' stays a name.
    EXPECT_EQ(Expand("#define F(a) a\nF + 1"), "F + 1");
    // '(' separated from the name by a space makes an object-like macro.
    EXPECT_EQ(Expand("#define G (a)\nG"), "( a )");
}

TEST(Preprocessor, SelfReferenceDoesNotLoop) {
    EXPECT_EQ(Expand("#define X X + 1\nX"), "X + 1");
    EXPECT_EQ(Expand("#define A B\n#define B A\nA"), "A");
}

TEST(Preprocessor, ConditionalsChooseTheRightBranch) {
    const char* text =
        "#define LEVEL 2\n"
        "#if LEVEL > 2\n a\n#elif LEVEL == 2 && defined(LEVEL)\n b\n#else\n c\n#endif\n"
        "#ifdef MISSING\n d\n#endif\n#ifndef MISSING\n e\n#endif\n"
        "#if 0\n#if 1\n f\n#endif\n#else\n g\n#endif";
    EXPECT_EQ(Expand(text), "b e g");
}

TEST(Preprocessor, DefinesFromTheCallerApply) {
    PreprocessOptions options;
    options.defines = {{"QUALITY", "3"}, {"EMPTY", ""}};
    EXPECT_EQ(Expand("#if QUALITY == 3\nhigh EMPTY\n#endif", options), "high");
}

TEST(Preprocessor, IncludesExpandInPlaceAndReportTheirOwnFile) {
    PreprocessOptions options;
    std::string seenIncluder;
    options.includeReader = [&](const std::string& includer, const std::string& name,
                                std::string& resolved, std::string& contents) {
        seenIncluder = includer;
        resolved = "dir/" + name;
        if (name == "common.fxh") contents = "float k;";
        if (name == "bad.fxh") contents = "float k;\n@";
        return name == "common.fxh" || name == "bad.fxh";
    };
    EXPECT_EQ(Expand("#include \"common.fxh\"\nint j;", options), "float k ; int j ;");
    EXPECT_EQ(seenIncluder, "pp.fx");
    EXPECT_EQ(ErrorOf("#include \"bad.fxh\"\n", options),
              "dir/bad.fxh(2,1): unexpected character '@'");
    EXPECT_EQ(ErrorOf("\n#include \"nope.fxh\"\n", options),
              "pp.fx(2,10): cannot open include file 'nope.fxh'");
    // Angle brackets: the name verbatim, Windows separators included; a name
    // not closed on its line is an error, not a read to the end of the file.
    options.includeReader = [&](const std::string&, const std::string& name, std::string& resolved,
                                std::string& contents) {
        resolved = name;
        contents = "float from_" + std::to_string(name.size()) + ";";
        return name == "lib\\common.fxh";
    };
    EXPECT_EQ(Expand("#include <lib\\common.fxh>\nint j < 2;", options),
              "float from_14 ; int j < 2 ;");
    EXPECT_EQ(ErrorOf("#include <lib\\common.fxh\nint j;", options),
              "pp.fx(1,10): unterminated <file name>");
}

// A UTF-8 byte-order mark opens the file without shifting columns; one
// anywhere else is still a stray byte.
TEST(Preprocessor, ByteOrderMarkIsSkipped) {
    EXPECT_EQ(Expand("\xEF\xBB\xBF#define A 1\nx = A;"), "x = 1 ;");
    EXPECT_EQ(ErrorOf("\xEF\xBB\xBF\n x @"), "pp.fx(2,4): unexpected character '@'");
    EXPECT_EQ(ErrorOf("x \xEF\xBB\xBF"), "pp.fx(1,3): unexpected byte 239");
}

TEST(Preprocessor, RecursiveIncludeIsBounded) {
    PreprocessOptions options;
    options.includeReader = [](const std::string&, const std::string&, std::string& resolved,
                               std::string& contents) {
        resolved = "self.fxh";
        contents = "#include \"self.fxh\"\n";
        return true;
    };
    EXPECT_NE(ErrorOf("#include \"self.fxh\"", options).find("#include nested too deeply"),
              std::string::npos);
}

TEST(Preprocessor, MalformedDirectivesFailWithTheirLine) {
    EXPECT_EQ(ErrorOf("#if 1\nx\n"), "pp.fx(1,2): #if without #endif");
    EXPECT_EQ(ErrorOf("\n#endif\n"), "pp.fx(2,2): #endif without #if");
    EXPECT_EQ(ErrorOf("#if 1 / 0\n#endif"), "pp.fx(1,7): division by zero in #if");
    EXPECT_EQ(ErrorOf("#error stop here\n"), "pp.fx(1,2): #error stop here");
    EXPECT_EQ(ErrorOf("#bogus\n"), "pp.fx(1,1): unknown directive '#bogus'");
    EXPECT_EQ(ErrorOf("#define F(a) a\nF(1"), "pp.fx(2,1): unterminated call of macro 'F'");
    EXPECT_EQ(ErrorOf("#define F(a,b) a\nF(1)"),
              "pp.fx(2,1): macro 'F' expects 2 arguments, got 1");
}

TEST(Preprocessor, ExponentialMacroGrowthIsStopped) {
    std::string text = "#define A0 x x\n";
    for (int i = 1; i < 40; ++i)
        text += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" +
                std::to_string(i - 1) + "\n";
    text += "A39\n";
    const std::string error = ErrorOf(text);
    EXPECT_NE(error.find("macro expansion"), std::string::npos) << error;
}

// The limit counts bytes: a few kilobytes of macros repeating a long name
// stop long before the expansion holds gigabytes.
TEST(Preprocessor, ExpansionOfLongNamesIsBoundedInBytes) {
    std::string text = "#define L0 " + std::string(4000, 'n') + "\n";
    for (int i = 1; i < 8; ++i) {
        text += "#define L" + std::to_string(i);
        for (int k = 0; k < 10; ++k) text += " L" + std::to_string(i - 1);
        text += "\n";
    }
    const std::string error = ErrorOf(text + "float x = L7;\n");
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    // The same macros used within the limit expand.
    EXPECT_EQ(Expand(text + "L1").size(), 10 * 4000 + 9);
}

}  // namespace
}  // namespace kl::d3dx9::hlsl
