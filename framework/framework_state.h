// The framework's one process-wide record: Direct3D objects, window handles,
// timing, command-line overrides, lifecycle flags and the application's
// callbacks. Every field is read and written through its own accessor, which
// takes the state lock for that one access while locking is enabled.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

#include "device/device_settings.h"
#include "framework/framework_callbacks.h"

class DeviceEnumeration;

constexpr int kFrameworkStringLength = 256;

// X(type, field, Accessor, initial): the plain-valued fields in declaration
// order. Each gets Get<Accessor>() and Set<Accessor>(value).
#define KL_FRAMEWORK_VALUE_FIELDS(X)                                                 \
    X(IDirect3D9*, direct3d, Direct3D, nullptr)                                      \
    X(IDirect3DDevice9*, device, Device, nullptr)                                    \
    X(DeviceEnumeration*, enumeration, Enumeration, nullptr)                         \
    X(HWND, focusWindow, FocusWindow, nullptr)                                       \
    X(HWND, fullscreenDeviceWindow, FullscreenDeviceWindow, nullptr)                 \
    X(HWND, windowedDeviceWindow, WindowedDeviceWindow, nullptr)                     \
    X(HMONITOR, adapterMonitor, AdapterMonitor, nullptr)                             \
    X(HMENU, savedMenu, SavedMenu, nullptr)                                          \
    X(int32_t, fullscreenWidthAtSwitch, FullscreenWidthAtSwitch, 0)                  \
    X(int32_t, fullscreenHeightAtSwitch, FullscreenHeightAtSwitch, 0)                \
    X(int32_t, windowedWidthAtSwitch, WindowedWidthAtSwitch, 0)                      \
    X(int32_t, windowedHeightAtSwitch, WindowedHeightAtSwitch, 0)                    \
    X(uint32_t, windowedStyle, WindowedStyle, 0)                                     \
    X(bool, topmostWhileWindowed, TopmostWhileWindowed, false)                       \
    X(bool, minimized, Minimized, false)                                             \
    X(bool, maximized, Maximized, false)                                             \
    X(bool, minimizedWhileFullscreen, MinimizedWhileFullscreen, false)               \
    X(bool, ignoreSizeChange, IgnoreSizeChange, false)                               \
    X(double, currentTime, CurrentTime, 0.0)                                         \
    X(float, elapsedTime, ElapsedTime, 0.0f)                                         \
    X(HINSTANCE, instance, Instance, nullptr)                                        \
    X(double, lastStatsUpdateTime, LastStatsUpdateTime, 0.0)                         \
    X(uint32_t, lastStatsUpdateFrames, LastStatsUpdateFrames, 0)                     \
    X(float, framesPerSecond, FramesPerSecond, 0.0f)                                 \
    X(int32_t, frameNumber, FrameNumber, 0)                                          \
    X(HHOOK, keyboardHook, KeyboardHook, nullptr)                                    \
    X(bool, allowShortcutKeysWhenFullscreen, AllowShortcutKeysWhenFullscreen, false) \
    X(bool, allowShortcutKeysWhenWindowed, AllowShortcutKeysWhenWindowed, true)      \
    X(bool, shortcutKeysAllowed, ShortcutKeysAllowed, false)                         \
    X(STICKYKEYS, savedStickyKeys, SavedStickyKeys, {})                              \
    X(TOGGLEKEYS, savedToggleKeys, SavedToggleKeys, {})                              \
    X(FILTERKEYS, savedFilterKeys, SavedFilterKeys, {})                              \
    X(bool, handleDefaultKeys, HandleDefaultKeys, false)                             \
    X(bool, handleAltEnter, HandleAltEnter, false)                                   \
    X(bool, showErrorBoxes, ShowErrorBoxes, true)                                    \
    X(bool, noStats, NoStats, false)                                                 \
    X(bool, clipCursorWhenFullscreen, ClipCursorWhenFullscreen, false)               \
    X(bool, showCursorWhenFullscreen, ShowCursorWhenFullscreen, false)               \
    X(bool, constantFrameTimeEnabled, ConstantFrameTimeEnabled, false)               \
    X(float, constantFrameTime, ConstantFrameTime, 0.0f)                             \
    X(bool, wireframe, Wireframe, false)                                             \
    X(bool, autoChangeAdapter, AutoChangeAdapter, true)                              \
    X(bool, windowAtDefaultPosition, WindowAtDefaultPosition, false)                 \
    X(int32_t, exitCode, ExitCode, 0)                                                \
    X(bool, initialized, Initialized, false)                                         \
    X(bool, windowCreated, WindowCreated, false)                                     \
    X(bool, deviceCreated, DeviceCreated, false)                                     \
    X(bool, initCalled, InitCalled, false)                                           \
    X(bool, windowCreateCalled, WindowCreateCalled, false)                           \
    X(bool, deviceCreateCalled, DeviceCreateCalled, false)                           \
    X(bool, deviceObjectsCreated, DeviceObjectsCreated, false)                       \
    X(bool, deviceObjectsReset, DeviceObjectsReset, false)                           \
    X(bool, insideDeviceCallbacks, InsideDeviceCallbacks, false)                     \
    X(bool, insideMainLoop, InsideMainLoop, false)                                   \
    X(bool, active, Active, true)                                                    \
    X(bool, timePaused, TimePaused, false)                                           \
    X(bool, renderingPaused, RenderingPaused, false)                                 \
    X(int32_t, renderingPauseCount, RenderingPauseCount, 0)                          \
    X(int32_t, timePauseCount, TimePauseCount, 0)                                    \
    X(bool, deviceLost, DeviceLost, false)                                           \
    X(bool, automation, Automation, false)                                           \
    X(bool, inSizeMove, InSizeMove, false)                                           \
    X(int32_t, overrideAdapter, OverrideAdapter, -1)                                 \
    X(bool, overrideWindowed, OverrideWindowed, false)                               \
    X(bool, overrideFullscreen, OverrideFullscreen, false)                           \
    X(int32_t, overrideStartX, OverrideStartX, -1)                                   \
    X(int32_t, overrideStartY, OverrideStartY, -1)                                   \
    X(int32_t, overrideWidth, OverrideWidth, 0)                                      \
    X(int32_t, overrideHeight, OverrideHeight, 0)                                    \
    X(bool, forceHal, ForceHal, false)                                               \
    X(bool, forceRef, ForceRef, false)                                               \
    X(bool, forcePureHwvp, ForcePureHwvp, false)                                     \
    X(bool, forceHwvp, ForceHwvp, false)                                             \
    X(bool, forceSwvp, ForceSwvp, false)                                             \
    X(bool, overrideConstantFrameTime, OverrideConstantFrameTime, false)             \
    X(float, overrideConstantFrameTimeValue, OverrideConstantFrameTimeValue, 0.0f)   \
    X(int32_t, quitAfterFrame, QuitAfterFrame, 0)                                    \
    X(int32_t, overrideVsync, OverrideVsync, -1)                                     \
    X(bool, relaunchMediaShellAtExit, RelaunchMediaShellAtExit, false)               \
    X(bool, usageRequested, UsageRequested, false)

// X(type, slot, Accessor): the callback slots; each has a context of its own.
#define KL_FRAMEWORK_CALLBACK_SLOTS(X)                                  \
    X(AcceptDeviceCallback, acceptDeviceHandler, AcceptDevice)          \
    X(AdjustSettingsCallback, adjustSettingsHandler, AdjustSettings)    \
    X(DeviceCreatedCallback, deviceCreatedHandler, DeviceCreated)       \
    X(DeviceResetCallback, deviceResetHandler, DeviceReset)             \
    X(DeviceLostCallback, deviceLostHandler, DeviceLost)                \
    X(DeviceDestroyedCallback, deviceDestroyedHandler, DeviceDestroyed) \
    X(FrameUpdateCallback, frameUpdateHandler, FrameUpdate)             \
    X(FrameDrawCallback, frameDrawHandler, FrameDraw)                   \
    X(MessageCallback, messageHandler, Message)

class FrameworkState {
public:
    FrameworkState();
    ~FrameworkState();
    FrameworkState(const FrameworkState&) = delete;
    FrameworkState& operator=(const FrameworkState&) = delete;

#define KL_DECLARE_VALUE_ACCESSORS(type, field, Accessor, initial) \
    type Get##Accessor() {                                         \
        return Read(&FrameworkState::field);                       \
    }                                                              \
    void Set##Accessor(type value) {                               \
        Write(&FrameworkState::field, value);                      \
    }
    KL_FRAMEWORK_VALUE_FIELDS(KL_DECLARE_VALUE_ACCESSORS)
#undef KL_DECLARE_VALUE_ACCESSORS

#define KL_DECLARE_CALLBACK_ACCESSORS(type, slot, Accessor) \
    type Get##Accessor##Handler() {                         \
        return Read(&FrameworkState::slot);                 \
    }                                                       \
    void Set##Accessor##Handler(type value) {               \
        Write(&FrameworkState::slot, value);                \
    }                                                       \
    void* Get##Accessor##Context() {                        \
        return Read(&FrameworkState::slot##Context);        \
    }                                                       \
    void Set##Accessor##Context(void* value) {              \
        Write(&FrameworkState::slot##Context, value);       \
    }
    KL_FRAMEWORK_CALLBACK_SLOTS(KL_DECLARE_CALLBACK_ACCESSORS)
#undef KL_DECLARE_CALLBACK_ACCESSORS

    // Record-valued fields: the get returns a reference to the field.
    D3DSURFACE_DESC& GetBackBufferDesc();
    void SetBackBufferDesc(const D3DSURFACE_DESC& desc);
    D3DCAPS9& GetDeviceCaps();
    void SetDeviceCaps(const D3DCAPS9& caps);
    WINDOWPLACEMENT& GetWindowedPlacement();
    void SetWindowedPlacement(const WINDOWPLACEMENT& placement);
    const WCHAR* GetWindowTitle();
    void SetWindowTitle(const WCHAR* title);  // cut to 255 characters

    // The settings of the current device, owned by the state. The setter
    // stores the pointer and takes ownership; it does not free the previous
    // copy (device changes keep it until they finish).
    DeviceSettings* GetCurrentSettings() {
        return Read(&FrameworkState::currentSettings);
    }
    void SetCurrentSettings(DeviceSettings* settings) {
        Write(&FrameworkState::currentSettings, settings);
    }
    // Copies the current settings into *out, or zero-fills it when there are none.
    void CopyCurrentSettings(DeviceSettings* out);

    bool GetLockEnabled() const {
        return lockEnabled;
    }
    void SetLockEnabled(bool enabled) {
        lockEnabled = enabled;
    }
    // Switches locking off for good and deletes the lock (process exit).
    void DeleteStateLock();

private:
    template <typename T>
    T Read(T FrameworkState::*field) {
        Lock();
        T value = this->*field;
        Unlock();
        return value;
    }
    template <typename T>
    void Write(T FrameworkState::*field, T value) {
        Lock();
        this->*field = value;
        Unlock();
    }
    void Lock();
    void Unlock();

#define KL_DECLARE_VALUE_FIELD(type, field, Accessor, initial) type field = initial;
    KL_FRAMEWORK_VALUE_FIELDS(KL_DECLARE_VALUE_FIELD)
#undef KL_DECLARE_VALUE_FIELD

#define KL_DECLARE_CALLBACK_FIELD(type, slot, Accessor) type slot = nullptr;
    KL_FRAMEWORK_CALLBACK_SLOTS(KL_DECLARE_CALLBACK_FIELD)
#undef KL_DECLARE_CALLBACK_FIELD
#define KL_DECLARE_CONTEXT_FIELD(type, slot, Accessor) void* slot##Context = nullptr;
    KL_FRAMEWORK_CALLBACK_SLOTS(KL_DECLARE_CONTEXT_FIELD)
#undef KL_DECLARE_CONTEXT_FIELD

    DeviceSettings* currentSettings = nullptr;
    D3DSURFACE_DESC backBufferDesc{};
    D3DCAPS9 deviceCaps{};
    WINDOWPLACEMENT windowedPlacement{};
    WCHAR windowTitle[kFrameworkStringLength]{};

    bool lockEnabled = true;
    CRITICAL_SECTION stateLock;
};

// The one FrameworkState, constructed on first use. Its teardown at process
// exit runs ShutdownFramework(0) and then deletes the state lock.
FrameworkState& GetFrameworkState();

// True when there are current settings and they are windowed.
bool InWindowedMode();
// The windowed device window in windowed mode, else the fullscreen one.
HWND ActiveDeviceWindow();
