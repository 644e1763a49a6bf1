// The staged program on an X display of the test's own, with no window
// manager, used as a person uses it. Keys are held longer than a frame: the
// program reads them between frames. Waits are generous because a frame of
// the sanitizer build on a software renderer can take a second.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "display_session.h"

namespace {

using display::DifferingFraction;
using display::RunningProgram;
using display::SanitizerReported;
using display::VirtualDisplay;
using display::WindowGeometry;
using e2e::Image;

constexpr double kStart = 120;  // seconds for the window and its first picture
constexpr double kChange = 60;  // seconds for the picture to follow an action
constexpr double kExit = 60;    // seconds for the program to end

bool ToolsPresent() {
    return std::system("command -v Xvfb > /dev/null 2>&1 && command -v xdotool > /dev/null 2>&1") ==
           0;
}

class PersonAtTheDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ToolsPresent()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
        ASSERT_TRUE(display_.Ok()) << "Xvfb did not start";
    }

    // Starts the program and waits for its first picture, lit, in a 640 x 480
    // client area.
    Image Start(RunningProgram& program) {
        if (!program.WaitForWindow(kStart)) {
            ADD_FAILURE() << "no window\n" << program.ErrorOutput();
            return {};
        }
        const Image first = program.WaitForPicture(kStart);
        EXPECT_EQ(first.width, 640);
        EXPECT_EQ(first.height, 480);
        EXPECT_GT(first.LitFraction(24), 0.5) << program.ErrorOutput();
        return first;
    }

    void ExpectCleanExit(RunningProgram& program) {
        EXPECT_EQ(program.WaitForExit(kExit), 0) << program.ErrorOutput();
        EXPECT_FALSE(SanitizerReported(program.ErrorOutput())) << program.ErrorOutput();
    }

    VirtualDisplay display_;
};

TEST_F(PersonAtTheDisplay, StartModesResizeFullscreenMinimizeFlyAndEscape) {
#ifdef KESTRALUNE_ONLY_EXIT_PATHS
    GTEST_SKIP() << "the whole walk-through runs in the optimised build";
#endif
    RunningProgram program(display_, {});
    ASSERT_FALSE(Start(program).rgba.empty());
    const WindowGeometry windowed = program.Geometry();

    // With time paused every frame is the same picture: only the two pulsing
    // lights follow the clock.
    ASSERT_TRUE(program.TapKeys("Pause"));
    const Image first = program.WaitForSteadyPicture(kChange);
    ASSERT_FALSE(first.rgba.empty());

    // The first picture has the window's proportions: a resize away and back
    // gives the same picture. One drawn for a square window would be
    // stretched by a third across.
    program.Resize(800, 450);
    const Image wide = program.WaitForPicture(kChange, &first);
    ASSERT_EQ(wide.width, 800);
    program.Resize(640, 480);
    ASSERT_FALSE(program.WaitForPicture(kChange, &wide).rgba.empty());
    const Image back = program.WaitForSteadyPicture(kChange);
    ASSERT_EQ(back.width, 640);
    EXPECT_LT(DifferingFraction(first, back), 0.002);

    // The six render modes by their keys, each picture lit and new. With time
    // paused the pictures change only by the key; classic lighting differs
    // from deferred shading only by rounding, the channel views entirely.
    Image previous = back;
    for (const char* key : {"5", "1", "2", "3", "4", "0"}) {
        const Image shot = program.HoldKeysUntilPictureChanges(key, previous, 0.005, 0, kChange);
        ASSERT_FALSE(shot.rgba.empty()) << "key " << key << " changed nothing";
        previous = shot;
    }
    // "0" returns to deferred shading, the start mode.
    EXPECT_LT(DifferingFraction(first, program.WaitForSteadyPicture(kChange)), 0.002);

    // Alt+Enter: fullscreen over the whole screen; again: the same window
    // and the same picture as before.
    ASSERT_TRUE(program.TapKeys("alt+Return"));
    EXPECT_TRUE(program.WaitForGeometry({0, 0, 1024, 768}, kChange));
    EXPECT_EQ(program.WaitForPicture(kChange).width, 1024);
    ASSERT_TRUE(program.TapKeys("alt+Return"));
    EXPECT_TRUE(program.WaitForGeometry(windowed, kChange));
    ASSERT_FALSE(program.WaitForPicture(kChange).rgba.empty());
    const Image restored = program.WaitForSteadyPicture(kChange);
    ASSERT_EQ(restored.width, 640);
    EXPECT_LT(DifferingFraction(first, restored), 0.002);
    // Time runs again, and the picture follows it without anything else done:
    // the pulsing lights change.
    ASSERT_TRUE(program.TapKeys("Pause"));
    EXPECT_FALSE(program.WaitForPicture(kChange, &restored, 0.002, 4).rgba.empty())
        << "the picture is frozen after Alt+Enter twice";

    // Flying forward.
    const Image flown = program.HoldKeysUntilPictureChanges("w", restored, 0.2, 40, kChange);
    ASSERT_FALSE(flown.rgba.empty()) << "holding W did not move the camera";

    // Minimize and restore: the picture comes back and follows the keys.
    program.Minimize();
    program.Restore();
    const Image again = program.WaitForPicture(kChange);
    ASSERT_FALSE(again.rgba.empty()) << "no picture after restoring";
    EXPECT_FALSE(program.HoldKeysUntilPictureChanges("s", again, 0.2, 40, kChange).rgba.empty())
        << "the picture is frozen after minimize and restore";

    ASSERT_TRUE(program.TapKeys("Escape"));
    ExpectCleanExit(program);
}

TEST_F(PersonAtTheDisplay, EscapeEndsWithZero) {
#ifndef KESTRALUNE_ONLY_EXIT_PATHS
    GTEST_SKIP() << "the walk-through ends with Escape";
#endif
    RunningProgram program(display_, {});
    ASSERT_FALSE(Start(program).rgba.empty());
    ASSERT_TRUE(program.TapKeys("Escape"));
    ExpectCleanExit(program);
}

TEST_F(PersonAtTheDisplay, CloseButtonEndsWithZero) {
    RunningProgram program(display_, {});
    ASSERT_FALSE(Start(program).rgba.empty());
    program.ClickCloseButton();
    ExpectCleanExit(program);
}

TEST_F(PersonAtTheDisplay, CtrlCInTheTerminalEndsWithZero) {
    RunningProgram program(display_, {});
    ASSERT_FALSE(Start(program).rgba.empty());
    program.Signal(SIGINT);
    ExpectCleanExit(program);
}

TEST_F(PersonAtTheDisplay, TerminationSignalEndsWithZero) {
    RunningProgram program(display_, {});
    ASSERT_FALSE(Start(program).rgba.empty());
    program.Signal(SIGTERM);
    ExpectCleanExit(program);
}

TEST_F(PersonAtTheDisplay, QuitAfterFrameEndsWithZero) {
    RunningProgram program(display_, {"-quitafterframe:5"});
    ExpectCleanExit(program);
}

}  // namespace
