// Applying device settings: create, reset, lose and destroy the device, with
// the application's callbacks in their fixed order, and the requests the
// window procedure makes (windowed/fullscreen, HAL/REF, monitor changes).
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "device/device_settings.h"

HRESULT SwitchDevice(const DeviceSettings* newSettings, IDirect3DDevice9* existingDevice,
                     bool forceRecreate, bool keepWindowOnMonitor);
// SwitchDevice for settings that a search has already fitted to what the
// adapter offers, starting from a request that carried the command-line
// overrides: they are not applied a second time, which would replace the
// fitted size (a fullscreen width that is no display mode, say) with the
// unfitted one.
HRESULT SwitchToFoundSettings(const DeviceSettings* found, bool keepWindowOnMonitor);
HRESULT CreateFrameworkDevice(IDirect3DDevice9* existingDevice);
HRESULT ResetFrameworkDevice();
void ReleaseFrameworkDevice(bool freeSettings);
void ApplyDeviceOverrides(DeviceSettings* settings);
void RefreshBackBufferDesc();
HRESULT FindAdapterForMonitor(HMONITOR monitor, UINT* adapterOrdinal);
void CheckAdapterMonitor();
HRESULT ToggleWindowedMode();
HRESULT ToggleReferenceDevice();
