// The structure layouts and values that callers and files rely on.
#include <gtest/gtest.h>

#include <d3dx9.h>

#include <cstddef>

namespace {

TEST(Win32Layout, AccessibilityAndWindowStructures) {
    EXPECT_EQ(8u, sizeof(STICKYKEYS));
    EXPECT_EQ(8u, sizeof(TOGGLEKEYS));
    EXPECT_EQ(24u, sizeof(FILTERKEYS));
    EXPECT_EQ(40u, sizeof(MONITORINFO));
    EXPECT_EQ(44u, sizeof(WINDOWPLACEMENT));
    EXPECT_EQ(40u, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(4u, sizeof(LONG));
    EXPECT_EQ(4u, sizeof(DWORD));
    EXPECT_EQ(static_cast<int>(0x80000000u), CW_USEDEFAULT);
    EXPECT_EQ(0xCF0000, WS_OVERLAPPEDWINDOW);
}

TEST(Direct3DLayout, PresentParametersInPublishedOrder) {
    EXPECT_EQ(0u, offsetof(D3DPRESENT_PARAMETERS, BackBufferWidth));
    EXPECT_EQ(8u, offsetof(D3DPRESENT_PARAMETERS, BackBufferFormat));
    EXPECT_EQ(24u, offsetof(D3DPRESENT_PARAMETERS, SwapEffect));
    EXPECT_EQ(alignof(HWND) == 8 ? 32u : 28u, offsetof(D3DPRESENT_PARAMETERS, hDeviceWindow));
    EXPECT_EQ(offsetof(D3DPRESENT_PARAMETERS, hDeviceWindow) + sizeof(HWND),
              offsetof(D3DPRESENT_PARAMETERS, Windowed));
    EXPECT_EQ(offsetof(D3DPRESENT_PARAMETERS, Windowed) + 20,
              offsetof(D3DPRESENT_PARAMETERS, PresentationInterval));
    EXPECT_EQ(16u, sizeof(D3DDISPLAYMODE));
    EXPECT_EQ(32u, sizeof(D3DSURFACE_DESC));
    EXPECT_EQ(64u, sizeof(D3DMATRIX));
    EXPECT_EQ(8u, sizeof(D3DVERTEXELEMENT9));
}

TEST(Direct3DValues, ResultCodes) {
    EXPECT_EQ(static_cast<HRESULT>(0x88760866), D3DERR_NOTFOUND);
    EXPECT_EQ(static_cast<HRESULT>(0x88760868), D3DERR_DEVICELOST);
    EXPECT_EQ(static_cast<HRESULT>(0x88760869), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(static_cast<HRESULT>(0x8876086A), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(static_cast<HRESULT>(0x8876086C), D3DERR_INVALIDCALL);
    EXPECT_EQ(static_cast<HRESULT>(0x88760827), D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(static_cast<HRESULT>(0x8007000E), E_OUTOFMEMORY);
    EXPECT_EQ(static_cast<HRESULT>(0x80070057), E_INVALIDARG);
    EXPECT_EQ(static_cast<HRESULT>(0x80004004), E_ABORT);
    EXPECT_EQ(static_cast<HRESULT>(0x8007007A), HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(static_cast<HRESULT>(0x80070582), HRESULT_FROM_WIN32(ERROR_CLASS_ALREADY_EXISTS));
}

TEST(Direct3DValues, FormatsAndFlags) {
    EXPECT_EQ(0x102, D3DFVF_XYZ | D3DFVF_TEX1);
    EXPECT_EQ(0x80000, D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING);
    EXPECT_EQ(static_cast<DWORD>(0x80000000), D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_EQ(0x10000, D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_EQ(0x31545844, D3DFMT_DXT1);
}

}  // namespace
