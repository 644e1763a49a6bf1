// The real program end to end: the default scene in every render mode, the
// scene errors with their exact texts, the exit codes, the usage and the
// notes on standard error.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "program_run.h"

namespace {

using e2e::Image;
using e2e::ProgramResult;
using e2e::RunProgram;
using e2e::WorkingDirectory;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Keys that put the program in each of the six render modes, one mode per
// 15 frames, and the frame captured at the end of each mode's stretch.
const char* const kModeScript = "16:press:5;31:press:1;46:press:2;61:press:3;76:press:4;91:press:0";
const char* const kModeCaptures = "15,30,45,60,75,90,100";

TEST(Program, DefaultSceneRunsAHundredFramesAndShowsLitGeometryInEveryMode) {
    WorkingDirectory directory;
    const ProgramResult result = RunProgram(
        directory,
        {std::string("KESTRALUNE_INPUT_SCRIPT=") + kModeScript,
         std::string("KESTRALUNE_CAPTURE_FRAMES=") + kModeCaptures,
         "KESTRALUNE_CAPTURE_DIR=captures"},
        {"-quitafterframe:100", "-bogus:3", "stray", "-constantframetime:0.0333", "-width"});
    ASSERT_EQ(0, result.exitCode) << result.errorOutput;
    EXPECT_FALSE(Contains(result.errorOutput, "Error")) << result.errorOutput;
    // Arguments without effect are ignored, each named on standard error;
    // the options around them still apply (the run ended at frame 100).
    for (const char* ignored : {"-bogus:3", "stray", "-width"}) {
        EXPECT_TRUE(Contains(result.errorOutput,
                             std::string("Unrecognized option ignored: ") + ignored + "\n"))
            << result.errorOutput;
    }
    EXPECT_FALSE(Contains(result.errorOutput, "ignored: -quitafterframe")) << result.errorOutput;
    EXPECT_FALSE(Contains(result.errorOutput, "ignored: -constantframetime")) << result.errorOutput;

    const char* const modes[] = {"deferred", "classic", "diffuse",       "specular",
                                 "position", "normal",  "deferred again"};
    const int frames[] = {15, 30, 45, 60, 75, 90, 100};
    for (int i = 0; i < 7; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "captures/frame_%05d.png", frames[i]);
        Image image;
        ASSERT_TRUE(image.Load(directory.Path() / name)) << name;
        EXPECT_EQ(640, image.width);
        EXPECT_EQ(480, image.height);
        // The room fills the view: most of the picture is lit, none of it is
        // a flat clear colour.
        EXPECT_GT(image.LitFraction(24), 0.5) << modes[i];
        EXPECT_GT(image.MeanBrightness(), 20.0) << modes[i];
    }
}

TEST(Program, MissingLightListIsASceneErrorAndExitCodeEight) {
    WorkingDirectory directory;
    directory.Remove("test.lights");
    const ProgramResult result = RunProgram(directory, {}, {"-quitafterframe:5"});
    EXPECT_TRUE(Contains(result.errorOutput, "Kestralune Error!: Can`t open scene lights file!"))
        << result.errorOutput;
    EXPECT_TRUE(Contains(result.errorOutput, "Orvantis: Failed creating Direct3D device objects."))
        << result.errorOutput;
    EXPECT_EQ(8, result.exitCode);
    // One more line says which file was missing and where it was looked for.
    const std::string where = "(working directory: " + directory.Path().string() + ")";
    EXPECT_TRUE(Contains(result.errorOutput, "Could not open \"test.lights\" " + where))
        << result.errorOutput;

    directory.Write("test.lights", "");
    directory.Remove("test.meshs");
    const ProgramResult meshes = RunProgram(directory, {}, {"-quitafterframe:5"});
    EXPECT_TRUE(Contains(meshes.errorOutput, "Kestralune Error!: Can`t open scene meshs file!"));
    EXPECT_TRUE(Contains(meshes.errorOutput, "Could not open \"test.meshs\" " + where))
        << meshes.errorOutput;
    EXPECT_EQ(8, meshes.exitCode);
}

TEST(Program, MeshListOfCommentsOnlyHasNoMeshes) {
    WorkingDirectory directory;
    directory.Write("test.meshs", "! nothing here\n\n! still nothing\n");
    const ProgramResult result = RunProgram(directory, {}, {"-quitafterframe:5"});
    EXPECT_TRUE(Contains(result.errorOutput, "Kestralune Error!: No meshes in scene!"))
        << result.errorOutput;
    EXPECT_EQ(8, result.exitCode);
}

TEST(Program, MissingEffectFileFailsTheResetWithExitCodeNine) {
    WorkingDirectory directory;
    directory.Remove("shaders");
    const ProgramResult result = RunProgram(directory, {}, {"-quitafterframe:5"});
    EXPECT_TRUE(Contains(result.errorOutput, "Orvantis: Failed resetting Direct3D device objects."))
        << result.errorOutput;
    EXPECT_EQ(9, result.exitCode);
    EXPECT_TRUE(Contains(result.errorOutput,
                         "Could not open \"shaders\\DS_prep.fx\", the effect file "
                         "(working directory: " +
                             directory.Path().string() + ")"))
        << result.errorOutput;
}

TEST(Program, HelpPrintsTheUsageAndStartsNothing) {
    WorkingDirectory directory;
    // Started in an empty folder: the usage needs no scene.
    directory.Remove("test.lights");
    directory.Remove("test.meshs");
    for (const char* request : {"--help", "-?", "/?", "-HELP"}) {
        const ProgramResult result = RunProgram(directory, {}, {"-width:320", request}, 60);
        EXPECT_EQ(0, result.exitCode) << request;
        for (const char* part : {"Usage: kestralune", "-quitafterframe:N", "-noerrormsgboxes",
                                 "test.meshs", "test.lights", "shaders\\DS_prep.fx", "Escape quit",
                                 "Alt+Enter", "KESTRALUNE_HEADLESS", "KESTRALUNE_INPUT_SCRIPT"}) {
            EXPECT_TRUE(Contains(result.output, part)) << request << " lacks " << part;
        }
        // Nothing ran: no scene error, no window, nothing ignored.
        EXPECT_EQ("", result.errorOutput) << request;
    }
}

TEST(Program, NoErrorBoxesKeepsTheExitCodesButHidesTheFrameworkBoxes) {
    WorkingDirectory directory;
    directory.Remove("shaders");
    ProgramResult result = RunProgram(directory, {}, {"-noerrormsgboxes", "-quitafterframe:5"});
    EXPECT_EQ(9, result.exitCode);
    EXPECT_FALSE(Contains(result.errorOutput, "Orvantis:")) << result.errorOutput;

    directory.Remove("test.lights");
    result = RunProgram(directory, {}, {"-noerrormsgboxes", "-quitafterframe:5"});
    EXPECT_EQ(8, result.exitCode);
    // The scene's own box is the application's and still shows.
    EXPECT_TRUE(Contains(result.errorOutput, "Kestralune Error!: Can`t open scene lights file!"));
}

TEST(Program, BrokenLightFileIsAWrongScene) {
    WorkingDirectory directory;
    directory.Write("test.lights", "broken.light\n");
    directory.Write("broken.light", "1\n0.5\n0\n");
    const ProgramResult result = RunProgram(directory, {}, {"-quitafterframe:5"});
    EXPECT_TRUE(Contains(result.errorOutput, "Kestralune Error!: Wrong scene!"))
        << result.errorOutput;
    EXPECT_EQ(8, result.exitCode);
}

TEST(Program, RealWindowUnderXvfbRendersTheSamePictureAsHeadless) {
    if (std::system("command -v xvfb-run > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is not installed";
    WorkingDirectory headless;
    ProgramResult result =
        RunProgram(headless, {"KESTRALUNE_CAPTURE_FRAMES=10", "KESTRALUNE_CAPTURE_DIR=captures"},
                   {"-quitafterframe:10", "-constantframetime:0.0333"});
    ASSERT_EQ(0, result.exitCode) << result.errorOutput;

    WorkingDirectory windowed;
    const std::string command =
        "cd '" + windowed.Path().string() +
        "' && KESTRALUNE_CAPTURE_FRAMES=10 KESTRALUNE_CAPTURE_DIR=captures timeout 240 "
        "xvfb-run -a -s '-screen 0 1024x768x24' ./kestralune -quitafterframe:10 "
        "-constantframetime:0.0333 > /dev/null 2> stderr.txt";
    ASSERT_EQ(0, std::system(command.c_str()));

    Image fromHeadless, fromWindow;
    ASSERT_TRUE(fromHeadless.Load(headless.Path() / "captures/frame_00010.png"));
    ASSERT_TRUE(fromWindow.Load(windowed.Path() / "captures/frame_00010.png"));
    ASSERT_EQ(fromHeadless.rgba.size(), fromWindow.rgba.size());
    // Same renderer on both roads: the pictures agree but for rounding; the
    // frame-rate digits in the corner may differ.
    size_t differing = 0;
    for (size_t i = 0; i < fromHeadless.rgba.size(); ++i)
        if (std::abs(fromHeadless.rgba[i] - fromWindow.rgba[i]) > 8) ++differing;
    EXPECT_LT(differing, fromHeadless.rgba.size() / 100);
}

}  // namespace
