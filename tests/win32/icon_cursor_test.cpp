// Reading icons and cursors as 32-bit DIBs, and the cursor's state.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/testing.h"
#include "win32_test_support.h"

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

// The bitmap's pixels as a 32-bit bottom-up DIB, read the way the framework
// reads icons: through a memory DC compatible with the screen.
std::vector<uint32_t> ReadDib(HBITMAP bitmap, LONG width, LONG height) {
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    EXPECT_NE(memory, nullptr);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    EXPECT_NE(previous, nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0xDEADBEEF);
    EXPECT_EQ(GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                        DIB_RGB_COLORS),
              height);
    SelectObject(memory, previous);
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    return pixels;
}

// Pixel (x, y) counted from the top of the image in a bottom-up DIB.
uint32_t At(const std::vector<uint32_t>& dib, LONG width, LONG height, LONG x, LONG y) {
    return dib[static_cast<size_t>(height - 1 - y) * width + x];
}

TEST(Icons, ArrowCursorIsMonochromeWithAndMaskAboveXorMask) {
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), arrow);  // shared
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(arrow, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 0u);
    EXPECT_EQ(info.yHotspot, 0u);
    EXPECT_EQ(info.hbmColor, nullptr);
    BITMAP mask{};
    ASSERT_EQ(GetObjectW(info.hbmMask, sizeof(mask), &mask), static_cast<int>(sizeof(mask)));
    EXPECT_EQ(mask.bmWidth, 32);
    EXPECT_EQ(mask.bmHeight, 64);
    EXPECT_EQ(mask.bmBitsPixel, 1);
    EXPECT_EQ(mask.bmWidthBytes, 4);

    const auto dib = ReadDib(info.hbmMask, 32, 64);
    // AND mask (top half): 0 where the arrow is drawn.
    EXPECT_EQ(At(dib, 32, 64, 0, 0), 0u);
    EXPECT_EQ(At(dib, 32, 64, 5, 10), 0u);
    EXPECT_EQ(At(dib, 32, 64, 20, 10), kWhite);
    EXPECT_EQ(At(dib, 32, 64, 31, 31), kWhite);
    // XOR mask (bottom half): black outline, white inside.
    EXPECT_EQ(At(dib, 32, 64, 0, 32 + 10), 0u);
    EXPECT_EQ(At(dib, 32, 64, 3, 32 + 10), kWhite);
    EXPECT_EQ(At(dib, 32, 64, 10, 32 + 10), 0u);
    EXPECT_TRUE(DeleteObject(info.hbmMask));
    EXPECT_FALSE(DeleteObject(info.hbmMask));
    EXPECT_TRUE(DestroyIcon(arrow));
    ASSERT_TRUE(GetIconInfo(arrow, &info));  // shared cursors survive
    DeleteObject(info.hbmMask);
}

TEST(Icons, ExtractedApplicationIconHasColourAndMask) {
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    EXPECT_EQ(ExtractIconW(nullptr, path, static_cast<UINT>(-1)), reinterpret_cast<HICON>(1));
    EXPECT_EQ(ExtractIconW(nullptr, path, 1), nullptr);
    EXPECT_EQ(ExtractIconW(nullptr, L"C:\\missing\\program.exe", 0), nullptr);
    const HICON icon = ExtractIconW(nullptr, path, 0);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    ASSERT_NE(info.hbmColor, nullptr);
    BITMAP colour{};
    // The 32-bit size of BITMAP, which ends before bmBits, is accepted.
    ASSERT_EQ(GetObjectW(info.hbmColor, 24, &colour), 24);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);
    EXPECT_EQ(colour.bmBitsPixel, 32);

    const auto mask = ReadDib(info.hbmMask, 32, 32);
    const auto pixels = ReadDib(info.hbmColor, 32, 32);
    EXPECT_EQ(At(mask, 32, 32, 0, 0), kWhite);  // transparent corner
    EXPECT_EQ(At(mask, 32, 32, 16, 16), 0u);
    EXPECT_EQ(At(pixels, 32, 32, 10, 4), 0xFF2050A0u);   // title bar
    EXPECT_EQ(At(pixels, 32, 32, 10, 20), 0xFFF0F0F0u);  // body
    EXPECT_EQ(At(pixels, 32, 32, 2, 20), 0xFF606060u);   // frame
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
}

TEST(Bitmaps, MonochromeRowsArePaddedToWordsAndHeaderQueriesFill) {
    const BYTE bits[] = {0x80, 0x01, 0xFF, 0x00};  // 16 x 2, two bytes a row
    const HBITMAP bitmap = CreateBitmap(16, 2, 1, 1, bits);
    ASSERT_NE(bitmap, nullptr);
    const auto dib = ReadDib(bitmap, 16, 2);
    EXPECT_EQ(At(dib, 16, 2, 0, 0), kWhite);
    EXPECT_EQ(At(dib, 16, 2, 1, 0), 0u);
    EXPECT_EQ(At(dib, 16, 2, 15, 0), kWhite);
    EXPECT_EQ(At(dib, 16, 2, 7, 1), kWhite);
    EXPECT_EQ(At(dib, 16, 2, 8, 1), 0u);

    const HDC memory = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    ASSERT_NE(GetDIBits(memory, bitmap, 0, 2, nullptr, &info, DIB_RGB_COLORS), 0);
    EXPECT_EQ(info.bmiHeader.biWidth, 16);
    EXPECT_EQ(info.bmiHeader.biHeight, 2);
    EXPECT_EQ(info.bmiHeader.biBitCount, 1);
    info.bmiHeader.biBitCount = 24;
    std::vector<uint32_t> out(32);
    EXPECT_EQ(GetDIBits(memory, bitmap, 0, 2, out.data(), &info, DIB_RGB_COLORS), 0);
    EXPECT_EQ(GetDIBits(nullptr, bitmap, 0, 2, out.data(), &info, DIB_RGB_COLORS), 0);
    DeleteDC(memory);
    EXPECT_EQ(CreateBitmap(4, 4, 1, 8, nullptr), nullptr);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
}

TEST(Cursor, DisplayCounterAndSelectedCursor) {
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(kl::testing::CursorDisplayCount(), 0);
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    EXPECT_EQ(SetCursor(arrow), nullptr);
    EXPECT_EQ(SetCursor(nullptr), arrow);
    EXPECT_EQ(kl::testing::CurrentCursor(), nullptr);
}

TEST(Cursor, ClipRectangleIsRecordedLimitedToTheScreenAndHoldsTheCursor) {
    POINT point{};
    ASSERT_TRUE(GetCursorPos(&point));
    EXPECT_EQ(point.x, 512);
    EXPECT_EQ(point.y, 384);
    RECT clip{};
    EXPECT_FALSE(kl::testing::CursorClipRect(&clip));

    const RECT huge{-100, -100, 5000, 5000};
    ASSERT_TRUE(ClipCursor(&huge));
    ASSERT_TRUE(kl::testing::CursorClipRect(&clip));
    EXPECT_EQ(clip.left, 0);
    EXPECT_EQ(clip.right, 1024);
    EXPECT_EQ(clip.bottom, 768);

    const RECT corner{0, 0, 100, 100};
    ClipCursor(&corner);
    GetCursorPos(&point);
    EXPECT_EQ(point.x, 99);
    EXPECT_EQ(point.y, 99);
    ASSERT_TRUE(ClipCursor(nullptr));
    EXPECT_FALSE(kl::testing::CursorClipRect(&clip));
}

TEST(Cursor, InjectedMouseMovesSetTheCursorAndUseClientCoordinates) {
    const HWND window = kl::test::CreateTestWindow(320, 240, 100, 100);
    ShowWindow(window, SW_SHOW);
    kl::test::PumpMessages();
    kl::testing::InjectMouseMove(window, 10, 20);
    kl::test::PumpMessages();
    // The window chooses the cursor first; the default sets the class cursor.
    const auto setCursor = kl::test::Logged(WM_SETCURSOR);
    ASSERT_EQ(setCursor.size(), 1u);
    EXPECT_EQ(LOWORD(setCursor[0].lParam), HTCLIENT);
    EXPECT_EQ(HIWORD(setCursor[0].lParam), WM_MOUSEMOVE);
    EXPECT_EQ(kl::testing::CurrentCursor(), LoadCursorW(nullptr, IDC_ARROW));
    const auto moves = kl::test::Logged(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(LOWORD(moves[0].lParam), 10);
    EXPECT_EQ(HIWORD(moves[0].lParam), 20);
    POINT point{};
    GetCursorPos(&point);
    EXPECT_EQ(point.x, 110);
    EXPECT_EQ(point.y, 120);
}

}  // namespace
