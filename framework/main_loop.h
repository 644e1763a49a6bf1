// The first device, the main loop, one frame, and the orderly shutdown.
#pragma once

#include <windows.h>

#include "framework/framework_callbacks.h"

HRESULT CreateDefaultDevice(UINT adapter, bool windowed, int width, int height,
                            AcceptDeviceCallback acceptDevice,
                            AdjustSettingsCallback adjustSettings, void* context);
HRESULT RunMainLoop(HACCEL accelerators);
void RenderOneFrame();
void ShutdownFramework(int exitCode);
