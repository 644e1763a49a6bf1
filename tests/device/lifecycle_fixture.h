// A framework ready for its first device: synthetic hardware, the framework's
// window on the virtual desktop, the manual clock, captured message boxes and
// callbacks that write their names into the event log.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/device_change.h"
#include "device_test_support.h"
#include "framework/main_loop.h"
#include "framework/window.h"
#include "platform/testing/clock.h"
#include "platform/testing/windows.h"

namespace kl::fake {

struct FrameLog {
    std::vector<double> times;
    std::vector<float> elapsed;
};

inline FrameLog& Frames() {
    static FrameLog log;
    return log;
}

inline HRESULT CALLBACK RecordCreated(IDirect3DDevice9*, const D3DSURFACE_DESC*, void*) {
    Events().push_back("created");
    return S_OK;
}
inline HRESULT CALLBACK RecordReset(IDirect3DDevice9*, const D3DSURFACE_DESC*, void*) {
    Events().push_back("reset");
    return S_OK;
}
inline void CALLBACK RecordLost(void*) {
    Events().push_back("lost");
}
inline void CALLBACK RecordDestroyed(void*) {
    Events().push_back("destroyed");
}
inline void CALLBACK RecordUpdate(IDirect3DDevice9*, double time, float elapsed, void*) {
    Events().push_back("update");
    Frames().times.push_back(time);
    Frames().elapsed.push_back(elapsed);
}
inline void CALLBACK RecordDraw(IDirect3DDevice9*, double, float, void*) {
    Events().push_back("draw");
}

// The callbacks of the application as the events the tests compare.
inline std::vector<std::string> DeviceCallbacks() {
    return EventsMatching({"created", "reset", "lost", "destroyed"});
}

class LifecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        kl::testing::ForceHeadless();
        kl::testing::UseManualClock();
        kl::testing::CaptureMessageBoxes(true);
        SetVirtualMonitors();
        FrameworkState& state = GetFrameworkState();
        // Start-up is someone else's concern: the framework counts as started.
        state.SetInitCalled(true);
        state.SetInitialized(true);
        direct3d = InstallDirect3D(MakeHardware());
        ASSERT_EQ(CreateFrameworkWindow(L"Device test", nullptr, nullptr, nullptr, CW_USEDEFAULT,
                                        CW_USEDEFAULT),
                  S_OK);
        window = state.GetFocusWindow();
        for (FakeAdapter& adapter : direct3d->hardware.adapters) {
            adapter.monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
        }
        SetDeviceCreatedCallback(RecordCreated, nullptr);
        SetDeviceResetCallback(RecordReset, nullptr);
        SetDeviceLostCallback(RecordLost, nullptr);
        SetDeviceDestroyedCallback(RecordDestroyed, nullptr);
        SetFrameUpdateCallback(RecordUpdate, nullptr);
        SetFrameDrawCallback(RecordDraw, nullptr);
    }

    // Everything is released while the test's objects still exist; the
    // exit-time shutdown then finds nothing left to do.
    void TearDown() override { ShutdownFramework(0); }

    virtual void SetVirtualMonitors() {}
    virtual Hardware MakeHardware() { return OneAdapter(StandardAdapter()); }

    FakeDevice* Device() { return static_cast<FakeDevice*>(GetFrameworkState().GetDevice()); }

    std::vector<std::wstring> MessageBoxTexts() {
        std::vector<std::wstring> texts;
        for (const auto& box : kl::testing::CapturedMessageBoxes()) texts.push_back(box.text);
        return texts;
    }

    FakeDirect3D* direct3d = nullptr;
    HWND window = nullptr;
};

}  // namespace kl::fake
