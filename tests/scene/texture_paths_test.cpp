// The naming rule that turns a .x file's texture name into four texture paths.
#include "app/texture_paths.h"

#include <string>
#include <cstdint>

#include <gtest/gtest.h>

namespace kl::scene_test {
namespace {

TexturePaths Compose(const std::string& name) {
    TexturePaths paths;
    EXPECT_EQ(ComposeTexturePaths(name.c_str(), &paths), S_OK) << name;
    return paths;
}

TEST(TexturePathsTest, FolderAndDriveAreDroppedAndSuffixesGoBeforeTheExtension) {
    const TexturePaths paths = Compose("C:\\art\\wall.tga");
    EXPECT_EQ(paths.diffuse, L"textures\\wall.tga");
    EXPECT_EQ(paths.alpha, L"textures\\wall_a.tga");
    EXPECT_EQ(paths.bump, L"textures\\wall_b.tga");
    EXPECT_EQ(paths.specular, L"textures\\wall_s.tga");
}

TEST(TexturePathsTest, NameWithoutExtension) {
    const TexturePaths paths = Compose("wall");
    EXPECT_EQ(paths.diffuse, L"textures\\wall");
    EXPECT_EQ(paths.alpha, L"textures\\wall_a");
    EXPECT_EQ(paths.bump, L"textures\\wall_b");
    EXPECT_EQ(paths.specular, L"textures\\wall_s");
}

TEST(TexturePathsTest, ForwardSlashesDriveOnlyAndSeveralDots) {
    EXPECT_EQ(Compose("art/stone/floor.bmp").bump, L"textures\\floor_b.bmp");
    EXPECT_EQ(Compose("D:leaf.tga").alpha, L"textures\\leaf_a.tga");
    EXPECT_EQ(Compose("old.wall.png").specular, L"textures\\old.wall_s.png");
    // A dot in a folder name is not the extension.
    EXPECT_EQ(Compose("v1.2\\wall").diffuse, L"textures\\wall");
}

TEST(TexturePathsTest, BytesWidenOneToOne) {
    EXPECT_EQ(Compose("caf\xE9.bmp").diffuse, std::wstring(L"textures\\caf\u00E9.bmp"));
}

TEST(TexturePathsTest, LongestNamesThatFit) {
    // "textures\" (9) + base + "_a" (2) + ".bmp" (4) = 259 for a base of 244.
    const std::string base(244, 'n');
    const TexturePaths paths = Compose(base + ".bmp");
    EXPECT_EQ(paths.alpha.size(), 259u);
    // A stored name of 259 characters fits when its folders make most of it.
    const std::string longFolder(250, 'f');
    EXPECT_EQ(Compose(longFolder + "\\wall.tga").diffuse, L"textures\\wall.tga");
}

TEST(TexturePathsTest, OverLongNameOrPathFailsAndLeavesTheOutputAlone) {
    TexturePaths paths;
    paths.diffuse = L"unchanged";
    EXPECT_EQ(ComposeTexturePaths((std::string(245, 'n') + ".bmp").c_str(), &paths),
              kTexturePathTooLong);
    EXPECT_EQ(ComposeTexturePaths((std::string(251, 'f') + "\\wall.tga").c_str(), &paths),
              kTexturePathTooLong);
    EXPECT_EQ(ComposeTexturePaths(std::string(5000, 'x').c_str(), &paths), kTexturePathTooLong);
    EXPECT_EQ(paths.diffuse, L"unchanged");
    EXPECT_EQ(static_cast<uint32_t>(kTexturePathTooLong), 0x800700CEu);
}

}  // namespace
}  // namespace kl::scene_test
