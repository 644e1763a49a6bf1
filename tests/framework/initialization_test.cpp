// Framework start-up: captured settings, switches, command line, Direct3D.
#include <gtest/gtest.h>

#include "framework/frame_timer.h"
#include "framework/framework_state.h"
#include "framework/initialization.h"
#include "framework/window.h"
#include "framework_test_support.h"

namespace {

using kl::framework_test::FrameworkTest;

class InitializationTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        kl::testing::CaptureMessageBoxes(true);
        STICKYKEYS sticky{sizeof(STICKYKEYS), 0x2 | 0x4};
        TOGGLEKEYS toggle{sizeof(TOGGLEKEYS), 0x1 | 0x8};
        FILTERKEYS filter{sizeof(FILTERKEYS), 0x4, 500, 300, 200, 100};
        kl::testing::SetAccessibilitySettings(sticky, toggle, filter);
    }
};

TEST_F(InitializationTest, CapturesSettingsStoresSwitchesAndReadsTheCommandLine) {
    kl::testing::SetProcessCommandLine(L"app.exe -noerrormsgboxes -width:800");
    kl::testing::AdvanceManualClockSeconds(3.0);
    ASSERT_EQ(S_OK, InitFramework(true, true, true, true));

    FrameworkState& state = GetFrameworkState();
    EXPECT_TRUE(state.GetInitCalled());
    EXPECT_TRUE(state.GetInitialized());
    EXPECT_NE(nullptr, state.GetDirect3D());
    EXPECT_TRUE(state.GetHandleDefaultKeys());
    EXPECT_TRUE(state.GetHandleAltEnter());
    EXPECT_FALSE(state.GetShowErrorBoxes());  // the option overrides the parameter
    EXPECT_EQ(800, state.GetOverrideWidth());
    EXPECT_EQ(DWORD(0x6), state.GetSavedStickyKeys().dwFlags);
    EXPECT_EQ(DWORD(0x9), state.GetSavedToggleKeys().dwFlags);
    EXPECT_EQ(DWORD(0x4), state.GetSavedFilterKeys().dwFlags);
    EXPECT_EQ(DWORD(500), state.GetSavedFilterKeys().iWaitMSec);
    EXPECT_EQ(DWORD(100), state.GetSavedFilterKeys().iBounceMSec);
    EXPECT_DOUBLE_EQ(0.0, GetFrameTimer().RunSeconds());  // restarted
    EXPECT_TRUE(kl::testing::CapturedMessageBoxes().empty());
}

TEST_F(InitializationTest, CommandLineIsLeftUnreadWhenNotAsked) {
    kl::testing::SetProcessCommandLine(L"app.exe -width:800 -noerrormsgboxes");
    ASSERT_EQ(S_OK, InitFramework(false, false, true, false));
    FrameworkState& state = GetFrameworkState();
    EXPECT_EQ(0, state.GetOverrideWidth());
    EXPECT_TRUE(state.GetShowErrorBoxes());
    EXPECT_FALSE(state.GetHandleDefaultKeys());
    EXPECT_FALSE(state.GetHandleAltEnter());
}

TEST_F(InitializationTest, AnExistingDirect3DObjectIsKept) {
    kl::testing::SetProcessCommandLine(L"app.exe");
    ASSERT_EQ(S_OK, InitFramework(true, true, true, true));
    IDirect3D9* first = GetFrameworkState().GetDirect3D();
    ASSERT_EQ(S_OK, InitFramework(true, true, true, true));
    EXPECT_EQ(first, GetFrameworkState().GetDirect3D());
}

TEST_F(InitializationTest, WindowCreationStartsTheFrameworkWhenTheProgramDidNot) {
    kl::testing::SetProcessCommandLine(L"app.exe -height:300");
    ASSERT_EQ(S_OK, CreateFrameworkWindow(L"Orvantis", nullptr, nullptr, nullptr, CW_USEDEFAULT,
                                          CW_USEDEFAULT));
    FrameworkState& state = GetFrameworkState();
    EXPECT_TRUE(state.GetInitialized());
    EXPECT_TRUE(state.GetHandleDefaultKeys());
    RECT client{};
    ASSERT_TRUE(GetClientRect(state.GetFocusWindow(), &client));
    EXPECT_EQ(300, client.bottom);
}

}  // namespace
