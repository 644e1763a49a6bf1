// Framework error codes: messages, captions, exit codes and suppressed boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/error_display.h"
#include "framework/framework_state.h"
#include "framework/initialization.h"
#include "framework_test_support.h"

namespace {

using kl::framework_test::FrameworkTest;

class ErrorDisplayTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        kl::testing::CaptureMessageBoxes(true);
    }
};

struct ExpectedError {
    HRESULT code;
    int exitCode;
    const wchar_t* message;
};

const ExpectedError kExpectedErrors[] = {
    {HRESULT(0x80040901), 2,
     L"Could not initialize Direct3D. You may want to check that the latest version of DirectX "
     L"is correctly installed on your system.  Also make sure that this program was compiled "
     L"with header files that match the installed DirectX DLLs."},
    {HRESULT(0x80040902), 3, L"Could not find any compatible Direct3D devices."},
    {HRESULT(0x80040903), 4,
     L"Could not find required media. Ensure that the DirectX SDK is correctly installed."},
    {HRESULT(0x80040904), 5,
     L"The D3D device has a non-zero reference count, meaning some objects were not released."},
    {HRESULT(0x80040905), 6, L"Failed creating the Direct3D device."},
    {HRESULT(0x80040906), 7, L"Failed resetting the Direct3D device."},
    {HRESULT(0x80040907), 8, L"Failed creating Direct3D device objects."},
    {HRESULT(0x80040908), 9, L"Failed resetting Direct3D device objects."},
    {HRESULT(0x80040909), 10, L"Incorrect version of Direct3D and/or D3DX."},
};

TEST_F(ErrorDisplayTest, EachCodeShowsItsMessageAndSetsItsExitCode) {
    for (const ExpectedError& expected : kExpectedErrors) {
        SCOPED_TRACE(expected.exitCode);
        const size_t before = kl::testing::CapturedMessageBoxes().size();
        ShowFrameworkError(expected.code);
        const std::vector<kl::testing::CapturedMessageBox> boxes =
            kl::testing::CapturedMessageBoxes();
        ASSERT_EQ(before + 1, boxes.size());
        EXPECT_EQ(expected.message, boxes.back().text);
        EXPECT_EQ(L"DirectX Application", boxes.back().caption);
        EXPECT_EQ(UINT(MB_ICONERROR), boxes.back().type);
        EXPECT_EQ(nullptr, boxes.back().owner);
        EXPECT_EQ(expected.exitCode, GetFrameworkState().GetExitCode());
    }
}

TEST_F(ErrorDisplayTest, NoDeviceOverARemoteSessionSaysSo) {
    kl::testing::SetSystemMetric(SM_REMOTESESSION, 1);
    ShowFrameworkError(FWERR_NO_USABLE_DEVICE);
    kl::testing::ClearSystemMetricOverrides();
    const auto boxes = kl::testing::CapturedMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Direct3D does not work over a remote session.", boxes[0].text);
    EXPECT_EQ(3, GetFrameworkState().GetExitCode());
}

TEST_F(ErrorDisplayTest, CaptionIsTheWindowTitleOnceThereIsOne) {
    GetFrameworkState().SetWindowTitle(L"Orvantis");
    ShowFrameworkError(FWERR_DEVICE_CREATE_FAILED);
    const auto boxes = kl::testing::CapturedMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Orvantis", boxes[0].caption);
}

TEST_F(ErrorDisplayTest, BoxIsOwnedByTheActiveDeviceWindow) {
    HWND window = CreatePlainWindow();
    ASSERT_NE(nullptr, window);
    GetFrameworkState().SetFullscreenDeviceWindow(window);
    ShowFrameworkError(FWERR_DEVICE_RESET_FAILED);
    GetFrameworkState().SetFullscreenDeviceWindow(nullptr);
    const auto boxes = kl::testing::CapturedMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(window, boxes[0].owner);
}

TEST_F(ErrorDisplayTest, NoErrorBoxesOptionKeepsTheExitCode) {
    kl::testing::SetProcessCommandLine(L"app.exe -noerrormsgboxes");
    ReadCommandLineOptions();
    ShowFrameworkError(FWERR_VERSION_MISMATCH);
    EXPECT_TRUE(kl::testing::CapturedMessageBoxes().empty());
    EXPECT_EQ(10, GetFrameworkState().GetExitCode());
}

TEST_F(ErrorDisplayTest, CodesOutsideTheTableShowNothingAndExitWithOne) {
    GetFrameworkState().SetExitCode(7);
    ShowFrameworkError(E_FAIL);
    EXPECT_EQ(1, GetFrameworkState().GetExitCode());
    ShowFrameworkError(HRESULT(0x8004090A));  // just past the table
    ShowFrameworkError(S_OK);
    EXPECT_EQ(1, GetFrameworkState().GetExitCode());
    EXPECT_TRUE(kl::testing::CapturedMessageBoxes().empty());
}

}  // namespace
