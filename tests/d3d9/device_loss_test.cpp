// Device loss where Windows loses a device: a fullscreen device whose
// application is deactivated (on the virtual desktop, through the Win32
// layer's input hooks).
#include <d3d9.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "testing/windows.h"

namespace kl::test {
namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

class D3d9LossTest : public ::testing::Test {
protected:
    void SetUp() override {
        kl::testing::ForceHeadless();
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.lpszClassName = L"KestraluneD3d9Loss";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"KestraluneD3d9Loss", L"loss", WS_POPUP, 0, 0, 640, 480,
                                  nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        ShowWindow(window_, SW_SHOW);
        kl::testing::InjectActivation(true);
        PumpMessages();
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    }
    void TearDown() override {
        if (device_) {
            EXPECT_EQ(device_->Release(), 0u);
        }
        d3d_->Release();
        DestroyWindow(window_);
    }
    D3DPRESENT_PARAMETERS Fullscreen() const {
        D3DPRESENT_PARAMETERS p = {};
        p.BackBufferWidth = 640;
        p.BackBufferHeight = 480;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.BackBufferCount = 1;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.hDeviceWindow = window_;
        p.Windowed = FALSE;
        p.FullScreen_RefreshRateInHz = 60;
        return p;
    }

    HWND window_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
};

TEST_F(D3d9LossTest, DeactivatedFullscreenDeviceIsLostUntilResetAfterReactivation) {
    D3DPRESENT_PARAMETERS p = Fullscreen();
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &p, &device_),
              D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    kl::testing::InjectActivation(false);
    PumpMessages();
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Reset(&p), D3DERR_DEVICELOST);

    kl::testing::InjectActivation(true);
    PumpMessages();
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    ASSERT_EQ(device_->Reset(&p), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(D3d9LossTest, LossWhileNothingCalledIsReportedByTheFirstCallAfterReactivation) {
    // A paused program calls nothing while it is inactive; the display was
    // taken all the same, and the first call after it is back says so.
    D3DPRESENT_PARAMETERS p = Fullscreen();
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &p, &device_),
              D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    kl::testing::InjectActivation(false);
    PumpMessages();
    kl::testing::InjectActivation(true);
    PumpMessages();
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    ASSERT_EQ(device_->Reset(&p), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    // Minimizing and restoring the window loses it the same way.
    ShowWindow(window_, SW_MINIMIZE);
    ShowWindow(window_, SW_RESTORE);
    PumpMessages();
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    ASSERT_EQ(device_->Reset(&p), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
}

TEST_F(D3d9LossTest, WindowedDeviceSurvivesDeactivation) {
    D3DPRESENT_PARAMETERS p = Fullscreen();
    p.Windowed = TRUE;
    p.FullScreen_RefreshRateInHz = 0;
    p.BackBufferWidth = p.BackBufferHeight = 0;  // the client area
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &p, &device_),
              D3D_OK);
    EXPECT_EQ(p.BackBufferWidth, 640u);
    EXPECT_EQ(p.BackBufferHeight, 480u);
    kl::testing::InjectActivation(false);
    PumpMessages();
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    kl::testing::InjectActivation(true);
    PumpMessages();
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    // A Reset with a zero size takes the client area again.
    p.BackBufferWidth = p.BackBufferHeight = 0;
    ASSERT_EQ(device_->Reset(&p), D3D_OK);
    EXPECT_EQ(p.BackBufferWidth, 640u);
    EXPECT_EQ(p.BackBufferHeight, 480u);
}

TEST_F(D3d9LossTest, FullscreenNeedsADisplayMode) {
    D3DPRESENT_PARAMETERS p = Fullscreen();
    p.BackBufferWidth = 700;  // no such mode on the virtual display
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &p, &device_),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_, nullptr);
}

}  // namespace
}  // namespace kl::test
