// The application's callbacks into the framework: nine slots, each called with
// the opaque context value that was stored with it.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "device/device_settings.h"

typedef bool(CALLBACK* AcceptDeviceCallback)(D3DCAPS9* caps, D3DFORMAT adapterFormat,
                                             D3DFORMAT backBufferFormat, bool windowed,
                                             void* context);
typedef bool(CALLBACK* AdjustSettingsCallback)(DeviceSettings* settings, const D3DCAPS9* caps,
                                               void* context);
typedef HRESULT(CALLBACK* DeviceCreatedCallback)(IDirect3DDevice9* device,
                                                 const D3DSURFACE_DESC* backBufferDesc,
                                                 void* context);
typedef HRESULT(CALLBACK* DeviceResetCallback)(IDirect3DDevice9* device,
                                               const D3DSURFACE_DESC* backBufferDesc,
                                               void* context);
typedef void(CALLBACK* DeviceLostCallback)(void* context);
typedef void(CALLBACK* DeviceDestroyedCallback)(void* context);
typedef void(CALLBACK* FrameUpdateCallback)(IDirect3DDevice9* device, double time, float elapsed,
                                            void* context);
typedef void(CALLBACK* FrameDrawCallback)(IDirect3DDevice9* device, double time, float elapsed,
                                          void* context);
typedef LRESULT(CALLBACK* MessageCallback)(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           bool* noFurtherProcessing, void* context);

// The nine function slots followed by their nine context values.
struct FrameworkCallbacks {
    AcceptDeviceCallback acceptDeviceHandler;
    AdjustSettingsCallback adjustSettingsHandler;
    DeviceCreatedCallback deviceCreatedHandler;
    DeviceResetCallback deviceResetHandler;
    DeviceLostCallback deviceLostHandler;
    DeviceDestroyedCallback deviceDestroyedHandler;
    FrameUpdateCallback frameUpdateHandler;
    FrameDrawCallback frameDrawHandler;
    MessageCallback messageHandler;

    void* acceptDeviceContext;
    void* adjustSettingsContext;
    void* deviceCreatedContext;
    void* deviceResetContext;
    void* deviceLostContext;
    void* deviceDestroyedContext;
    void* frameUpdateContext;
    void* frameDrawContext;
    void* messageContext;
};

// Setters the application uses to register its handlers (each stores the
// function and its context with two separate locked writes).
void SetDeviceCreatedCallback(DeviceCreatedCallback callback, void* context);
void SetDeviceResetCallback(DeviceResetCallback callback, void* context);
void SetDeviceLostCallback(DeviceLostCallback callback, void* context);
void SetDeviceDestroyedCallback(DeviceDestroyedCallback callback, void* context);
void SetFrameUpdateCallback(FrameUpdateCallback callback, void* context);
void SetFrameDrawCallback(FrameDrawCallback callback, void* context);
void SetMessageHookCallback(MessageCallback callback, void* context);
