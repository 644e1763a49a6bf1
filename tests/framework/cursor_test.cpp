// The fullscreen cursor: the device's cursor image and the clip rectangle.
#include <gtest/gtest.h>

#include "framework/framework_state.h"
#include "framework/shortcut_keys.h"
#include "framework/window.h"
#include "framework_test_support.h"
#include "state_and_cursor_device.h"

namespace {

using kl::framework_test::FrameworkTest;
using kl::framework_test::StateAndCursorDevice;

class CursorTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        FrameworkState& state = GetFrameworkState();
        state.SetInitCalled(true);
        state.SetInitialized(true);
        ASSERT_EQ(S_OK, CreateFrameworkWindow(L"Orvantis", nullptr, nullptr, nullptr, 40, 30));
        window = state.GetFocusWindow();
        state.SetDevice(&device);
    }

    HWND window = nullptr;
    StateAndCursorDevice device;
};

TEST_F(CursorTest, WindowedReleasesTheClipAndLeavesTheDeviceCursorAlone) {
    UseSettings(true);
    RECT clip{0, 0, 50, 50};
    ClipCursor(&clip);
    ConfigureFullscreenCursor(true, true);
    EXPECT_FALSE(kl::testing::CursorClipRect(&clip));
    EXPECT_TRUE(device.showCursorCalls.empty());
    EXPECT_EQ(0, device.cursorPropertiesCalls);
    EXPECT_TRUE(GetFrameworkState().GetShowCursorWhenFullscreen());
    EXPECT_TRUE(GetFrameworkState().GetClipCursorWhenFullscreen());
}

TEST_F(CursorTest, FullscreenClipsToTheWindowAndShowsTheClassCursor) {
    UseSettings(false);
    ConfigureFullscreenCursor(true, true);
    RECT clip{};
    ASSERT_TRUE(kl::testing::CursorClipRect(&clip));
    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.left, clip.left);
    EXPECT_EQ(frame.top, clip.top);
    EXPECT_EQ(frame.right, clip.right);
    EXPECT_EQ(frame.bottom, clip.bottom);
    EXPECT_EQ(nullptr, kl::testing::CurrentCursor());  // the device draws it
    ASSERT_EQ(1u, device.showCursorCalls.size());
    EXPECT_EQ(TRUE, device.showCursorCalls[0]);
    EXPECT_EQ(1, device.cursorPropertiesCalls);
}

TEST_F(CursorTest, FullscreenWithoutCursorOrClipHidesAndFrees) {
    UseSettings(false);
    RECT clip{0, 0, 50, 50};
    ClipCursor(&clip);
    ConfigureFullscreenCursor(false, false);
    EXPECT_FALSE(kl::testing::CursorClipRect(&clip));
    ASSERT_EQ(1u, device.showCursorCalls.size());
    EXPECT_EQ(FALSE, device.showCursorCalls[0]);
    EXPECT_EQ(0, device.cursorPropertiesCalls);
}

TEST_F(CursorTest, ClipIsReleasedWhenTheWindowCloses) {
    UseSettings(false);
    ConfigureFullscreenCursor(true, true);
    RECT clip{};
    ASSERT_TRUE(kl::testing::CursorClipRect(&clip));
    SendMessageW(window, WM_CLOSE, 0, 0);  // as the shutdown and the close button do
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(kl::testing::CursorClipRect(&clip));
}

// The application configures the cursor before its window exists, when no
// settings are current yet (which counts as fullscreen).
using CursorBeforeWindow = FrameworkTest;

TEST_F(CursorBeforeWindow, ConfiguringTheCursorLeavesItFree) {
    RECT clip{10, 10, 50, 50};
    ClipCursor(&clip);
    ConfigureFullscreenCursor(true, true);
    EXPECT_FALSE(kl::testing::CursorClipRect(&clip));
}

// The platform's arrow is a monochrome cursor: a 32 x 64 mask holding the AND
// mask above the XOR mask. Inside the arrow (rows 0-15, x <= y) the AND mask
// is clear; the outline (x == 0, x == y or row 15) is black in the XOR mask,
// the rest of the inside white.
TEST_F(CursorTest, MonochromeArrowBecomesA32By32CursorSurface) {
    HCURSOR arrow = reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR));
    ASSERT_EQ(S_OK, SetDeviceCursorFromIcon(&device, arrow));
    ASSERT_EQ(1u, device.surfaces.size());
    const auto* surface = device.surfaces[0];
    EXPECT_EQ(32u, surface->width);
    EXPECT_EQ(32u, surface->height);
    EXPECT_EQ(D3DFMT_A8R8G8B8, surface->format);
    EXPECT_EQ(D3DPOOL_SCRATCH, surface->pool);
    EXPECT_EQ(static_cast<IDirect3DSurface9*>(device.surfaces[0]), device.cursorSurface);
    EXPECT_EQ(0, device.cursorHotSpot.x);
    EXPECT_EQ(0, device.cursorHotSpot.y);
    EXPECT_FALSE(surface->isLocked);
    EXPECT_EQ(1u, surface->references);  // the framework released its own

    EXPECT_EQ(0xFF000000u, surface->Pixel(0, 0));    // tip, outline
    EXPECT_EQ(0xFFFFFFFFu, surface->Pixel(1, 5));    // inside
    EXPECT_EQ(0xFF000000u, surface->Pixel(7, 7));    // diagonal edge
    EXPECT_EQ(0xFF000000u, surface->Pixel(5, 15));   // bottom edge
    EXPECT_EQ(0x00000000u, surface->Pixel(10, 5));   // right of the diagonal
    EXPECT_EQ(0x00000000u, surface->Pixel(0, 16));   // below the arrow
    EXPECT_EQ(0x00000000u, surface->Pixel(31, 31));  // far corner
}

// The window's icon (the program file's first icon) is a colour icon: a grey
// frame two pixels in, a blue title bar above row 8, a white body, and a
// transparent margin.
TEST_F(CursorTest, ColourIconKeepsItsHeightAndColours) {
    HICON icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
    ASSERT_NE(nullptr, icon);
    ASSERT_EQ(S_OK, SetDeviceCursorFromIcon(&device, icon));
    ASSERT_EQ(1u, device.surfaces.size());
    const auto* surface = device.surfaces[0];
    EXPECT_EQ(32u, surface->width);
    EXPECT_EQ(32u, surface->height);
    EXPECT_EQ(16, device.cursorHotSpot.x);
    EXPECT_EQ(16, device.cursorHotSpot.y);
    EXPECT_EQ(0x00000000u, surface->Pixel(1, 1));
    EXPECT_EQ(0xFF606060u, surface->Pixel(2, 2));
    EXPECT_EQ(0xFF2050A0u, surface->Pixel(10, 5));
    EXPECT_EQ(0xFFF0F0F0u, surface->Pixel(10, 20));
    EXPECT_EQ(0xFF606060u, surface->Pixel(29, 29));
    EXPECT_EQ(0x00000000u, surface->Pixel(30, 30));
}

TEST_F(CursorTest, FailuresAreReportedAndLeaveNoSurface) {
    EXPECT_EQ(E_FAIL, SetDeviceCursorFromIcon(&device, nullptr));
    EXPECT_TRUE(device.surfaces.empty());
    device.cursorPropertiesResult = D3DERR_INVALIDCALL;
    HCURSOR cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR));
    EXPECT_EQ(D3DERR_INVALIDCALL, SetDeviceCursorFromIcon(&device, cursor));
    ASSERT_EQ(1u, device.surfaces.size());
    EXPECT_EQ(1u, device.surfaces[0]->references);
}

}  // namespace
