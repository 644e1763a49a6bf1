// Input scripts and capture selections of the unattended-run settings.
#include <gtest/gtest.h>

#include "platform/common/frame_script.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

using kl::platform::ParseCaptureSelection;
using kl::platform::ParseInputScript;
using kl::platform::ScriptedKey;

TEST(InputScript, PressBecomesDownThenUpOneFrameLater) {
    std::string error;
    const std::vector<ScriptedKey> keys = ParseInputScript("10:press:w; 5:down:LEFT", &error);
    EXPECT_EQ("", error);
    ASSERT_EQ(3u, keys.size());
    EXPECT_EQ(5, keys[0].frame);
    EXPECT_EQ(0x25u, keys[0].virtualKey);
    EXPECT_TRUE(keys[0].down);
    EXPECT_EQ(10, keys[1].frame);
    EXPECT_EQ(static_cast<unsigned>('W'), keys[1].virtualKey);
    EXPECT_TRUE(keys[1].down);
    EXPECT_EQ(11, keys[2].frame);
    EXPECT_FALSE(keys[2].down);
}

TEST(InputScript, LinesCommentsAndNamedKeys) {
    std::string error;
    const auto keys = ParseInputScript("# fly\n1:down:F8\n2:up:prior\n\n3:press:Escape", &error);
    EXPECT_EQ("", error);
    ASSERT_EQ(4u, keys.size());
    EXPECT_EQ(0x77u, keys[0].virtualKey);
    EXPECT_EQ(0x21u, keys[1].virtualKey);
    EXPECT_EQ(0x1Bu, keys[2].virtualKey);
}

TEST(InputScript, MalformedEntriesAreSkippedAndReported) {
    std::string error;
    const auto keys = ParseInputScript("x:down:W;4:jump:W;4:down:NOSUCHKEY;7:up:5", &error);
    EXPECT_NE("", error);
    ASSERT_EQ(1u, keys.size());
    EXPECT_EQ(7, keys[0].frame);
    EXPECT_EQ(static_cast<unsigned>('5'), keys[0].virtualKey);
    EXPECT_EQ(0u, kl::platform::VirtualKeyFromName("F13"));
}

// "@path" reads only regular files of at most 1 MiB: a FIFO would block
// start-up until a writer came and /dev/zero would grow without end.
TEST(InputScript, FilesThatCouldBlockOrNeverEndAreRefused) {
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/kl_script_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    std::string script, error;

    std::ofstream(dir / "keys.txt") << "5:press:W\n";
    ASSERT_TRUE(kl::platform::ReadInputScriptFile((dir / "keys.txt").string(), &script, &error))
        << error;
    EXPECT_EQ(script, "5:press:W\n");

    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(kl::platform::ReadInputScriptFile((dir / "pipe").string(), &script, &error));
    EXPECT_EQ(error, (dir / "pipe").string() + " is not a regular file");
    EXPECT_FALSE(kl::platform::ReadInputScriptFile("/dev/zero", &script, &error));
    EXPECT_EQ(error, "/dev/zero is not a regular file");

    std::ofstream(dir / "big.txt") << std::string(kl::platform::kMaxInputScriptBytes + 1, ';');
    EXPECT_FALSE(kl::platform::ReadInputScriptFile((dir / "big.txt").string(), &script, &error));
    EXPECT_EQ(error, (dir / "big.txt").string() + " is larger than 1 MiB");
    EXPECT_FALSE(kl::platform::ReadInputScriptFile((dir / "missing").string(), &script, &error));
    EXPECT_EQ(error, "cannot read " + (dir / "missing").string());
    EXPECT_EQ(script, "5:press:W\n");  // left as it was by every refusal
    fs::remove_all(dir);
}

TEST(CaptureSelection, ListEveryAndAll) {
    const auto list = ParseCaptureSelection("1, 50,100");
    EXPECT_TRUE(list.Includes(50));
    EXPECT_FALSE(list.Includes(51));
    const auto every = ParseCaptureSelection("every:25");
    EXPECT_TRUE(every.Includes(75));
    EXPECT_FALSE(every.Includes(76));
    EXPECT_TRUE(ParseCaptureSelection("ALL").Includes(3));
    EXPECT_FALSE(ParseCaptureSelection("").Includes(1));
    EXPECT_FALSE(ParseCaptureSelection("every:0").Includes(0));
}

}  // namespace
