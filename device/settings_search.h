// Turning a wish (settings plus match rules) into the best settings the
// enumerated hardware supports, by a weighted ranking of the combinations.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "device/device_enumeration.h"
#include "device/device_settings.h"

// Fills *out with the best valid settings. request and rules may be null (no
// wish; all rules Free); out may be the same record as request.
HRESULT FindValidSettings(DeviceSettings* out, const DeviceSettings* request,
                          const MatchRules* rules);

// The ideal settings the ranking aims at.
DeviceSettings BuildOptimalSettings(const DeviceSettings* request, const MatchRules& rules);
// False when the combination cannot meet a value the rules say to keep.
bool MeetsKeptValues(const SettingsCombination& combination, const DeviceSettings* request,
                     const MatchRules& rules);
// The single-precision score of a combination against the ideal settings.
float RankCombination(const SettingsCombination& combination, const DeviceSettings& optimal,
                      const D3DDISPLAYMODE& desktopMode);
// The final settings from the winning combination.
DeviceSettings BuildValidSettings(const SettingsCombination& combination,
                                  const DeviceSettings* request, const MatchRules& rules);
// The adapter's display mode of the combination's format nearest in size to
// the target (fullscreen), or the target itself (windowed, or no mode: E_FAIL).
HRESULT FindNearestDisplayMode(const SettingsCombination& combination, const D3DDISPLAYMODE& target,
                               D3DDISPLAYMODE* nearest);
