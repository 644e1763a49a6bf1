// A real window (under Xvfb, or any X display): Present shows in the window
// exactly the picture the back buffer holds, the picture headless runs read.
// Skipped where no display can be opened.
#include <d3d9.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "common/native_window.h"
#include "device_fixture.h"
#include "testing/surfaces.h"
#include "x11_screenshot.h"

namespace kl::test {
namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateTestWindow(int width, int height) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.lpszClassName = L"KestraluneD3d9Test";
    RegisterClassW(&windowClass);
    // A popup window has no frame: its client area is the whole window.
    HWND window = CreateWindowExW(0, L"KestraluneD3d9Test", L"d3d9", WS_POPUP, 0, 0, width, height,
                                  nullptr, nullptr, nullptr, nullptr);
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOW);
    // Let the window system map the window before anything is drawn into it.
    MSG message;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(10);
    }
    return window;
}

TEST(D3d9WindowTest, PresentShowsTheBackBufferInTheWindow) {
    // The test binary runs headless by default; this test wants the display.
    unsetenv("KESTRALUNE_HEADLESS");
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display || kl::platform::IsHeadless()) GTEST_SKIP() << "no display";
    constexpr int kWidth = 64, kHeight = 48;
    HWND window = CreateTestWindow(kWidth, kHeight);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(kl::platform::SdlWindowOf(window), nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS p = {};
    p.BackBufferFormat = D3DFMT_UNKNOWN;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = window;
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D24S8;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                                &device),
              D3D_OK);
    // A zero size takes the client area.
    EXPECT_EQ(p.BackBufferWidth, static_cast<UINT>(kWidth));
    EXPECT_EQ(p.BackBufferHeight, static_cast<UINT>(kHeight));

    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 128), 1.0f,
                  0);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    // A red block in the top-left quarter, so a flipped picture shows.
    const ScreenVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFF0000},
                                  {31.5f, -0.5f, 0.5f, 1, 0xFFFF0000},
                                  {31.5f, 23.5f, 0.5f, 1, 0xFFFF0000},
                                  {-0.5f, 23.5f, 0.5f, 1, 0xFFFF0000}};
    device->SetFVF(kScreenVertexFvf);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex));
    ASSERT_EQ(device->EndScene(), D3D_OK);
    std::vector<uint8_t> backBuffer;
    ASSERT_TRUE(kl::testing::ReadBackBufferRgba8(device, &backBuffer, nullptr, nullptr));
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    const std::vector<uint8_t> shown = Screenshot(window, kWidth, kHeight);
    ASSERT_EQ(shown.size(), backBuffer.size());
    int same = 0, red = 0;
    for (size_t i = 0; i < shown.size(); i += 4) {
        same += shown[i] == backBuffer[i] && shown[i + 1] == backBuffer[i + 1] &&
                shown[i + 2] == backBuffer[i + 2];
        red += shown[i] == 255 && shown[i + 2] == 0;
    }
    EXPECT_EQ(same, kWidth * kHeight);
    EXPECT_EQ(red, 32 * 24);
    EXPECT_EQ(shown[0], 255);  // the top-left pixel shows the red block

    EXPECT_EQ(device->Release(), 0u);
    EXPECT_EQ(d3d->Release(), 0u);
    DestroyWindow(window);
}

// The framework destroys its window before it releases the device and the
// application's resources: their release must not touch the dead window.
TEST(D3d9WindowTest, DeviceOutlivesItsWindow) {
    unsetenv("KESTRALUNE_HEADLESS");
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display || kl::platform::IsHeadless()) GTEST_SKIP() << "no display";
    HWND window = CreateTestWindow(32, 32);
    ASSERT_NE(window, nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS p = {};
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = window;
    p.Windowed = TRUE;
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                                &device),
              D3D_OK);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_EQ(d3d->Release(), 0u);
}

}  // namespace
}  // namespace kl::test
