// The framework's device management on the platform's own Direct3D 9 (OpenGL,
// headless): a real device is created, drawn to, lost and restored, and a
// forgotten texture is reported.
#include <gtest/gtest.h>

#include <d3d9.h>

#include <string>
#include <vector>

#include "device/device_change.h"
#include "framework/main_loop.h"
#include "framework/framework_state.h"
#include "framework/window.h"
#include "platform/testing/clock.h"
#include "platform/testing/surfaces.h"
#include "platform/testing/windows.h"

namespace {

std::vector<std::string> events;
std::vector<uint8_t> centrePixel;
IDirect3DTexture9* forgottenTexture = nullptr;

HRESULT CALLBACK OnCreated(IDirect3DDevice9*, const D3DSURFACE_DESC*, void*) {
    events.push_back("created");
    return S_OK;
}
HRESULT CALLBACK OnReset(IDirect3DDevice9*, const D3DSURFACE_DESC*, void*) {
    events.push_back("reset");
    return S_OK;
}
void CALLBACK OnLost(void*) {
    events.push_back("lost");
}
void CALLBACK OnDestroyed(void*) {
    events.push_back("destroyed");
}

void CALLBACK ClearToRedAndRead(IDirect3DDevice9* device, double, float, void*) {
    events.push_back("draw");
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 0), 1.0f, 0);
    std::vector<uint8_t> pixels;
    UINT width = 0;
    UINT height = 0;
    if (!kl::testing::ReadBackBufferRgba8(device, &pixels, &width, &height)) return;
    const size_t centre = (static_cast<size_t>(height / 2) * width + width / 2) * 4;
    centrePixel.assign(pixels.begin() + centre, pixels.begin() + centre + 4);
}

HRESULT CALLBACK CreatedWithForgottenTexture(IDirect3DDevice9* device, const D3DSURFACE_DESC*,
                                             void*) {
    return device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &forgottenTexture,
                                 nullptr);
}

class PlatformDevice : public ::testing::Test {
protected:
    void SetUp() override {
        kl::testing::ForceHeadless();
        kl::testing::UseManualClock();
        kl::testing::CaptureMessageBoxes(true);
        FrameworkState& state = GetFrameworkState();
        state.SetInitCalled(true);
        state.SetInitialized(true);
        IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(direct3d, nullptr);
        state.SetDirect3D(direct3d);
        ASSERT_EQ(CreateFrameworkWindow(L"Platform device", nullptr, nullptr, nullptr,
                                        CW_USEDEFAULT, CW_USEDEFAULT),
                  S_OK);
        SetDeviceCreatedCallback(OnCreated, nullptr);
        SetDeviceResetCallback(OnReset, nullptr);
        SetDeviceLostCallback(OnLost, nullptr);
        SetDeviceDestroyedCallback(OnDestroyed, nullptr);
        SetFrameDrawCallback(ClearToRedAndRead, nullptr);
    }
    void TearDown() override { ShutdownFramework(0); }
};

}  // namespace

TEST_F(PlatformDevice, DefaultDeviceRendersFramesUntilQuit) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    FrameworkState& state = GetFrameworkState();
    const D3DSURFACE_DESC& desc = state.GetBackBufferDesc();
    EXPECT_EQ(desc.Width, 640u);
    EXPECT_EQ(desc.Height, 480u);
    IDirect3DDevice9* device = state.GetDevice();
    ASSERT_NE(device, nullptr);

    state.SetQuitAfterFrame(2);
    ASSERT_EQ(RunMainLoop(nullptr), S_OK);
    EXPECT_EQ(events, (std::vector<std::string>{"created", "reset", "draw", "draw", "draw", "lost",
                                                "destroyed"}));
    EXPECT_EQ(centrePixel, (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(state.GetExitCode(), 0);
}

TEST_F(PlatformDevice, ForcedLossIsPolledAndReset) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    FrameworkState& state = GetFrameworkState();
    IDirect3DDevice9* device = state.GetDevice();
    kl::testing::ForceDeviceLoss(device);
    events.clear();

    RenderOneFrame();  // Present reports the loss
    EXPECT_TRUE(state.GetDeviceLost());
    RenderOneFrame();  // still lost: nothing is called
    EXPECT_TRUE(state.GetDeviceLost());

    kl::testing::EndForcedDeviceLoss(device);
    RenderOneFrame();
    EXPECT_FALSE(state.GetDeviceLost());
    EXPECT_EQ(state.GetDevice(), device);
    EXPECT_EQ(events, (std::vector<std::string>{"draw", "lost", "reset", "draw"}));
}

TEST_F(PlatformDevice, ForgottenTextureIsReportedAtShutdown) {
    SetDeviceCreatedCallback(CreatedWithForgottenTexture, nullptr);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    ASSERT_NE(forgottenTexture, nullptr);
    ShutdownFramework(0);
    EXPECT_EQ(GetFrameworkState().GetExitCode(), 5);
    const auto boxes = kl::testing::CapturedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              L"The D3D device has a non-zero reference count, meaning some objects were not "
              L"released.");
    forgottenTexture->Release();
}
