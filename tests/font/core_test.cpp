// D3DX core objects: the version check and buffers.
#include <d3dx9.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CoreVersion, AcceptsExactlyTheVersionsThisLibraryImplements) {
    EXPECT_TRUE(D3DXCheckVersion(32, 27));
    EXPECT_TRUE(D3DXCheckVersion(D3D_SDK_VERSION, D3DX_SDK_VERSION));
    EXPECT_FALSE(D3DXCheckVersion(31, 27));
    EXPECT_FALSE(D3DXCheckVersion(32, 26));
    EXPECT_FALSE(D3DXCheckVersion(32, 28));
    EXPECT_FALSE(D3DXCheckVersion(0, 0));
    EXPECT_FALSE(D3DXCheckVersion(27, 32));
}

TEST(CoreBuffer, HoldsZeroedWritableBytesUntilTheLastRelease) {
    ID3DXBuffer* buffer = nullptr;
    ASSERT_EQ(D3DXCreateBuffer(64, &buffer), S_OK);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->GetBufferSize(), 64u);
    auto* bytes = static_cast<unsigned char*>(buffer->GetBufferPointer());
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
    std::memset(bytes, 0xAB, 64);
    EXPECT_EQ(bytes[63], 0xAB);

    EXPECT_EQ(buffer->AddRef(), 2u);
    EXPECT_EQ(buffer->Release(), 1u);
    EXPECT_EQ(buffer->Release(), 0u);
}

TEST(CoreBuffer, RejectsMissingOutputAndAllowsEmptyBuffers) {
    EXPECT_EQ(D3DXCreateBuffer(16, nullptr), D3DERR_INVALIDCALL);
    ID3DXBuffer* buffer = nullptr;
    ASSERT_EQ(D3DXCreateBuffer(0, &buffer), S_OK);
    EXPECT_EQ(buffer->GetBufferSize(), 0u);
    EXPECT_EQ(buffer->Release(), 0u);
}

}  // namespace
