#include <gtest/gtest.h>

#include "device/device_settings.h"

namespace {

TEST(FormatChannelBits, ColourFormats) {
    EXPECT_EQ(8u, FormatChannelBits(D3DFMT_X8R8G8B8));
    EXPECT_EQ(8u, FormatChannelBits(D3DFMT_A8B8G8R8));
    EXPECT_EQ(5u, FormatChannelBits(D3DFMT_R5G6B5));
    EXPECT_EQ(5u, FormatChannelBits(D3DFMT_A1R5G5B5));
    EXPECT_EQ(4u, FormatChannelBits(D3DFMT_X4R4G4B4));
    EXPECT_EQ(2u, FormatChannelBits(D3DFMT_A8R3G3B2));
    EXPECT_EQ(10u, FormatChannelBits(D3DFMT_A2R10G10B10));
    EXPECT_EQ(16u, FormatChannelBits(D3DFMT_A16B16G16R16));
}

TEST(FormatChannelBits, FormatsWithoutPlainColourChannelsCountZero) {
    EXPECT_EQ(0u, FormatChannelBits(D3DFMT_X8B8G8R8));
    EXPECT_EQ(0u, FormatChannelBits(D3DFMT_A8));
    EXPECT_EQ(0u, FormatChannelBits(D3DFMT_G16R16));
    EXPECT_EQ(0u, FormatChannelBits(D3DFMT_D24S8));
    EXPECT_EQ(0u, FormatChannelBits(D3DFMT_UNKNOWN));
}

TEST(FormatDepthAndStencilBits, DepthStencilFormats) {
    EXPECT_EQ(16u, FormatDepthBits(D3DFMT_D16));
    EXPECT_EQ(16u, FormatDepthBits(D3DFMT_D16_LOCKABLE));
    EXPECT_EQ(32u, FormatDepthBits(D3DFMT_D32));
    EXPECT_EQ(32u, FormatDepthBits(D3DFMT_D32F_LOCKABLE));
    EXPECT_EQ(15u, FormatDepthBits(D3DFMT_D15S1));
    EXPECT_EQ(24u, FormatDepthBits(D3DFMT_D24X4S4));
    EXPECT_EQ(24u, FormatDepthBits(D3DFMT_D24FS8));
    EXPECT_EQ(0u, FormatDepthBits(D3DFMT_X8R8G8B8));
    EXPECT_EQ(1u, FormatStencilBits(D3DFMT_D15S1));
    EXPECT_EQ(8u, FormatStencilBits(D3DFMT_D24S8));
    EXPECT_EQ(8u, FormatStencilBits(D3DFMT_D24FS8));
    EXPECT_EQ(4u, FormatStencilBits(D3DFMT_D24X4S4));
    EXPECT_EQ(0u, FormatStencilBits(D3DFMT_D24X8));
    EXPECT_EQ(0u, FormatStencilBits(D3DFMT_D32));
}

}  // namespace
