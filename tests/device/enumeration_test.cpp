#include "device/device_enumeration.h"

#include <gtest/gtest.h>

#include <vector>

#include "device_test_support.h"
#include "framework/error_display.h"

using namespace kl::fake;

namespace {

std::vector<D3DFORMAT> ToVector(const GrowableArray<D3DFORMAT>& list) {
    return std::vector<D3DFORMAT>(list.begin(), list.end());
}
std::vector<UINT> ToVector(const GrowableArray<UINT>& list) {
    return std::vector<UINT>(list.begin(), list.end());
}

struct AcceptLog {
    std::vector<std::pair<D3DFORMAT, bool>> asked;
    bool acceptFullscreen = true;
};

bool CALLBACK RecordingAccept(D3DCAPS9* caps, D3DFORMAT, D3DFORMAT backBufferFormat, bool windowed,
                              void* context) {
    AcceptLog* log = static_cast<AcceptLog*>(context);
    EXPECT_EQ(caps->DeviceType, D3DDEVTYPE_HAL);
    log->asked.push_back({backBufferFormat, windowed});
    return windowed || log->acceptFullscreen;
}

}  // namespace

TEST(DeviceEnumeration, ListsCombinationsInDiscoveryOrderWithTheirFormats) {
    FakeAdapter adapter = StandardAdapter();
    adapter.types[0].presentationIntervals =
        D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_TWO | D3DPRESENT_INTERVAL_IMMEDIATE;
    FakeDirect3D* direct3d = InstallDirect3D(OneAdapter(adapter));

    DeviceEnumeration enumeration;
    ASSERT_EQ(enumeration.Enumerate(direct3d, nullptr, nullptr), S_OK);
    ASSERT_EQ(enumeration.Adapters().GetSize(), 1);
    EnumeratedAdapter* found = enumeration.Adapters()[0];
    ASSERT_EQ(found->deviceTypes.GetSize(), 1);
    EnumeratedDeviceType* hal = found->deviceTypes[0];
    EXPECT_EQ(hal->deviceType, D3DDEVTYPE_HAL);

    // A8R8G8B8 comes before X8R8G8B8, fullscreen before windowed.
    ASSERT_EQ(hal->combinations.GetSize(), 4);
    const D3DFORMAT expectedBackBuffers[] = {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8,
                                             D3DFMT_X8R8G8B8};
    for (int i = 0; i < 4; ++i) {
        SettingsCombination* combination = hal->combinations[i];
        EXPECT_EQ(combination->adapterFormat, D3DFMT_X8R8G8B8);
        EXPECT_EQ(combination->backBufferFormat, expectedBackBuffers[i]);
        EXPECT_EQ(combination->windowed, i % 2 == 1 ? TRUE : FALSE);
        EXPECT_EQ(combination->adapter, found);
        EXPECT_EQ(combination->deviceTypeRecord, hal);
        EXPECT_EQ(ToVector(combination->depthStencilFormats),
                  (std::vector<D3DFORMAT>{D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32}));
        ASSERT_EQ(combination->multisampleTypes.GetSize(), 1);
        EXPECT_EQ(combination->multisampleQualityCounts[0], 1u);
    }
    // TWO is offered by the caps but never listed for a windowed combination;
    // DEFAULT is always listed.
    EXPECT_EQ(ToVector(hal->combinations[0]->presentIntervals),
              (std::vector<UINT>{D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_DEFAULT,
                                 D3DPRESENT_INTERVAL_ONE, D3DPRESENT_INTERVAL_TWO}));
    EXPECT_EQ(ToVector(hal->combinations[1]->presentIntervals),
              (std::vector<UINT>{D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_DEFAULT,
                                 D3DPRESENT_INTERVAL_ONE}));

    EXPECT_EQ(enumeration.FindAdapter(0), found);
    EXPECT_EQ(enumeration.FindAdapter(1), nullptr);
    EXPECT_EQ(enumeration.FindDeviceType(0, D3DDEVTYPE_HAL), hal);
    EXPECT_EQ(enumeration.FindDeviceType(0, D3DDEVTYPE_REF), nullptr);
    EXPECT_EQ(
        enumeration.FindCombination(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE),
        hal->combinations[3]);
    EXPECT_EQ(
        enumeration.FindCombination(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE),
        hal->combinations[2]);
    EXPECT_EQ(enumeration.FindCombination(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, TRUE),
              nullptr);
}

TEST(DeviceEnumeration, FiltersAndSortsDisplayModes) {
    FakeAdapter adapter = StandardAdapter();
    adapter.modes = {{800, 600, 75, D3DFMT_X8R8G8B8},   {800, 600, 60, D3DFMT_X8R8G8B8},
                     {320, 240, 60, D3DFMT_X8R8G8B8},   {640, 400, 60, D3DFMT_X8R8G8B8},
                     {640, 480, 60, D3DFMT_X8R8G8B8},   {800, 600, 60, D3DFMT_R5G6B5},
                     {640, 480, 60, D3DFMT_A2R10G10B10}};
    FakeDirect3D* direct3d = InstallDirect3D(OneAdapter(adapter));

    DeviceEnumeration enumeration;
    ASSERT_EQ(enumeration.Enumerate(direct3d, nullptr, nullptr), S_OK);
    const GrowableArray<D3DDISPLAYMODE>& modes = enumeration.Adapters()[0]->displayModes;
    // 320x240 and 640x400 are below the 640x480 minimum. Width, height, then
    // format (X8R8G8B8 22 < R5G6B5 23), then refresh rate.
    ASSERT_EQ(modes.GetSize(), 5);
    const UINT expected[][4] = {{640, 480, 22, 60},
                                {640, 480, 35, 60},
                                {800, 600, 22, 60},
                                {800, 600, 22, 75},
                                {800, 600, 23, 60}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(modes[i].Width, expected[i][0]) << i;
        EXPECT_EQ(modes[i].Height, expected[i][1]) << i;
        EXPECT_EQ(static_cast<UINT>(modes[i].Format), expected[i][2]) << i;
        EXPECT_EQ(modes[i].RefreshRate, expected[i][3]) << i;
    }
}

TEST(DeviceEnumeration, DisplayFormatsComeInCandidateOrderWithTheDesktopFormatLast) {
    FakeAdapter adapter = StandardAdapter();
    adapter.desktop.Format = D3DFMT_A2R10G10B10;
    adapter.modes = {{800, 600, 60, D3DFMT_R5G6B5}, {800, 600, 60, D3DFMT_X8R8G8B8}};
    adapter.formatPairs = {{D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},
                           {D3DFMT_R5G6B5, D3DFMT_R5G6B5},
                           {D3DFMT_A2R10G10B10, D3DFMT_A2R10G10B10}};
    FakeDirect3D* direct3d = InstallDirect3D(OneAdapter(adapter));

    DeviceEnumeration enumeration;
    ASSERT_EQ(enumeration.Enumerate(direct3d, nullptr, nullptr), S_OK);
    const auto& combinations = enumeration.Adapters()[0]->deviceTypes[0]->combinations;
    ASSERT_EQ(combinations.GetSize(), 6);
    EXPECT_EQ(combinations[0]->adapterFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(combinations[2]->adapterFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(combinations[4]->adapterFormat, D3DFMT_A2R10G10B10);
}

TEST(DeviceEnumeration, AdapterWithOnlySmallModesGetsOnlyWindowedCombinations) {
    FakeAdapter adapter = StandardAdapter();
    adapter.desktop = {512, 384, 60, D3DFMT_X8R8G8B8};
    adapter.modes = {{320, 240, 60, D3DFMT_X8R8G8B8}, {512, 384, 60, D3DFMT_X8R8G8B8}};
    FakeDirect3D* direct3d = InstallDirect3D(OneAdapter(adapter));

    DeviceEnumeration enumeration;
    ASSERT_EQ(enumeration.Enumerate(direct3d, nullptr, nullptr), S_OK);
    ASSERT_EQ(enumeration.Adapters().GetSize(), 1);
    EXPECT_EQ(enumeration.Adapters()[0]->displayModes.GetSize(), 0);
    const auto& combinations = enumeration.Adapters()[0]->deviceTypes[0]->combinations;
    ASSERT_EQ(combinations.GetSize(), 2);
    for (SettingsCombination* combination : combinations) {
        EXPECT_EQ(combination->windowed, TRUE);
        EXPECT_EQ(combination->adapterFormat, D3DFMT_X8R8G8B8);
    }
}

TEST(DeviceEnumeration, FormatWithoutBlendingIsNeverListedNorOfferedToTheCallback) {
    FakeAdapter adapter = StandardAdapter();
    adapter.withoutBlending = {D3DFMT_A8R8G8B8};
    FakeDirect3D* direct3d = InstallDirect3D(OneAdapter(adapter));

    AcceptLog log;
    DeviceEnumeration enumeration;
    ASSERT_EQ(enumeration.Enumerate(direct3d, RecordingAccept, &log), S_OK);
    const auto& combinations = enumeration.Adapters()[0]->deviceTypes[0]->combinations;
    ASSERT_EQ(combinations.GetSize(), 2);
    for (SettingsCombination* combination : combinations) {
        EXPECT_EQ(combination->backBufferFormat, D3DFMT_X8R8G8B8);
    }
    ASSERT_EQ(log.asked.size(), 2u);
    EXPECT_EQ(log.asked[0], std::make_pair(D3DFMT_X8R8G8B8, false));
    EXPECT_EQ(log.asked[1], std::make_pair(D3DFMT_X8R8G8B8, true));
}

TEST(DeviceEnumeration, TheCallbackVetoesCombinations) {
    FakeDirect3D* direct3d = InstallDirect3D(OneAdapter(StandardAdapter()));
    AcceptLog log;
    log.acceptFullscreen = false;
    DeviceEnumeration enumeration;
    ASSERT_EQ(enumeration.Enumerate(direct3d, RecordingAccept, &log), S_OK);
    EXPECT_EQ(log.asked.size(), 4u);
    const auto& combinations = enumeration.Adapters()[0]->deviceTypes[0]->combinations;
    ASSERT_EQ(combinations.GetSize(), 2);
    EXPECT_EQ(combinations[0]->windowed, TRUE);
    EXPECT_EQ(combinations[1]->windowed, TRUE);
}

TEST(DeviceEnumeration, CapsQualityCountsRecordsConflictsAndDropsFormatsWithoutMultisampling) {
    FakeAdapter adapter = StandardAdapter();
    adapter.multisample = {{D3DMULTISAMPLE_NONE, 1},
                           {D3DMULTISAMPLE_NONMASKABLE, 70000},
                           {D3DMULTISAMPLE_4_SAMPLES, 3}};
    adapter.conflicts = {{D3DFMT_D24S8, D3DMULTISAMPLE_4_SAMPLES}};
    adapter.withoutMultisample = {D3DFMT_A8R8G8B8};
    FakeDirect3D* direct3d = InstallDirect3D(OneAdapter(adapter));

    DeviceEnumeration enumeration;
    ASSERT_EQ(enumeration.Enumerate(direct3d, nullptr, nullptr), S_OK);
    const auto& combinations = enumeration.Adapters()[0]->deviceTypes[0]->combinations;
    ASSERT_EQ(combinations.GetSize(), 2);  // no A8R8G8B8: not even NONE works
    SettingsCombination* combination = combinations[0];
    EXPECT_EQ(combination->backBufferFormat, D3DFMT_X8R8G8B8);
    ASSERT_EQ(combination->multisampleTypes.GetSize(), 3);
    EXPECT_EQ(combination->multisampleTypes[1], D3DMULTISAMPLE_NONMASKABLE);
    EXPECT_EQ(combination->multisampleQualityCounts[1], 65536u);
    EXPECT_EQ(combination->multisampleTypes[2], D3DMULTISAMPLE_4_SAMPLES);
    EXPECT_EQ(combination->multisampleQualityCounts[2], 3u);
    ASSERT_EQ(combination->conflicts.GetSize(), 1);
    EXPECT_EQ(combination->conflicts[0].depthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(combination->conflicts[0].multisampleType, D3DMULTISAMPLE_4_SAMPLES);
}

TEST(DeviceEnumeration, TrialDeviceDecidesWhetherADeviceTypeExists) {
    FakeAdapter adapter = StandardAdapter();
    FakeDeviceType ref;
    ref.type = D3DDEVTYPE_REF;
    ref.createResult = D3DERR_OUTOFVIDEOMEMORY;  // says nothing about the type
    FakeDeviceType software;
    software.type = D3DDEVTYPE_SW;
    software.createResult = D3DERR_NOTAVAILABLE;
    adapter.types = {ref, software, FakeDeviceType{}};
    FakeAdapter absent = StandardAdapter();
    absent.types[0].createResult = D3DERR_NOTAVAILABLE;
    Hardware hardware;
    hardware.adapters = {absent, adapter};
    FakeDirect3D* direct3d = InstallDirect3D(hardware);

    DeviceEnumeration enumeration;
    ASSERT_EQ(enumeration.Enumerate(direct3d, nullptr, nullptr), S_OK);
    // Adapter 0 has no usable type and is left out; adapter 1 lists HAL
    // before REF, and no SW.
    ASSERT_EQ(enumeration.Adapters().GetSize(), 1);
    EnumeratedAdapter* found = enumeration.Adapters()[0];
    EXPECT_EQ(found->adapterOrdinal, 1u);
    EXPECT_EQ(enumeration.FindAdapter(1), found);
    ASSERT_EQ(found->deviceTypes.GetSize(), 2);
    EXPECT_EQ(found->deviceTypes[0]->deviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(found->deviceTypes[1]->deviceType, D3DDEVTYPE_REF);
    EXPECT_STREQ(found->identifier.Description, "Synthetic adapter");
}

TEST(DeviceEnumeration, WithoutDirect3DReportsItUnavailable) {
    DeviceEnumeration enumeration;
    EXPECT_EQ(enumeration.Enumerate(nullptr, nullptr, nullptr), FWERR_DIRECT3D_UNAVAILABLE);
    EXPECT_EQ(enumeration.Adapters().GetSize(), 0);
}

TEST(DeviceEnumeration, TheProcessEnumerationIsRebuiltOnlyWhenForced) {
    FakeDirect3D* direct3d = InstallDirect3D(OneAdapter(StandardAdapter()));
    DeviceEnumeration* enumeration = GetDeviceEnumeration(false);
    EXPECT_EQ(GetFrameworkState().GetEnumeration(), enumeration);
    EXPECT_EQ(enumeration->Adapters().GetSize(), 1);

    direct3d->hardware.adapters.push_back(StandardAdapter());
    EXPECT_EQ(GetDeviceEnumeration(false)->Adapters().GetSize(), 1);
    EXPECT_EQ(GetDeviceEnumeration(true)->Adapters().GetSize(), 2);
}
