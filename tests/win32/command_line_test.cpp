// GetCommandLineW and CommandLineToArgvW with Windows' quoting rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/wide_text.h"
#include "platform/testing.h"
#include "win32/command_line.h"

namespace {

std::vector<std::wstring> Split(const wchar_t* line) {
    int count = -1;
    LPWSTR* arguments = CommandLineToArgvW(line, &count);
    EXPECT_NE(arguments, nullptr);
    std::vector<std::wstring> result;
    if (!arguments) return result;
    for (int i = 0; i < count; ++i) result.emplace_back(arguments[i]);
    EXPECT_EQ(arguments[count], nullptr);
    EXPECT_EQ(LocalFree(arguments), nullptr);
    return result;
}

using Args = std::vector<std::wstring>;

TEST(CommandLineToArgvW, BackslashAndQuoteRulesOfTheDocumentation) {
    EXPECT_EQ(Split(LR"(prog "abc" d e)"), (Args{L"prog", L"abc", L"d", L"e"}));
    // Backslashes not followed by a quote are literal.
    EXPECT_EQ(Split(LR"(prog a\\\b d"e f"g h)"), (Args{L"prog", LR"(a\\\b)", L"de fg", L"h"}));
    // 2n + 1 backslashes and a quote: n backslashes and a literal quote.
    EXPECT_EQ(Split(LR"(prog a\\\"b c d)"), (Args{L"prog", LR"(a\"b)", L"c", L"d"}));
    // 2n backslashes and a quote: n backslashes, the quote opens quoted mode.
    EXPECT_EQ(Split(LR"(prog a\\\\"b c" d e)"), (Args{L"prog", LR"(a\\b c)", L"d", L"e"}));
    EXPECT_EQ(Split(LR"(prog \"quoted\")"), (Args{L"prog", L"\"quoted\""}));
}

TEST(CommandLineToArgvW, QuotedArgumentKeepsItsBlanks) {
    EXPECT_EQ(Split(L"app.exe \"-width:80 0\" -height:600"),
              (Args{L"app.exe", L"-width:80 0", L"-height:600"}));
    EXPECT_EQ(Split(L"app.exe\t-a   -b  "), (Args{L"app.exe", L"-a", L"-b"}));
}

TEST(CommandLineToArgvW, ProgramNameHasNoEscapes) {
    EXPECT_EQ(Split(LR"("C:\Program Files\app.exe" -windowed)"),
              (Args{LR"(C:\Program Files\app.exe)", L"-windowed"}));
    // The quote after the backslash ends the program name.
    EXPECT_EQ(Split(LR"("C:\dir\" next)"), (Args{LR"(C:\dir\)", L"next"}));
    EXPECT_EQ(Split(LR"(C:\dir\app.exe x)"), (Args{LR"(C:\dir\app.exe)", L"x"}));
}

TEST(CommandLineToArgvW, LeadingBlankMakesAnEmptyProgramName) {
    EXPECT_EQ(Split(L" a b"), (Args{L"", L"a", L"b"}));
}

TEST(CommandLineToArgvW, EmptyLineGivesTheExecutablePath) {
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    EXPECT_EQ(Split(L""), (Args{path}));
}

TEST(CommandLineToArgvW, MissingCountFails) {
    SetLastError(0);
    EXPECT_EQ(CommandLineToArgvW(L"a b", nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(GetCommandLineW, SplitsBackIntoThisProcessArguments) {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Args expected;
    size_t begin = 0;
    while (begin < raw.size()) {
        const size_t end = raw.find('\0', begin);
        expected.push_back(kl::platform::FromUtf8(raw.substr(begin, end - begin)));
        begin = end + 1;
    }
    ASSERT_GE(expected.size(), 1u);
    EXPECT_EQ(Split(GetCommandLineW()), expected);
}

TEST(GetCommandLineW, QuotingRoundTripsAwkwardArguments) {
    const Args arguments{L"/opt/my app/prog",        L"plain",      L"with space",     L"",
                         L"quote\"inside",           L"trailing\\", L"two\\\\\"three", L"tab\there",
                         L"blank then backslash \\", L"-width:800"};
    const std::wstring line = kl::win32::BuildCommandLine(arguments);
    EXPECT_EQ(Split(line.c_str()), arguments);
    EXPECT_EQ(kl::win32::QuoteArgument(L"trailing\\ x\\"), L"\"trailing\\ x\\\\\"");
    EXPECT_EQ(kl::win32::QuoteArgument(L"simple"), L"simple");
}

TEST(GetCommandLineW, TestHookReplacesTheLine) {
    kl::testing::SetProcessCommandLine(L"demo.exe -width:1024 /height:768");
    EXPECT_STREQ(GetCommandLineW(), L"demo.exe -width:1024 /height:768");
    EXPECT_EQ(Split(GetCommandLineW()), (Args{L"demo.exe", L"-width:1024", L"/height:768"}));
}

}  // namespace
