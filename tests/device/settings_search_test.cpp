#include "device/settings_search.h"

#include <gtest/gtest.h>

#include "device_test_support.h"
#include "framework/error_display.h"

using namespace kl::fake;

namespace {

const HWND kWindowedWindow = reinterpret_cast<HWND>(0x1000);
const HWND kFullscreenWindow = reinterpret_cast<HWND>(0x2000);

void UseHardware(const Hardware& hardware) {
    InstallDirect3D(hardware);
    GetFrameworkState().SetWindowedDeviceWindow(kWindowedWindow);
    GetFrameworkState().SetFullscreenDeviceWindow(kFullscreenWindow);
    GetDeviceEnumeration(true);
}

MatchRules AllFree() {
    return MatchRules{};
}

DeviceSettings WindowedRequest() {
    DeviceSettings request{};
    request.presentParams.Windowed = TRUE;
    request.presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    return request;
}

SettingsCombination* Combination(D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                                 BOOL windowed) {
    return GetDeviceEnumeration(false)->FindCombination(0, D3DDEVTYPE_HAL, adapterFormat,
                                                        backBufferFormat, windowed);
}

}  // namespace

TEST(SettingsSearch, NoRequestOnAnX8R8G8B8DesktopGivesTheDefaultWindowedDevice) {
    UseHardware(OneAdapter(StandardAdapter()));
    DeviceSettings found{};
    ASSERT_EQ(FindValidSettings(&found, nullptr, nullptr), S_OK);

    const D3DPRESENT_PARAMETERS& params = found.presentParams;
    EXPECT_EQ(found.adapterOrdinal, 0u);
    EXPECT_EQ(found.deviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(found.adapterFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(found.behaviorFlags, static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING));
    EXPECT_EQ(params.Windowed, TRUE);
    EXPECT_EQ(params.BackBufferWidth, 640u);
    EXPECT_EQ(params.BackBufferHeight, 480u);
    EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(params.BackBufferCount, 2u);
    EXPECT_EQ(params.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(params.MultiSampleQuality, 0u);
    EXPECT_EQ(params.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(params.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(params.AutoDepthStencilFormat, D3DFMT_D32);
    EXPECT_EQ(params.Flags, static_cast<DWORD>(D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL));
    EXPECT_EQ(params.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(params.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_DEFAULT));
    EXPECT_EQ(params.hDeviceWindow, kWindowedWindow);
}

TEST(SettingsSearch, RanksTheDefaultCandidatesByTheirWeights) {
    UseHardware(OneAdapter(StandardAdapter()));
    const MatchRules rules = AllFree();
    const DeviceSettings optimal = BuildOptimalSettings(nullptr, rules);
    const D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
    // Windowed X8R8G8B8: 1000 + 100 + 0.1 (HAL) + 10 + 1 (adapter format) + 1 (hardware
    // vertex processing wanted) + 0.1 (has it) + 1 (640x480 mode) + 1 (back buffer)
    // + 0.1 (same formats) + 1 (multisample) + 1 (D32) + 1 (interval); no mode at 0 Hz.
    EXPECT_NEAR(
        RankCombination(*Combination(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), optimal, desktop),
        1117.3f, 1e-3);
    // A8R8G8B8 back buffer: 0.9 - 0.2 * 0 instead of 1, and no same-format bonus.
    EXPECT_NEAR(
        RankCombination(*Combination(D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, TRUE), optimal, desktop),
        1117.1f, 1e-3);
    // Fullscreen: no 10 for windowed, 0.1 for the desktop's format.
    EXPECT_NEAR(
        RankCombination(*Combination(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE), optimal, desktop),
        1107.4f, 1e-3);
}

TEST(SettingsSearch, WithoutD32TheDefaultDepthIsD24X8) {
    FakeAdapter adapter = StandardAdapter();
    adapter.depthFormats = {D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8};
    UseHardware(OneAdapter(adapter));
    DeviceSettings found{};
    ASSERT_EQ(FindValidSettings(&found, nullptr, nullptr), S_OK);
    // Target 32 bits: D16 ranks 16, D24X8 8, D24S8 8 + 8 stencil = 16.
    EXPECT_EQ(found.presentParams.AutoDepthStencilFormat, D3DFMT_D24X8);
}

TEST(SettingsSearch, FiveBitBackBufferAimsAtTwentyDepthBits) {
    struct Case {
        std::vector<D3DFORMAT> listed;
        D3DFORMAT expected;
    };
    // D16 4, D15S1 5 + 1 = 6, D24X8 4, D24S8 4 + 8 = 12.
    const Case cases[] = {{{D3DFMT_D16, D3DFMT_D15S1, D3DFMT_D24X8, D3DFMT_D24S8}, D3DFMT_D16},
                          {{D3DFMT_D15S1, D3DFMT_D24X8}, D3DFMT_D24X8},
                          {{D3DFMT_D15S1, D3DFMT_D24S8}, D3DFMT_D15S1}};
    for (const Case& c : cases) {
        FakeAdapter adapter = StandardAdapter();
        adapter.desktop.Format = D3DFMT_R5G6B5;
        adapter.modes = {{640, 480, 60, D3DFMT_R5G6B5}};
        adapter.formatPairs = {{D3DFMT_R5G6B5, D3DFMT_R5G6B5}};
        adapter.depthFormats = c.listed;
        UseHardware(OneAdapter(adapter));
        DeviceSettings found{};
        ASSERT_EQ(FindValidSettings(&found, nullptr, nullptr), S_OK);
        EXPECT_EQ(found.presentParams.BackBufferFormat, D3DFMT_R5G6B5);
        EXPECT_EQ(found.presentParams.AutoDepthStencilFormat, c.expected);
    }
}

TEST(SettingsSearch, WindowedCombinationOutsideTheDesktopFormatIsNeverChosen) {
    FakeAdapter adapter = StandardAdapter();
    adapter.modes = {{640, 480, 60, D3DFMT_R5G6B5}, {1024, 768, 60, D3DFMT_R5G6B5}};
    adapter.formatPairs = {{D3DFMT_R5G6B5, D3DFMT_R5G6B5}};
    UseHardware(OneAdapter(adapter));
    ASSERT_NE(Combination(D3DFMT_R5G6B5, D3DFMT_R5G6B5, TRUE), nullptr);

    DeviceSettings found{};
    ASSERT_EQ(FindValidSettings(&found, nullptr, nullptr), S_OK);
    EXPECT_EQ(found.presentParams.Windowed, FALSE);
    EXPECT_EQ(found.adapterFormat, D3DFMT_R5G6B5);
    // Fullscreen with resolution Free aims at the desktop size and rate.
    EXPECT_EQ(found.presentParams.BackBufferWidth, 1024u);
    EXPECT_EQ(found.presentParams.BackBufferHeight, 768u);
    EXPECT_EQ(found.presentParams.FullScreen_RefreshRateInHz, 60u);
    EXPECT_EQ(found.presentParams.hDeviceWindow, kFullscreenWindow);

    // Keeping windowed leaves nothing.
    DeviceSettings request = WindowedRequest();
    MatchRules rules = AllFree();
    rules.windowed = Keep;
    EXPECT_EQ(FindValidSettings(&found, &request, &rules), FWERR_NO_USABLE_DEVICE);
}

TEST(SettingsSearch, EqualScoresKeepTheEarliestCombination) {
    FakeAdapter adapter = StandardAdapter();
    adapter.desktop.Format = D3DFMT_X1R5G5B5;
    adapter.modes.clear();
    adapter.formatPairs.clear();
    adapter.windowedOnlyPairs = {{D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5},
                                 {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5}};
    UseHardware(OneAdapter(adapter));

    const DeviceSettings optimal = BuildOptimalSettings(nullptr, AllFree());
    const D3DDISPLAYMODE desktop = adapter.desktop;
    const float first =
        RankCombination(*Combination(D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, TRUE), optimal, desktop);
    const float second =
        RankCombination(*Combination(D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, TRUE), optimal, desktop);
    EXPECT_EQ(first, second);

    DeviceSettings found{};
    ASSERT_EQ(FindValidSettings(&found, nullptr, nullptr), S_OK);
    EXPECT_EQ(found.presentParams.BackBufferFormat, D3DFMT_R5G6B5);  // R5G6B5 is tried first
}

TEST(SettingsSearch, NearestFullscreenResolutionAndRefreshRate) {
    FakeAdapter adapter = StandardAdapter();
    adapter.modes.push_back({1024, 768, 85, D3DFMT_X8R8G8B8});
    adapter.modes.push_back({1024, 768, 75, D3DFMT_X8R8G8B8});
    UseHardware(OneAdapter(adapter));

    DeviceSettings settings{};
    settings.presentParams.Windowed = FALSE;
    settings.presentParams.BackBufferWidth = 1000;
    settings.presentParams.BackBufferHeight = 700;
    MatchRules rules = AllFree();
    rules.windowed = Keep;
    rules.resolution = Nearest;
    // Distances 300 (800x600) and 92 (1024x768); the request and the result
    // are the same record.
    ASSERT_EQ(FindValidSettings(&settings, &settings, &rules), S_OK);
    EXPECT_EQ(settings.presentParams.Windowed, FALSE);
    EXPECT_EQ(settings.presentParams.BackBufferWidth, 1024u);
    EXPECT_EQ(settings.presentParams.BackBufferHeight, 768u);
    EXPECT_EQ(settings.presentParams.FullScreen_RefreshRateInHz, 60u);  // the desktop's rate

    // 75 and 85 Hz are both 5 away from 80: the first in sorted order wins.
    settings.presentParams.FullScreen_RefreshRateInHz = 80;
    rules.refreshRate = Nearest;
    ASSERT_EQ(FindValidSettings(&settings, &settings, &rules), S_OK);
    EXPECT_EQ(settings.presentParams.FullScreen_RefreshRateInHz, 75u);

    // No mode runs at 70 Hz.
    settings.presentParams.FullScreen_RefreshRateInHz = 70;
    rules.refreshRate = Keep;
    EXPECT_EQ(FindValidSettings(&settings, &settings, &rules), FWERR_NO_USABLE_DEVICE);
}

TEST(SettingsSearch, MultisampleNearestAndKeep) {
    FakeAdapter adapter = StandardAdapter();
    adapter.multisample = {{D3DMULTISAMPLE_NONE, 1},
                           {D3DMULTISAMPLE_2_SAMPLES, 4},
                           {D3DMULTISAMPLE_4_SAMPLES, 3},
                           {D3DMULTISAMPLE_8_SAMPLES, 2}};
    UseHardware(OneAdapter(adapter));

    DeviceSettings request = WindowedRequest();
    request.presentParams.MultiSampleType = D3DMULTISAMPLE_6_SAMPLES;
    request.presentParams.MultiSampleQuality = 5;
    MatchRules rules = AllFree();
    rules.multisample = Nearest;
    DeviceSettings found{};
    ASSERT_EQ(FindValidSettings(&found, &request, &rules), S_OK);
    // 4 is reached first at distance 2; 8 at the same distance does not
    // replace it. Quality: 3 levels - 1 = 2 is below the requested 5.
    EXPECT_EQ(found.presentParams.MultiSampleType, D3DMULTISAMPLE_4_SAMPLES);
    EXPECT_EQ(found.presentParams.MultiSampleQuality, 2u);

    request.presentParams.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    request.presentParams.MultiSampleQuality = 3;
    rules.multisample = Keep;
    EXPECT_EQ(FindValidSettings(&found, &request, &rules), FWERR_NO_USABLE_DEVICE);
    request.presentParams.MultiSampleQuality = 2;
    ASSERT_EQ(FindValidSettings(&found, &request, &rules), S_OK);
    EXPECT_EQ(found.presentParams.MultiSampleType, D3DMULTISAMPLE_4_SAMPLES);
    EXPECT_EQ(found.presentParams.MultiSampleQuality, 2u);

    // A copy swap effect cannot be multisampled, whatever the rule.
    request.presentParams.SwapEffect = D3DSWAPEFFECT_COPY;
    ASSERT_EQ(FindValidSettings(&found, &request, &rules), S_OK);
    EXPECT_EQ(found.presentParams.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(found.presentParams.MultiSampleQuality, 0u);
}

TEST(SettingsSearch, NearestCountsSwapEffectsFlagsAndIntervals) {
    UseHardware(OneAdapter(StandardAdapter()));
    MatchRules rules = AllFree();
    rules.backBufferCount = Nearest;
    rules.swapEffect = Nearest;
    rules.presentFlags = Nearest;
    rules.presentInterval = Nearest;

    DeviceSettings request = WindowedRequest();
    request.presentParams.BackBufferCount = 7;
    request.presentParams.SwapEffect = static_cast<D3DSWAPEFFECT>(9);
    request.presentParams.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
    request.presentParams.PresentationInterval = D3DPRESENT_INTERVAL_TWO;
    DeviceSettings found{};
    ASSERT_EQ(FindValidSettings(&found, &request, &rules), S_OK);
    EXPECT_EQ(found.presentParams.BackBufferCount, 3u);
    EXPECT_EQ(found.presentParams.SwapEffect, D3DSWAPEFFECT_DISCARD);
    // The depth flag is set once, not added to a request that has it.
    EXPECT_EQ(found.presentParams.Flags, static_cast<DWORD>(D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL));
    // A windowed combination never lists TWO.
    EXPECT_EQ(found.presentParams.PresentationInterval,
              static_cast<UINT>(D3DPRESENT_INTERVAL_DEFAULT));

    request.presentParams.BackBufferCount = 0;
    request.presentParams.SwapEffect = D3DSWAPEFFECT_FLIP;
    request.presentParams.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    request.presentParams.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    ASSERT_EQ(FindValidSettings(&found, &request, &rules), S_OK);
    EXPECT_EQ(found.presentParams.BackBufferCount, 1u);
    EXPECT_EQ(found.presentParams.SwapEffect, D3DSWAPEFFECT_FLIP);
    EXPECT_EQ(found.presentParams.Flags, static_cast<DWORD>(D3DPRESENTFLAG_LOCKABLE_BACKBUFFER |
                                                            D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL));
    EXPECT_EQ(found.presentParams.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_ONE));
}

TEST(SettingsSearch, VertexProcessingFollowsHardwareTransformAndLighting) {
    FakeAdapter adapter = StandardAdapter();
    adapter.types[0].devCaps = 0;
    UseHardware(OneAdapter(adapter));

    DeviceSettings found{};
    ASSERT_EQ(FindValidSettings(&found, nullptr, nullptr), S_OK);
    EXPECT_EQ(found.behaviorFlags, static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));

    DeviceSettings request = WindowedRequest();
    request.behaviorFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED;
    MatchRules rules = AllFree();
    rules.vertexProcessing = Nearest;
    ASSERT_EQ(FindValidSettings(&found, &request, &rules), S_OK);
    EXPECT_EQ(found.behaviorFlags,
              static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED));

    request.behaviorFlags = D3DCREATE_MULTITHREADED;  // no processing bit: one is added
    ASSERT_EQ(FindValidSettings(&found, &request, &rules), S_OK);
    EXPECT_EQ(found.behaviorFlags,
              static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED));

    request.behaviorFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    rules.vertexProcessing = Keep;
    EXPECT_EQ(FindValidSettings(&found, &request, &rules), FWERR_NO_USABLE_DEVICE);
}

TEST(SettingsSearch, KeptDepthAndStencilFormats) {
    FakeAdapter adapter = StandardAdapter();
    adapter.depthFormats = {D3DFMT_D24X8, D3DFMT_D32};
    UseHardware(OneAdapter(adapter));

    DeviceSettings request = WindowedRequest();
    request.presentParams.AutoDepthStencilFormat = D3DFMT_D24S8;
    MatchRules rules = AllFree();
    rules.depthFormat = Keep;
    DeviceSettings found{};
    // Same depth bits suffice; D24X8 ranks 0 (depth exact, stencil Free adds 0).
    ASSERT_EQ(FindValidSettings(&found, &request, &rules), S_OK);
    EXPECT_EQ(found.presentParams.AutoDepthStencilFormat, D3DFMT_D24X8);

    // Keeping the stencil too needs that exact format.
    rules.stencilFormat = Keep;
    EXPECT_EQ(FindValidSettings(&found, &request, &rules), FWERR_NO_USABLE_DEVICE);
}

TEST(SettingsSearch, AdapterOrdinalDominatesAndCanBeKept) {
    Hardware hardware;
    hardware.adapters = {StandardAdapter(), StandardAdapter()};
    UseHardware(hardware);

    DeviceSettings found{};
    ASSERT_EQ(FindValidSettings(&found, nullptr, nullptr), S_OK);
    EXPECT_EQ(found.adapterOrdinal, 0u);

    DeviceSettings request = WindowedRequest();
    request.adapterOrdinal = 1;
    MatchRules rules = AllFree();
    rules.adapterOrdinal = Keep;
    ASSERT_EQ(FindValidSettings(&found, &request, &rules), S_OK);
    EXPECT_EQ(found.adapterOrdinal, 1u);

    request.adapterOrdinal = 2;
    EXPECT_EQ(FindValidSettings(&found, &request, &rules), FWERR_NO_USABLE_DEVICE);
}

TEST(SettingsSearch, RefusesAMissingOutputAndAnEmptyEnumeration) {
    UseHardware(Hardware{});
    DeviceSettings found{};
    found.adapterOrdinal = 7;
    EXPECT_EQ(FindValidSettings(nullptr, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(FindValidSettings(&found, nullptr, nullptr), FWERR_NO_USABLE_DEVICE);
    EXPECT_EQ(found.adapterOrdinal, 7u);  // left untouched
}

TEST(SettingsSearch, NearestDisplayModeScansOnlyTheCombinationsFormat) {
    FakeAdapter adapter = StandardAdapter();
    adapter.modes.push_back({1000, 700, 60, D3DFMT_R5G6B5});
    adapter.formatPairs.push_back({D3DFMT_R5G6B5, D3DFMT_R5G6B5});
    UseHardware(OneAdapter(adapter));

    const D3DDISPLAYMODE target{1000, 700, 75, D3DFMT_X8R8G8B8};
    D3DDISPLAYMODE nearest{};
    ASSERT_EQ(FindNearestDisplayMode(*Combination(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE), target,
                                     &nearest),
              S_OK);
    EXPECT_EQ(nearest.Width, 1024u);  // the R5G6B5 mode of exactly 1000x700 does not count
    EXPECT_EQ(nearest.Height, 768u);

    // Windowed: the target itself.
    ASSERT_EQ(FindNearestDisplayMode(*Combination(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), target,
                                     &nearest),
              S_OK);
    EXPECT_EQ(nearest.Width, 1000u);
    EXPECT_EQ(nearest.RefreshRate, 75u);

    // An adapter without modes of the format leaves the target unchanged.
    SettingsCombination orphan;
    orphan.adapterFormat = D3DFMT_A2R10G10B10;
    orphan.adapter = GetDeviceEnumeration(false)->FindAdapter(0);
    EXPECT_EQ(FindNearestDisplayMode(orphan, target, &nearest), E_FAIL);
    EXPECT_EQ(nearest.Width, 1000u);
    EXPECT_EQ(nearest.Height, 700u);
}
