// Helpers for scene tests: a fresh working folder per test and the files a
// scene is made of (list files, light files, .x meshes, images).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kl::scene_test {

// Each test runs in a fresh temporary working folder, removed afterwards.
class SceneFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path folder_;

private:
    std::filesystem::path previous_;
};

// Writes the bytes as they are (no line-break translation); creates folders.
void WriteFile(const std::string& path, const std::string& bytes);

// A 24-bit BMP of the given size filled with one colour.
std::string SolidBmp(int width, int height, unsigned char r, unsigned char g, unsigned char b);

// A text .x file with one quad per material (two triangles each). Each
// material names the given texture file, or none where the name is empty.
std::string QuadsXFile(const std::vector<std::string>& textureNames);

// A light file holding the given lines, each ended by a line feed.
std::string Lines(const std::vector<std::string>& lines);

}  // namespace kl::scene_test
