#include <gtest/gtest.h>

#include "device/settings_search.h"
#include "framework/error_display.h"
#include "lifecycle_fixture.h"

using namespace kl::fake;
using Strings = std::vector<std::string>;

namespace {

bool refuseSettings = false;

bool CALLBACK RefusingAdjust(DeviceSettings*, const D3DCAPS9*, void*) {
    return !refuseSettings;
}

IDirect3DDevice9* heldDevice = nullptr;

// An application that keeps a reference it never gives back (as a texture
// it forgot to release would).
HRESULT CALLBACK CreatedAndHeld(IDirect3DDevice9* device, const D3DSURFACE_DESC*, void*) {
    Events().push_back("created");
    device->AddRef();
    heldDevice = device;
    return S_OK;
}

HRESULT CALLBACK CreateDefaultDeviceFromHandler(IDirect3DDevice9*, const D3DSURFACE_DESC*, void*) {
    Events().push_back(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr) == E_FAIL
                           ? "nested E_FAIL"
                           : "nested ran");
    return S_OK;
}

const wchar_t kNoDevice[] = L"Could not find any compatible Direct3D devices.";
const wchar_t kStillReferenced[] =
    L"The D3D device has a non-zero reference count, meaning some objects were not released.";

}  // namespace

using DeviceChange = LifecycleTest;

TEST_F(DeviceChange, FirstDeviceIsCreatedThenResetAndShown) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(DeviceCallbacks(), (Strings{"created", "reset"}));
    FrameworkState& state = GetFrameworkState();
    EXPECT_TRUE(state.GetDeviceCreated());
    EXPECT_TRUE(state.GetDeviceObjectsCreated());
    EXPECT_TRUE(state.GetDeviceObjectsReset());
    EXPECT_FALSE(state.GetIgnoreSizeChange());
    EXPECT_EQ(state.GetRenderingPauseCount(), 0);
    EXPECT_EQ(state.GetTimePauseCount(), 0);
    EXPECT_FALSE(state.GetLockEnabled());  // not a multithreaded device
    ASSERT_NE(Device(), nullptr);
    EXPECT_EQ(Device()->behaviorFlags, static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING));
    EXPECT_EQ(state.GetBackBufferDesc().Width, 640u);
    EXPECT_EQ(state.GetBackBufferDesc().Height, 480u);
    EXPECT_EQ(state.GetAdapterMonitor(), direct3d->hardware.adapters[0].monitor);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 480);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(DeviceChange, BackBufferSizeChangeResetsAndFlagChangeRecreates) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    FakeDevice* first = Device();

    DeviceSettings settings{};
    GetFrameworkState().CopyCurrentSettings(&settings);
    settings.presentParams.BackBufferWidth = 800;
    settings.presentParams.BackBufferHeight = 600;
    ASSERT_EQ(SwitchDevice(&settings, nullptr, false, false), S_OK);
    EXPECT_EQ(Device(), first);
    // The first Release is the enumeration's one-pixel trial device.
    EXPECT_EQ(EventsMatching({"created", "reset", "lost", "destroyed", "Reset", "Release"}),
              (Strings{"Release", "created", "reset", "lost", "Reset", "reset"}));
    EXPECT_EQ(GetFrameworkState().GetBackBufferDesc().Width, 800u);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right - client.left, 800);

    Events().clear();
    settings.behaviorFlags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    ASSERT_EQ(SwitchDevice(&settings, nullptr, false, false), S_OK);
    EXPECT_EQ(EventsMatching({"created", "reset", "lost", "destroyed", "Reset", "Release"}),
              (Strings{"lost", "destroyed", "Release", "created", "reset"}));
    EXPECT_EQ(Device()->behaviorFlags, static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
}

TEST_F(DeviceChange, ShutdownLosesAndDestroysThenReleasesEverything) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    Events().clear();
    ShutdownFramework(0);
    EXPECT_EQ(EventsMatching({"created", "reset", "lost", "destroyed", "Release"}),
              (Strings{"lost", "destroyed", "Release"}));
    FrameworkState& state = GetFrameworkState();
    EXPECT_EQ(state.GetDevice(), nullptr);
    EXPECT_EQ(state.GetCurrentSettings(), nullptr);
    EXPECT_EQ(state.GetDirect3D(), nullptr);
    EXPECT_EQ(state.GetEnumeration(), nullptr);
    EXPECT_FALSE(state.GetDeviceCreated());
    EXPECT_EQ(state.GetBackBufferDesc().Width, 0u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(state.GetExitCode(), 0);
    EXPECT_TRUE(MessageBoxTexts().empty());
}

TEST_F(DeviceChange, RefusedFirstRequestShowsNoDeviceAndAbortsLaterOnesSilently) {
    refuseSettings = true;
    EXPECT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, RefusingAdjust, nullptr), E_ABORT);
    EXPECT_EQ(MessageBoxTexts(), std::vector<std::wstring>{kNoDevice});
    EXPECT_EQ(GetFrameworkState().GetDevice(), nullptr);
    EXPECT_TRUE(DeviceCallbacks().empty());
    EXPECT_EQ(GetFrameworkState().GetExitCode(), 3);
}

TEST_F(DeviceChange, RefusalOfALaterChangeKeepsTheOldDevice) {
    refuseSettings = false;
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, RefusingAdjust, nullptr), S_OK);
    FakeDevice* first = Device();
    DeviceSettings* firstSettings = GetFrameworkState().GetCurrentSettings();
    refuseSettings = true;
    DeviceSettings settings{};
    GetFrameworkState().CopyCurrentSettings(&settings);
    settings.behaviorFlags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    EXPECT_EQ(SwitchDevice(&settings, nullptr, false, false), E_ABORT);
    EXPECT_EQ(Device(), first);
    EXPECT_EQ(GetFrameworkState().GetCurrentSettings(), firstSettings);
    EXPECT_EQ(DeviceCallbacks(), (Strings{"created", "reset"}));
    EXPECT_TRUE(MessageBoxTexts().empty());
}

TEST_F(DeviceChange, ForgottenReferenceIsReportedWithExitCodeFive) {
    SetDeviceCreatedCallback(CreatedAndHeld, nullptr);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    ShutdownFramework(0);
    EXPECT_EQ(MessageBoxTexts(), std::vector<std::wstring>{kStillReferenced});
    EXPECT_EQ(GetFrameworkState().GetExitCode(), 5);
    ASSERT_NE(heldDevice, nullptr);
    EXPECT_EQ(heldDevice->Release(), 0u);
}

TEST_F(DeviceChange, CreateDefaultDeviceFromADeviceHandlerFails) {
    SetDeviceCreatedCallback(CreateDefaultDeviceFromHandler, nullptr);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(EventsMatching({"nested E_FAIL", "nested ran"}), (Strings{"nested E_FAIL"}));
}

class ReferenceDevice : public LifecycleTest {
    Hardware MakeHardware() override {
        FakeAdapter adapter = StandardAdapter();
        FakeDeviceType ref;
        ref.type = D3DDEVTYPE_REF;
        adapter.types.push_back(ref);
        return OneAdapter(adapter);
    }
};

TEST_F(ReferenceDevice, ReferenceDeviceSetsExitCodeElevenAndHalRestoresZero) {
    GetFrameworkState().SetForceRef(true);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Device()->type, D3DDEVTYPE_REF);
    EXPECT_EQ(GetFrameworkState().GetExitCode(), 11);

    GetFrameworkState().SetForceRef(false);
    ASSERT_EQ(ToggleReferenceDevice(), S_OK);
    EXPECT_EQ(Device()->type, D3DDEVTYPE_HAL);
    EXPECT_EQ(GetFrameworkState().GetExitCode(), 0);
    EXPECT_EQ(DeviceCallbacks(),
              (Strings{"created", "reset", "lost", "destroyed", "created", "reset"}));
}

TEST_F(DeviceChange, LostDeviceRecoversThroughTestCooperativeLevelAndReset) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    FrameworkState& state = GetFrameworkState();
    Device()->cooperativeAnswers = {D3DERR_DEVICELOST, D3DERR_DEVICENOTRESET};
    state.SetDeviceLost(true);
    Events().clear();

    const int64_t before = kl::testing::ManualClockTicks();
    RenderOneFrame();  // still lost: sleeps 50 ms, no handler runs
    EXPECT_EQ(kl::testing::ManualClockTicks() - before, 50000);
    EXPECT_EQ(Events(), (Strings{"TestCooperativeLevel"}));
    EXPECT_TRUE(state.GetDeviceLost());

    RenderOneFrame();
    EXPECT_EQ(Events(), (Strings{"TestCooperativeLevel", "TestCooperativeLevel", "lost", "Reset",
                                 "reset", "update", "draw"}));
    EXPECT_FALSE(state.GetDeviceLost());
    EXPECT_EQ(Device()->presents, 1);
    EXPECT_EQ(state.GetFrameNumber(), 1);

    // A driver error in Present counts as a lost device.
    Device()->presentAnswer = D3DERR_DRIVERINTERNALERROR;
    RenderOneFrame();
    EXPECT_TRUE(state.GetDeviceLost());
}

TEST_F(DeviceChange, FullscreenAndBackRestoresTheWindow) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    const LONG windowedStyle = GetWindowLongW(window, GWL_STYLE);
    RECT windowedRect{};
    GetWindowRect(window, &windowedRect);

    // The first time, fullscreen goes to the desktop size.
    ASSERT_EQ(ToggleWindowedMode(), S_OK);
    FrameworkState& state = GetFrameworkState();
    EXPECT_FALSE(InWindowedMode());
    EXPECT_EQ(state.GetBackBufferDesc().Width, 1024u);
    EXPECT_EQ(state.GetBackBufferDesc().Height, 768u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & 0xFFFF0000u,
              static_cast<DWORD>(WS_POPUP | WS_SYSMENU | WS_VISIBLE) & 0xFFFF0000u);
    EXPECT_EQ(state.GetWindowedWidthAtSwitch(), 640);

    ASSERT_EQ(ToggleWindowedMode(), S_OK);
    EXPECT_TRUE(InWindowedMode());
    EXPECT_EQ(state.GetBackBufferDesc().Width, 640u);
    EXPECT_EQ(state.GetBackBufferDesc().Height, 480u);
    EXPECT_EQ(state.GetFullscreenWidthAtSwitch(), 1024);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & ~WS_VISIBLE, windowedStyle & ~WS_VISIBLE);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, windowedRect.left);
    EXPECT_EQ(rect.top, windowedRect.top);
    EXPECT_EQ(rect.right, windowedRect.right);
    EXPECT_EQ(rect.bottom, windowedRect.bottom);
}

class LargeMonitor : public LifecycleTest {
    void SetVirtualMonitors() override {
        kl::testing::VirtualMonitor monitor;
        monitor.area = {0, 0, 1280, 1024};
        monitor.work = {0, 40, 1280, 1024};
        kl::testing::SetVirtualMonitors({monitor});
    }
};

TEST_F(LargeMonitor, OversizedWindowIsClampedToTheWorkAreaAndTheBackBufferTakesTheClient) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 2000, 2000, nullptr, nullptr, nullptr), S_OK);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 40);
    EXPECT_EQ(rect.right, 1280);
    EXPECT_EQ(rect.bottom, 1024);

    RECT client{};
    GetClientRect(window, &client);
    const D3DSURFACE_DESC& desc = GetFrameworkState().GetBackBufferDesc();
    EXPECT_LT(client.right, 2000);
    EXPECT_EQ(desc.Width, static_cast<UINT>(client.right - client.left));
    EXPECT_EQ(desc.Height, static_cast<UINT>(client.bottom - client.top));
    // The second change with 0 x 0 reset the device to the client size.
    EXPECT_EQ(DeviceCallbacks(), (Strings{"created", "reset", "lost", "reset"}));
}

// The window procedure's minimum tracking size (200 x 200) holds for the
// framework's own sizing too: the back buffer takes that window's client.
TEST_F(DeviceChange, SizeBelowTheMinimumWindowGivesTheSmallestWindowsClient) {
    GetFrameworkState().SetOverrideWidth(100);
    GetFrameworkState().SetOverrideHeight(100);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 200);
    EXPECT_EQ(rect.bottom - rect.top, 200);
    const D3DSURFACE_DESC& desc = GetFrameworkState().GetBackBufferDesc();
    EXPECT_EQ(desc.Width, 184u);
    EXPECT_EQ(desc.Height, 161u);
}

TEST_F(LargeMonitor, WideWindowIsCentredVertically) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 2000, 600, nullptr, nullptr, nullptr), S_OK);
    RECT rect{};
    GetWindowRect(window, &rect);
    const LONG height = rect.bottom - rect.top;
    EXPECT_GT(height, 600);  // the frame adds to the client height
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.right, 1280);
    EXPECT_EQ(rect.top, 40 + (984 - height) / 2);
    EXPECT_EQ(GetFrameworkState().GetBackBufferDesc().Height, 600u);
}

TEST_F(DeviceChange, FullscreenTakesTheMenuAwayAndTheNearestRememberedSize) {
    HMENU menu = CreateMenu();
    SetMenu(window, menu);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    // While windowed the menu is not counted in the frame, so the window
    // cannot give 480 lines and the back buffer takes the client size.
    RECT client{};
    GetClientRect(window, &client);
    const LONG clientHeight = client.bottom - client.top;
    EXPECT_LT(clientHeight, 480);
    EXPECT_EQ(GetFrameworkState().GetBackBufferDesc().Height, static_cast<UINT>(clientHeight));

    FrameworkState& state = GetFrameworkState();
    state.SetFullscreenWidthAtSwitch(790);
    state.SetFullscreenHeightAtSwitch(590);
    ASSERT_EQ(ToggleWindowedMode(), S_OK);
    EXPECT_EQ(GetMenu(window), nullptr);
    EXPECT_EQ(state.GetSavedMenu(), menu);
    EXPECT_EQ(state.GetBackBufferDesc().Width, 800u);
    EXPECT_EQ(state.GetBackBufferDesc().Height, 600u);

    ASSERT_EQ(ToggleWindowedMode(), S_OK);
    EXPECT_EQ(GetMenu(window), menu);
    GetClientRect(window, &client);
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, clientHeight);
    EXPECT_EQ(state.GetBackBufferDesc().Height, static_cast<UINT>(clientHeight));
}
