// The settings search: ideal settings, filtering by kept values, ranking and
// building the final settings from the winner.
#include "device/settings_search.h"

#include <algorithm>
#include <cstdlib>

#include "framework/error_display.h"
#include "framework/framework_state.h"

namespace {

constexpr DWORD kVertexProcessingMask = D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                        D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                        D3DCREATE_MIXED_VERTEXPROCESSING;

D3DDISPLAYMODE ReadDesktopMode(UINT adapterOrdinal) {
    D3DDISPLAYMODE mode{};
    IDirect3D9* direct3d = GetFrameworkState().GetDirect3D();
    if (direct3d && FAILED(direct3d->GetAdapterDisplayMode(adapterOrdinal, &mode))) mode = {};
    return mode;
}

bool HasHardwareTransform(const SettingsCombination& combination) {
    return combination.deviceTypeRecord &&
           (combination.deviceTypeRecord->caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
}

// The adapter format a fullscreen device aims at: the desktop's, unless the
// desktop has fewer than 8 bits per channel.
D3DFORMAT FullscreenFormatFor(D3DFORMAT desktopFormat) {
    return FormatChannelBits(desktopFormat) >= 8 ? desktopFormat : D3DFMT_X8R8G8B8;
}

bool SameWindowed(BOOL a, BOOL b) {
    return (a != 0) == (b != 0);
}

UINT Distance(UINT a, UINT b) {
    return a > b ? a - b : b - a;
}

// 0.9 - 0.2 * d with the single-precision constants, computed in double and
// rounded once to single precision.
float FormatSimilarity(D3DFORMAT a, D3DFORMAT b) {
    const double d = Distance(FormatChannelBits(a), FormatChannelBits(b));
    const double part = static_cast<double>(0.9f) - static_cast<double>(0.2f) * d;
    return static_cast<float>(std::max(0.0, part));
}

bool AdapterHasModeOfSize(const SettingsCombination& combination, UINT width, UINT height) {
    if (!combination.adapter) return false;
    for (const D3DDISPLAYMODE& mode : combination.adapter->displayModes) {
        if (mode.Format == combination.adapterFormat && mode.Width == width &&
            mode.Height == height) {
            return true;
        }
    }
    return false;
}

bool AdapterHasModeOfRefresh(const SettingsCombination& combination, UINT refreshRate) {
    if (!combination.adapter) return false;
    for (const D3DDISPLAYMODE& mode : combination.adapter->displayModes) {
        if (mode.Format == combination.adapterFormat && mode.RefreshRate == refreshRate) {
            return true;
        }
    }
    return false;
}

// True when the combination offers the type with more quality levels than the
// quality asked for.
bool OffersMultisample(const SettingsCombination& combination, D3DMULTISAMPLE_TYPE type,
                       DWORD quality) {
    for (int i = 0; i < combination.multisampleTypes.GetSize(); ++i) {
        if (combination.multisampleTypes[i] == type &&
            combination.multisampleQualityCounts[i] > quality) {
            return true;
        }
    }
    return false;
}

bool OffersDepthBits(const SettingsCombination& combination, UINT depthBits) {
    for (D3DFORMAT format : combination.depthStencilFormats) {
        if (FormatDepthBits(format) == depthBits) return true;
    }
    return false;
}

bool OffersStencilBits(const SettingsCombination& combination, UINT stencilBits) {
    for (D3DFORMAT format : combination.depthStencilFormats) {
        if (FormatStencilBits(format) == stencilBits) return true;
    }
    return false;
}

DWORD ChooseBehaviorFlags(const SettingsCombination& combination, const DeviceSettings& request,
                          MatchRule rule) {
    const bool hardware = HasHardwareTransform(combination);
    const DWORD fallback =
        hardware ? D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    if (rule == Keep) return request.behaviorFlags;
    if (rule == Free) return fallback;
    DWORD flags = request.behaviorFlags;
    if (!hardware &&
        (flags & (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING))) {
        flags &= ~static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                     D3DCREATE_MIXED_VERTEXPROCESSING);
        flags |= D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    }
    if ((flags & kVertexProcessingMask) == 0) flags |= fallback;
    return flags;
}

void ChooseResolution(const SettingsCombination& combination, const DeviceSettings& request,
                      MatchRule rule, const D3DDISPLAYMODE& desktop, UINT* width, UINT* height) {
    if (rule == Keep) {
        *width = request.presentParams.BackBufferWidth;
        *height = request.presentParams.BackBufferHeight;
        return;
    }
    D3DDISPLAYMODE target = desktop;
    if (rule == Nearest) {
        target.Width = request.presentParams.BackBufferWidth;
        target.Height = request.presentParams.BackBufferHeight;
    } else if (combination.windowed) {
        target.Width = 640;
        target.Height = 480;
    }
    D3DDISPLAYMODE nearest{};
    FindNearestDisplayMode(combination, target, &nearest);
    *width = nearest.Width;
    *height = nearest.Height;
}

UINT ChooseBackBufferCount(const DeviceSettings& request, MatchRule rule) {
    const UINT requested = request.presentParams.BackBufferCount;
    if (rule == Keep) return requested;
    if (rule == Free) return 2;
    if (requested > 3) return 3;
    if (requested == 0) return 1;
    return requested;
}

void ChooseMultisample(const SettingsCombination& combination, const DeviceSettings* request,
                       MatchRule rule, D3DMULTISAMPLE_TYPE* type, DWORD* quality) {
    *type = D3DMULTISAMPLE_NONE;
    *quality = 0;
    if (request && request->presentParams.SwapEffect != D3DSWAPEFFECT_DISCARD) return;
    if (rule == Keep) {
        *type = request->presentParams.MultiSampleType;
        *quality = request->presentParams.MultiSampleQuality;
        return;
    }
    if (rule != Nearest) return;
    const int wanted = request->presentParams.MultiSampleType;
    for (int i = 0; i < combination.multisampleTypes.GetSize(); ++i) {
        const D3DMULTISAMPLE_TYPE offered = combination.multisampleTypes[i];
        if (std::abs(offered - wanted) < std::abs(*type - wanted)) {
            *type = offered;
            const DWORD levels = combination.multisampleQualityCounts[i];
            const DWORD highest = levels > 0 ? levels - 1 : 0;
            *quality = std::min(highest, request->presentParams.MultiSampleQuality);
        }
    }
}

D3DSWAPEFFECT ChooseSwapEffect(const DeviceSettings& request, MatchRule rule) {
    const D3DSWAPEFFECT requested = request.presentParams.SwapEffect;
    if (rule == Keep) return requested;
    if (rule == Nearest && (requested == D3DSWAPEFFECT_DISCARD || requested == D3DSWAPEFFECT_FLIP ||
                            requested == D3DSWAPEFFECT_COPY)) {
        return requested;
    }
    return D3DSWAPEFFECT_DISCARD;
}

// Ranks every listed depth/stencil format against the depth and stencil
// targets; the lowest rank wins, the earliest on ties. UNKNOWN when none.
D3DFORMAT ChooseDepthStencilFormat(const SettingsCombination& combination,
                                   const DeviceSettings* request, const MatchRules& rules) {
    const long long channelBits = FormatChannelBits(combination.backBufferFormat);
    const D3DFORMAT requested =
        request ? request->presentParams.AutoDepthStencilFormat : D3DFMT_UNKNOWN;
    const long long requestedDepth = FormatDepthBits(requested);
    const long long requestedStencil = FormatStencilBits(requested);

    D3DFORMAT best = D3DFMT_UNKNOWN;
    long long bestRank = 100000;
    for (D3DFORMAT format : combination.depthStencilFormats) {
        const long long depth = FormatDepthBits(format);
        const long long stencil = FormatStencilBits(format);
        long long rank = 0;
        if (rules.depthFormat == Keep) {
            rank += depth == requestedDepth ? 0 : 10000;
        } else if (rules.depthFormat == Free) {
            rank += std::llabs(depth - 4 * channelBits);
        } else {
            rank += std::llabs(depth - requestedDepth);
        }
        if (rules.stencilFormat == Keep) {
            rank += stencil == requestedStencil ? 0 : 10000;
        } else if (rules.stencilFormat == Free) {
            rank += stencil;
        } else {
            rank += std::llabs(stencil - requestedStencil);
        }
        if (rank < bestRank) {
            bestRank = rank;
            best = format;
        }
    }
    return best;
}

DWORD ChoosePresentFlags(const DeviceSettings& request, MatchRule rule, bool hasDepth) {
    const DWORD depthFlag = hasDepth ? D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL : 0;
    if (rule == Keep) return request.presentParams.Flags;
    if (rule == Free) return depthFlag;
    // The flag is set, not added, so a request that already has it keeps one bit.
    return request.presentParams.Flags | depthFlag;
}

UINT ChooseRefreshRate(const SettingsCombination& combination, const DeviceSettings& request,
                       MatchRule rule, const D3DDISPLAYMODE& desktop, UINT width, UINT height) {
    if (combination.windowed) return 0;
    if (rule == Keep) return request.presentParams.FullScreen_RefreshRateInHz;
    const UINT target =
        rule == Nearest ? request.presentParams.FullScreen_RefreshRateInHz : desktop.RefreshRate;
    if (target == 0 || !combination.adapter) return 0;

    UINT best = 0;
    UINT bestDistance = 0;
    bool found = false;
    for (const D3DDISPLAYMODE& mode : combination.adapter->displayModes) {
        if (mode.Format != combination.adapterFormat || mode.Width != width ||
            mode.Height != height) {
            continue;
        }
        const UINT distance = Distance(mode.RefreshRate, target);
        if (!found || distance < bestDistance) {
            found = true;
            best = mode.RefreshRate;
            bestDistance = distance;
            if (distance == 0) break;
        }
    }
    return best;
}

UINT ChoosePresentInterval(const SettingsCombination& combination, const DeviceSettings& request,
                           MatchRule rule) {
    const UINT requested = request.presentParams.PresentationInterval;
    if (rule == Keep) return requested;
    if (rule == Nearest && combination.presentIntervals.Contains(requested)) return requested;
    return D3DPRESENT_INTERVAL_DEFAULT;
}

// Without a request there is nothing to keep or approach, so every rule is
// treated as Free (a rule that points at a missing request is not followed).
MatchRules EffectiveRules(const DeviceSettings* request, const MatchRules* rules) {
    MatchRules effective{};
    if (request && rules) effective = *rules;
    return effective;
}

}  // namespace

DeviceSettings BuildOptimalSettings(const DeviceSettings* request, const MatchRules& rules) {
    const DeviceSettings none{};
    const DeviceSettings& wish = request ? *request : none;
    DeviceSettings optimal{};
    D3DPRESENT_PARAMETERS& params = optimal.presentParams;
    const D3DPRESENT_PARAMETERS& wished = wish.presentParams;

    optimal.adapterOrdinal = rules.adapterOrdinal != Free ? wish.adapterOrdinal : 0;
    optimal.deviceType = rules.deviceType != Free ? wish.deviceType : D3DDEVTYPE_HAL;
    params.Windowed = rules.windowed != Free ? wished.Windowed : TRUE;

    const D3DDISPLAYMODE desktop = ReadDesktopMode(optimal.adapterOrdinal);
    if (rules.adapterFormat != Free) {
        optimal.adapterFormat = wish.adapterFormat;
    } else {
        optimal.adapterFormat =
            params.Windowed ? desktop.Format : FullscreenFormatFor(desktop.Format);
    }

    optimal.behaviorFlags =
        rules.vertexProcessing != Free ? wish.behaviorFlags : D3DCREATE_HARDWARE_VERTEXPROCESSING;

    if (rules.resolution != Free) {
        params.BackBufferWidth = wished.BackBufferWidth;
        params.BackBufferHeight = wished.BackBufferHeight;
    } else if (params.Windowed) {
        params.BackBufferWidth = 640;
        params.BackBufferHeight = 480;
    } else {
        params.BackBufferWidth = desktop.Width;
        params.BackBufferHeight = desktop.Height;
    }

    params.BackBufferFormat =
        rules.backBufferFormat != Free ? wished.BackBufferFormat : optimal.adapterFormat;
    params.BackBufferCount = rules.backBufferCount != Free ? wished.BackBufferCount : 2;
    if (rules.multisample != Free) {
        params.MultiSampleType = wished.MultiSampleType;
        params.MultiSampleQuality = wished.MultiSampleQuality;
    } else {
        params.MultiSampleType = D3DMULTISAMPLE_NONE;
        params.MultiSampleQuality = 0;
    }
    params.SwapEffect = rules.swapEffect != Free ? wished.SwapEffect : D3DSWAPEFFECT_DISCARD;

    if (rules.depthFormat != Free || rules.stencilFormat != Free) {
        params.AutoDepthStencilFormat = wished.AutoDepthStencilFormat;
    } else {
        params.AutoDepthStencilFormat =
            FormatChannelBits(params.BackBufferFormat) < 8 ? D3DFMT_D16 : D3DFMT_D32;
    }

    params.Flags = rules.presentFlags != Free ? wished.Flags : D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
    params.FullScreen_RefreshRateInHz =
        rules.refreshRate != Free ? wished.FullScreen_RefreshRateInHz : 0;
    params.PresentationInterval =
        rules.presentInterval != Free ? wished.PresentationInterval : D3DPRESENT_INTERVAL_DEFAULT;
    return optimal;
}

bool MeetsKeptValues(const SettingsCombination& combination, const DeviceSettings* request,
                     const MatchRules& rules) {
    if (!request) return true;
    const D3DPRESENT_PARAMETERS& wished = request->presentParams;

    if (rules.adapterOrdinal == Keep && combination.adapterOrdinal != request->adapterOrdinal) {
        return false;
    }
    if (rules.deviceType == Keep && combination.deviceType != request->deviceType) return false;
    if (rules.windowed == Keep && !SameWindowed(combination.windowed, wished.Windowed)) {
        return false;
    }
    if (rules.adapterFormat == Keep && combination.adapterFormat != request->adapterFormat) {
        return false;
    }
    if (rules.backBufferFormat == Keep && combination.backBufferFormat != wished.BackBufferFormat) {
        return false;
    }
    if (rules.vertexProcessing == Keep &&
        (request->behaviorFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING) &&
        !HasHardwareTransform(combination)) {
        return false;
    }
    if (rules.resolution == Keep &&
        !AdapterHasModeOfSize(combination, wished.BackBufferWidth, wished.BackBufferHeight)) {
        return false;
    }
    if (rules.multisample == Keep &&
        !OffersMultisample(combination, wished.MultiSampleType, wished.MultiSampleQuality)) {
        return false;
    }
    const D3DFORMAT depthFormat = wished.AutoDepthStencilFormat;
    if (rules.depthFormat == Keep && depthFormat != D3DFMT_UNKNOWN) {
        if (rules.stencilFormat == Keep && !combination.depthStencilFormats.Contains(depthFormat)) {
            return false;
        }
        if (!OffersDepthBits(combination, FormatDepthBits(depthFormat))) return false;
    }
    if (rules.stencilFormat == Keep && depthFormat != D3DFMT_UNKNOWN &&
        !OffersStencilBits(combination, FormatStencilBits(depthFormat))) {
        return false;
    }
    if (rules.refreshRate == Keep &&
        !AdapterHasModeOfRefresh(combination, wished.FullScreen_RefreshRateInHz)) {
        return false;
    }
    if (rules.presentInterval == Keep &&
        !combination.presentIntervals.Contains(wished.PresentationInterval)) {
        return false;
    }
    return true;
}

// Each addition is a single-precision operation, so the running score is
// rounded to float after every term, as the weights were tuned for.
float RankCombination(const SettingsCombination& combination, const DeviceSettings& optimal,
                      const D3DDISPLAYMODE& desktopMode) {
    const D3DPRESENT_PARAMETERS& ideal = optimal.presentParams;
    const bool hardware = HasHardwareTransform(combination);
    float score = 0.0f;

    if (combination.adapterOrdinal == optimal.adapterOrdinal) score += 1000.0f;
    if (combination.deviceType == optimal.deviceType) score += 100.0f;
    if (combination.deviceType == D3DDEVTYPE_HAL) score += 0.1f;
    if (SameWindowed(combination.windowed, ideal.Windowed)) score += 10.0f;

    if (combination.adapterFormat == optimal.adapterFormat) {
        score += 1.0f;
    } else {
        score += FormatSimilarity(combination.adapterFormat, optimal.adapterFormat);
    }
    if (!combination.windowed &&
        combination.adapterFormat == FullscreenFormatFor(desktopMode.Format)) {
        score += 0.1f;
    }

    if ((optimal.behaviorFlags &
         (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING)) &&
        hardware) {
        score += 1.0f;
    }
    if (hardware) score += 0.1f;

    if (AdapterHasModeOfSize(combination, ideal.BackBufferWidth, ideal.BackBufferHeight)) {
        score += 1.0f;
    }

    if (combination.backBufferFormat == ideal.BackBufferFormat) {
        score += 1.0f;
    } else {
        score += FormatSimilarity(combination.backBufferFormat, ideal.BackBufferFormat);
    }
    if (combination.adapterFormat == combination.backBufferFormat) score += 0.1f;

    if (OffersMultisample(combination, ideal.MultiSampleType, ideal.MultiSampleQuality)) {
        score += 1.0f;
    }
    if (combination.depthStencilFormats.Contains(ideal.AutoDepthStencilFormat)) score += 1.0f;
    if (AdapterHasModeOfRefresh(combination, ideal.FullScreen_RefreshRateInHz)) score += 1.0f;
    if (combination.presentIntervals.Contains(ideal.PresentationInterval)) score += 1.0f;
    return score;
}

HRESULT FindNearestDisplayMode(const SettingsCombination& combination, const D3DDISPLAYMODE& target,
                               D3DDISPLAYMODE* nearest) {
    *nearest = target;
    if (combination.windowed) return S_OK;
    if (!combination.adapter) return E_FAIL;

    bool found = false;
    unsigned long long bestDistance = 0;
    for (const D3DDISPLAYMODE& mode : combination.adapter->displayModes) {
        if (mode.Format != combination.adapterFormat) continue;
        const unsigned long long distance =
            static_cast<unsigned long long>(Distance(mode.Width, target.Width)) +
            Distance(mode.Height, target.Height);
        if (!found || distance < bestDistance) {
            found = true;
            bestDistance = distance;
            *nearest = mode;
            if (distance == 0) break;
        }
    }
    return found ? S_OK : E_FAIL;
}

DeviceSettings BuildValidSettings(const SettingsCombination& combination,
                                  const DeviceSettings* request, const MatchRules& rules) {
    const D3DDISPLAYMODE desktop = ReadDesktopMode(combination.adapterOrdinal);
    const DeviceSettings none{};
    const DeviceSettings& wish = request ? *request : none;

    DeviceSettings valid{};
    D3DPRESENT_PARAMETERS& params = valid.presentParams;
    valid.behaviorFlags = ChooseBehaviorFlags(combination, wish, rules.vertexProcessing);
    ChooseResolution(combination, wish, rules.resolution, desktop, &params.BackBufferWidth,
                     &params.BackBufferHeight);
    params.BackBufferCount = ChooseBackBufferCount(wish, rules.backBufferCount);
    ChooseMultisample(combination, request, rules.multisample, &params.MultiSampleType,
                      &params.MultiSampleQuality);
    params.SwapEffect = ChooseSwapEffect(wish, rules.swapEffect);

    const D3DFORMAT depthFormat = ChooseDepthStencilFormat(combination, request, rules);
    const bool hasDepth = depthFormat != D3DFMT_UNKNOWN;
    params.AutoDepthStencilFormat = depthFormat;
    params.EnableAutoDepthStencil = hasDepth ? TRUE : FALSE;
    params.Flags = ChoosePresentFlags(wish, rules.presentFlags, hasDepth);
    params.FullScreen_RefreshRateInHz =
        ChooseRefreshRate(combination, wish, rules.refreshRate, desktop, params.BackBufferWidth,
                          params.BackBufferHeight);
    params.PresentationInterval = ChoosePresentInterval(combination, wish, rules.presentInterval);

    valid.adapterOrdinal = combination.adapterOrdinal;
    valid.deviceType = combination.deviceType;
    valid.adapterFormat = combination.adapterFormat;
    params.BackBufferFormat = combination.backBufferFormat;
    FrameworkState& state = GetFrameworkState();
    params.hDeviceWindow =
        combination.windowed ? state.GetWindowedDeviceWindow() : state.GetFullscreenDeviceWindow();
    params.Windowed = combination.windowed;
    return valid;
}

HRESULT FindValidSettings(DeviceSettings* out, const DeviceSettings* request,
                          const MatchRules* rules) {
    if (!out) return E_INVALIDARG;

    DeviceEnumeration* enumeration = GetDeviceEnumeration(false);
    IDirect3D9* direct3d = GetFrameworkState().GetDirect3D();
    const MatchRules effective = EffectiveRules(request, rules);
    // out may alias request: read the request completely before out is written.
    DeviceSettings wish{};
    if (request) wish = *request;
    const DeviceSettings* wished = request ? &wish : nullptr;
    const DeviceSettings optimal = BuildOptimalSettings(wished, effective);

    float bestScore = -1.0f;
    const SettingsCombination* best = nullptr;
    for (EnumeratedAdapter* adapter : enumeration->Adapters()) {
        D3DDISPLAYMODE desktop{};
        if (direct3d) direct3d->GetAdapterDisplayMode(adapter->adapterOrdinal, &desktop);
        for (EnumeratedDeviceType* deviceType : adapter->deviceTypes) {
            for (SettingsCombination* combination : deviceType->combinations) {
                if (combination->windowed && combination->adapterFormat != desktop.Format) {
                    continue;
                }
                if (!MeetsKeptValues(*combination, wished, effective)) continue;
                const float score = RankCombination(*combination, optimal, desktop);
                if (score > bestScore) {
                    bestScore = score;
                    best = combination;
                }
            }
        }
    }
    if (!best) return FWERR_NO_USABLE_DEVICE;

    *out = BuildValidSettings(*best, wished, effective);
    return S_OK;
}
