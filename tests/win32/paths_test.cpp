// Windows paths on the Linux file system.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "common/paths.h"

namespace {

using kl::platform::ResolvePlatformPath;

class PlatformPaths : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kl_paths_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        ASSERT_EQ(mkdir((root_ + "/Media").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((root_ + "/Media/Textures").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((root_ + "/Caf\xC3\xA9").c_str(), 0755), 0);
        std::ofstream(root_ + "/Media/Textures/Stone.PNG") << "png";
    }

    std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

    std::string root_;
};

TEST_F(PlatformPaths, BackslashesBecomeSlashesAndExactPathsStay) {
    EXPECT_EQ(ResolvePlatformPath(Wide(root_ + "\\Media\\Textures\\Stone.PNG").c_str()),
              root_ + "/Media/Textures/Stone.PNG");
    EXPECT_EQ(ResolvePlatformPath(nullptr), "");
}

TEST_F(PlatformPaths, ComponentsMatchIgnoringCase) {
    EXPECT_EQ(ResolvePlatformPath(Wide(root_ + "\\media\\TEXTURES\\stone.png").c_str()),
              root_ + "/Media/Textures/Stone.PNG");
    EXPECT_EQ(ResolvePlatformPath((Wide(root_) + L"/CAF\u00C9").c_str()), root_ + "/Caf\xC3\xA9");
}

TEST_F(PlatformPaths, MissingComponentsAreKeptAsWritten) {
    EXPECT_EQ(ResolvePlatformPath(Wide(root_ + "\\MEDIA\\Missing\\x.png").c_str()),
              root_ + "/Media/Missing/x.png");
}

TEST_F(PlatformPaths, RelativePathsResolveFromTheWorkingDirectory) {
    ASSERT_EQ(chdir(root_.c_str()), 0);
    EXPECT_EQ(ResolvePlatformPath(L"media\\textures\\STONE.png"), "Media/Textures/Stone.PNG");
    EXPECT_EQ(ResolvePlatformPath(L".\\MEDIA\\..\\media"), "./Media/../Media");
}

}  // namespace
