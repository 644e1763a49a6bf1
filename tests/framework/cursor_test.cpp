// The fullscreen cursor: the device's cursor image and the clip rectangle.
#include <gtest/gtest.h>

#include "framework/framework_state.h"
#include "framework/shortcut_keys.h"
#include "framework/window.h"
#include "framework_test_support.h"
#include "recording_device.h"

namespace {

using kl::framework_test::FrameworkTest;
using kl::framework_test::RecordingDevice;

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
    RecordingDevice device;
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

// The class cursor's image becomes an A8R8G8B8 surface: opaque colour where
// the AND mask is clear, transparent elsewhere; a monochrome cursor's mask
// holds both masks, so the surface is half its height.
TEST_F(CursorTest, CursorSurfaceHasTheIconsSizeAndHotSpot) {
    HCURSOR cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    BITMAP mask{};
    ASSERT_NE(0, GetObjectW(info.hbmMask, sizeof(BITMAP), &mask));
    const bool monochrome = info.hbmColor == nullptr;
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);

    ASSERT_EQ(S_OK, SetDeviceCursorFromIcon(&device, cursor));
    ASSERT_EQ(1u, device.surfaces.size());
    const auto* surface = device.surfaces[0];
    EXPECT_EQ(UINT(mask.bmWidth), surface->width);
    EXPECT_EQ(UINT(monochrome ? mask.bmHeight / 2 : mask.bmHeight), surface->height);
    EXPECT_EQ(D3DFMT_A8R8G8B8, surface->format);
    EXPECT_EQ(D3DPOOL_SCRATCH, surface->pool);
    EXPECT_EQ(static_cast<IDirect3DSurface9*>(device.surfaces[0]), device.cursorSurface);
    EXPECT_EQ(LONG(info.xHotspot), device.cursorHotSpot.x);
    EXPECT_EQ(LONG(info.yHotspot), device.cursorHotSpot.y);
    EXPECT_FALSE(surface->isLocked);
    EXPECT_EQ(1u, surface->references);  // the framework released its own
    int opaque = 0;
    for (UINT y = 0; y < surface->height; ++y) {
        for (UINT x = 0; x < surface->width; ++x) {
            const uint32_t pixel = surface->Pixel(x, y);
            EXPECT_TRUE(pixel == 0 || (pixel >> 24) == 0xFF) << x << "," << y;
            if (pixel != 0) ++opaque;
        }
    }
    EXPECT_GT(opaque, 0);  // an arrow has visible pixels
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
