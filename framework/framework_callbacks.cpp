// The setters the application registers its handlers with. Function and
// context are two separate locked writes, like every other field access.
#include "framework/framework_callbacks.h"

#include "framework/framework_state.h"

void SetDeviceCreatedCallback(DeviceCreatedCallback callback, void* context) {
    FrameworkState& state = GetFrameworkState();
    state.SetDeviceCreatedHandler(callback);
    state.SetDeviceCreatedContext(context);
}

void SetDeviceResetCallback(DeviceResetCallback callback, void* context) {
    FrameworkState& state = GetFrameworkState();
    state.SetDeviceResetHandler(callback);
    state.SetDeviceResetContext(context);
}

void SetDeviceLostCallback(DeviceLostCallback callback, void* context) {
    FrameworkState& state = GetFrameworkState();
    state.SetDeviceLostHandler(callback);
    state.SetDeviceLostContext(context);
}

void SetDeviceDestroyedCallback(DeviceDestroyedCallback callback, void* context) {
    FrameworkState& state = GetFrameworkState();
    state.SetDeviceDestroyedHandler(callback);
    state.SetDeviceDestroyedContext(context);
}

void SetFrameUpdateCallback(FrameUpdateCallback callback, void* context) {
    FrameworkState& state = GetFrameworkState();
    state.SetFrameUpdateHandler(callback);
    state.SetFrameUpdateContext(context);
}

void SetFrameDrawCallback(FrameDrawCallback callback, void* context) {
    FrameworkState& state = GetFrameworkState();
    state.SetFrameDrawHandler(callback);
    state.SetFrameDrawContext(context);
}

void SetMessageHookCallback(MessageCallback callback, void* context) {
    FrameworkState& state = GetFrameworkState();
    state.SetMessageHandler(callback);
    state.SetMessageContext(context);
}
