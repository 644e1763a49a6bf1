// Command-line options, from the argument strings a user types.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "framework/framework_state.h"
#include "framework/initialization.h"
#include "framework_test_support.h"

namespace {

using kl::framework_test::FrameworkTest;

class CommandLineTest : public FrameworkTest {
protected:
    // Reads a whole command line, as the process would receive it.
    static void ReadCommandLine(const wchar_t* commandLine) {
        kl::testing::SetProcessCommandLine(commandLine);
        ReadCommandLineOptions();
    }
};

TEST_F(CommandLineTest, OptionNamesIgnoreCaseAndTakeEitherPrefix) {
    FrameworkState& state = GetFrameworkState();
    ReadCommandLineArgument(L"-WIDTH:800");
    EXPECT_EQ(800, state.GetOverrideWidth());
    state.SetOverrideWidth(0);
    ReadCommandLineArgument(L"/width:801");
    EXPECT_EQ(801, state.GetOverrideWidth());
    state.SetOverrideWidth(0);
    ReadCommandLineArgument(L"-width:802");
    EXPECT_EQ(802, state.GetOverrideWidth());
}

TEST_F(CommandLineTest, NameMustEndAtColonAndArgumentNeedsPrefix) {
    FrameworkState& state = GetFrameworkState();
    ReadCommandLineArgument(L"-width800");
    ReadCommandLineArgument(L"width:800");
    ReadCommandLineArgument(L"-widths:800");
    EXPECT_EQ(0, state.GetOverrideWidth());
}

TEST_F(CommandLineTest, AdapterValueStopsAtTheFirstNonDigit) {
    FrameworkState& state = GetFrameworkState();
    ReadCommandLineArgument(L"-adapter:1x");
    EXPECT_EQ(1, state.GetOverrideAdapter());
    ReadCommandLineArgument(L"-adapter:");
    EXPECT_EQ(0, state.GetOverrideAdapter());
    state.SetOverrideAdapter(5);
    ReadCommandLineArgument(L"-adapter");  // a required value is missing
    EXPECT_EQ(5, state.GetOverrideAdapter());
    ReadCommandLineArgument(L"-adapter:  -3");  // leading blanks cut the value to empty
    EXPECT_EQ(0, state.GetOverrideAdapter());
}

TEST_F(CommandLineTest, ConstantFrameTimeHasADefaultAndAnOptionalValue) {
    FrameworkState& state = GetFrameworkState();
    ReadCommandLineArgument(L"-constantframetime");
    EXPECT_TRUE(state.GetOverrideConstantFrameTime());
    EXPECT_FLOAT_EQ(0.0333f, state.GetOverrideConstantFrameTimeValue());
    EXPECT_TRUE(state.GetConstantFrameTimeEnabled());
    EXPECT_FLOAT_EQ(0.0333f, state.GetConstantFrameTime());

    ReadCommandLineArgument(L"-constantframetime:0.01");
    EXPECT_FLOAT_EQ(0.01f, state.GetOverrideConstantFrameTimeValue());
    EXPECT_FLOAT_EQ(0.01f, state.GetConstantFrameTime());

    // The program's own request cannot switch the override off.
    EnableConstantFrameTime(false, 0.5f);
    EXPECT_TRUE(state.GetConstantFrameTimeEnabled());
    EXPECT_FLOAT_EQ(0.01f, state.GetConstantFrameTime());
}

TEST_F(CommandLineTest, ConstantFrameTimeWithoutOverrideTakesTheRequest) {
    FrameworkState& state = GetFrameworkState();
    EnableConstantFrameTime(true, 0.25f);
    EXPECT_TRUE(state.GetConstantFrameTimeEnabled());
    EXPECT_FLOAT_EQ(0.25f, state.GetConstantFrameTime());
}

TEST_F(CommandLineTest, UnusableFrameTimesAndSizesAreRefused) {
    FrameworkState& state = GetFrameworkState();
    ReadCommandLineArgument(L"-constantframetime:-1");
    ReadCommandLineArgument(L"-constantframetime:1e999");
    EXPECT_FALSE(state.GetOverrideConstantFrameTime());
    EXPECT_FALSE(state.GetConstantFrameTimeEnabled());
    ReadCommandLineArgument(L"-width:-640");
    ReadCommandLineArgument(L"-height:-480");
    EXPECT_EQ(0, state.GetOverrideWidth());
    EXPECT_EQ(0, state.GetOverrideHeight());
    ReadCommandLineArgument(L"-width:99999999999");  // saturates instead of wrapping
    EXPECT_EQ(INT32_MAX, state.GetOverrideWidth());
}

// A refused value takes its argument like a usable one: the text after a
// value of 255 characters (where the value is cut) is not read as a second
// option, and the option keeps what an earlier argument gave it.
TEST_F(CommandLineTest, RefusedValueTakesItsWholeArgument) {
    FrameworkState& state = GetFrameworkState();
    const std::wstring padding(253, L'0');
    ReadCommandLineArgument(L"-width:800");
    ReadCommandLineArgument((L"-width:-1" + padding + L"height:300").c_str());
    EXPECT_EQ(800, state.GetOverrideWidth());
    EXPECT_EQ(0, state.GetOverrideHeight());

    ReadCommandLineArgument((L"-constantframetime:-1" + padding + L"quitafterframe:5").c_str());
    EXPECT_FALSE(state.GetOverrideConstantFrameTime());
    EXPECT_EQ(0, state.GetQuitAfterFrame());
}

TEST_F(CommandLineTest, EveryFlagSetsItsField) {
    ReadCommandLine(
        L"app.exe -windowed:yes /FULLSCREEN -forcehal -forceref -forcepurehwvp -forcehwvp "
        L"-forceswvp -noerrormsgboxes -nostats -relaunchmce -automation");
    FrameworkState& state = GetFrameworkState();
    EXPECT_TRUE(state.GetOverrideWindowed());
    EXPECT_TRUE(state.GetOverrideFullscreen());
    EXPECT_TRUE(state.GetForceHal());
    EXPECT_TRUE(state.GetForceRef());
    EXPECT_TRUE(state.GetForcePureHwvp());
    EXPECT_TRUE(state.GetForceHwvp());
    EXPECT_TRUE(state.GetForceSwvp());
    EXPECT_FALSE(state.GetShowErrorBoxes());
    EXPECT_TRUE(state.GetNoStats());
    EXPECT_TRUE(state.GetRelaunchMediaShellAtExit());
    EXPECT_TRUE(state.GetAutomation());
}

TEST_F(CommandLineTest, ForceHwvpDoesNotMatchForcePureHwvp) {
    ReadCommandLineArgument(L"-forcehwvp");
    EXPECT_TRUE(GetFrameworkState().GetForceHwvp());
    EXPECT_FALSE(GetFrameworkState().GetForcePureHwvp());
}

TEST_F(CommandLineTest, EveryValuedOptionStoresItsValue) {
    ReadCommandLine(
        L"app.exe -adapter:2 -forcevsync:2 -width:1024 -height:768 -startx:-10 -starty:20 "
        L"-quitafterframe:30");
    FrameworkState& state = GetFrameworkState();
    EXPECT_EQ(2, state.GetOverrideAdapter());
    EXPECT_EQ(2, state.GetOverrideVsync());  // stored, although only 0 and 1 mean something
    EXPECT_EQ(1024, state.GetOverrideWidth());
    EXPECT_EQ(768, state.GetOverrideHeight());
    EXPECT_EQ(-10, state.GetOverrideStartX());
    EXPECT_EQ(20, state.GetOverrideStartY());
    EXPECT_EQ(30, state.GetQuitAfterFrame());
}

TEST_F(CommandLineTest, QuotedValueIsCutAtItsFirstBlank) {
    ReadCommandLine(L"app.exe \"-width:80 0\" -height:60");
    EXPECT_EQ(80, GetFrameworkState().GetOverrideWidth());
    EXPECT_EQ(60, GetFrameworkState().GetOverrideHeight());
}

TEST_F(CommandLineTest, LaterOptionWinsAndProgramNameIsSkipped) {
    // The first argument is the program, whatever it looks like.
    ReadCommandLine(L"-height:10 -width:300 -width:400");
    EXPECT_EQ(400, GetFrameworkState().GetOverrideWidth());
    EXPECT_EQ(0, GetFrameworkState().GetOverrideHeight());
}

TEST_F(CommandLineTest, BothWindowedAndFullscreenAreKept) {
    ReadCommandLine(L"app.exe -fullscreen -windowed");
    EXPECT_TRUE(GetFrameworkState().GetOverrideWindowed());
    EXPECT_TRUE(GetFrameworkState().GetOverrideFullscreen());
}

std::string StandardErrorOfUnrecognizedArguments() {
    ::testing::internal::CaptureStderr();
    ReadCommandLineArgument(L"-bogus:1 2");
    ReadCommandLineArgument(L"-width");  // the name matched; the value is missing
    ReadCommandLineArgument(L"plain");
    return ::testing::internal::GetCapturedStderr();
}

// The user's note names the whole argument; the developer trace (debugger
// output, here only with KESTRALUNE_VERBOSE) the rest after the names tried.
TEST_F(CommandLineTest, UnrecognizedArgumentsAreNamedOnStandardErrorAndTraced) {
    unsetenv("KESTRALUNE_VERBOSE");
    EXPECT_EQ(
        "Unrecognized option ignored: -bogus:1 2\nUnrecognized option ignored: -width\n"
        "Unrecognized option ignored: plain\n",
        StandardErrorOfUnrecognizedArguments());
    setenv("KESTRALUNE_VERBOSE", "1", 1);
    EXPECT_EQ(
        "Unrecognized flag: bogus:1\nUnrecognized option ignored: -bogus:1 2\n"
        "Unrecognized flag: \nUnrecognized option ignored: -width\n"
        "Unrecognized flag: plain\nUnrecognized option ignored: plain\n",
        StandardErrorOfUnrecognizedArguments());
    EXPECT_EQ(0, GetFrameworkState().GetOverrideWidth());
}

TEST_F(CommandLineTest, HelpSpellingsAskForTheUsage) {
    for (const WCHAR* other : {L"-helpme", L"---help", L"?", L"-h"}) {
        ::testing::internal::CaptureStderr();
        ReadCommandLineArgument(other);
        ::testing::internal::GetCapturedStderr();
        EXPECT_FALSE(GetFrameworkState().GetUsageRequested());
    }
    for (const WCHAR* request : {L"--help", L"-HELP", L"/help", L"-?", L"/?"}) {
        GetFrameworkState().SetUsageRequested(false);
        ReadCommandLineArgument(request);
        EXPECT_TRUE(GetFrameworkState().GetUsageRequested());
    }
}

TEST(OptionScanning, MatchOptionMovesPastTheNameOnly) {
    const WCHAR* argument = L"Width:12";
    const WCHAR* cursor = argument;
    EXPECT_FALSE(MatchOption(cursor, L"windowed"));
    EXPECT_EQ(argument, cursor);
    EXPECT_TRUE(MatchOption(cursor, L"width"));
    EXPECT_EQ(argument + 5, cursor);
    WCHAR value[256];
    EXPECT_TRUE(ReadOptionValue(cursor, value));
    EXPECT_STREQ(L"12", value);
    EXPECT_EQ(argument + 8, cursor);
}

TEST(OptionScanning, ValueIsCutAtControlCharactersAndBoundedTo255) {
    const WCHAR* cursor = L":ab\tcd";
    WCHAR value[256];
    EXPECT_TRUE(ReadOptionValue(cursor, value));
    EXPECT_STREQ(L"ab", value);
    EXPECT_EQ(L'\t', *cursor);

    std::wstring longValue = L":" + std::wstring(400, L'7');
    const WCHAR* longCursor = longValue.c_str();
    EXPECT_TRUE(ReadOptionValue(longCursor, value));
    EXPECT_EQ(255u, std::wcslen(value));
    EXPECT_EQ(longValue.c_str() + 256, longCursor);

    const WCHAR* noValue = L"x";
    EXPECT_FALSE(ReadOptionValue(noValue, value));
    EXPECT_STREQ(L"", value);
}

}  // namespace
