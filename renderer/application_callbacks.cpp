#include "renderer/application_callbacks.h"

#include "app/scene.h"
#include "framework/framework_callbacks.h"
#include "renderer/draw_frame.h"
#include "renderer/frame_controls.h"
#include "renderer/render_resources.h"

namespace {

// The framework's draw slot returns nothing; DrawFrame's result only matters
// inside the frame, so it is dropped here.
void CALLBACK DrawFrameHandler(IDirect3DDevice9* device, double time, float elapsed,
                               void* context) {
    DrawFrame(device, time, elapsed, context);
}

}  // namespace

void RegisterApplicationCallbacks() {
    SetDeviceCreatedCallback(LoadScene, nullptr);
    SetDeviceResetCallback(AcquireRenderResources, nullptr);
    SetDeviceLostCallback(ReleaseRenderResources, nullptr);
    SetDeviceDestroyedCallback(ReleaseScene, nullptr);
    SetMessageHookCallback(HandleWindowMessage, nullptr);
    SetFrameDrawCallback(DrawFrameHandler, nullptr);
    SetFrameUpdateCallback(UpdateFrame, nullptr);
}
