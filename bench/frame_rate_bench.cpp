// Frames per second of the real program in each render mode, and of the
// OpenGL floor (the same deferred and classic frames written directly against
// GL) in the same process, on one scene size and light count. Each line of the
// output is one measurement, tab-separated, for tools/bench.sh to tabulate:
//   renderer <the GL renderer's name>
//   frame  <width> <height> <lights> <mode> <frames> <fps> <ms/frame> <thread CPU ms/frame>
//   floor  ... the same for the floor
//   draws  <width> <height> <lights> <mode> <draw calls per frame in the floor>
//   picture <width> <height> <lights> <mode> <largest channel difference>
//           <pixels differing by more than 2> <mean channel value of the program's picture>
// Deferred and Classic are measured in alternating rounds with the floor. The
// exit status is 1 when a picture differs from the floor's, 2 on errors.
//   usage: bench_frame_rate <stage folder> <width> <height> <lights>
//                           [seconds per measurement [rounds [lights [modes]]]]
// lights: "ring" (default: radius 120 on a ring through the room) or "small"
// (radius 25 over the floor and walls), either with "-full-screen" appended
// for point-light quads that cover the whole screen; modes: "all" (default)
// or one mode's name.
#include <GL/glcorearb.h>
#include <d3d9.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "d3d9/device_bridge.h"
#include "renderer/render_resources.h"
#include "support/bench_scene.h"
#include "support/frame_timing.h"
#include "support/opengl_floor.h"
#include "support/program_session.h"
#include "support/render_modes.h"
#include "testing/surfaces.h"

namespace {

using namespace kl::bench;

struct Setup {
    int width = 0, height = 0, lights = 0;
    LightLayout layout = LightLayout::Ring;
    bool fullScreenPointQuads = false;
    std::string modes = "all";
};

void Print(const char* kind, const Setup& s, const char* mode, const FrameTiming& t) {
    std::printf("%s\t%d\t%d\t%d\t%s\t%d\t%.3f\t%.2f\t%.2f\n", kind, s.width, s.height, s.lights,
                mode, t.frames, t.FramesPerSecond(), t.MillisecondsPerFrame(),
                t.CpuMillisecondsPerFrame());
    std::fflush(stdout);
}

void ProgramFrame() {
    RenderProgramFrame();
    kl::d3d9::MakeDeviceContextCurrent(ProgramDevice());
    glFinish();
}

// Compares the program's last frame with the floor's outside the statistics
// text, which only the program draws.
// True when they agree everywhere within 2 of 255 per channel.
bool ComparePictures(const Setup& s, const char* mode, OpenGlFloor& floor) {
    std::vector<uint8_t> ours;
    UINT width = 0, height = 0;
    kl::testing::ReadBackBufferRgba8(ProgramDevice(), &ours, &width, &height);
    const std::vector<uint8_t> theirs = floor.ReadPixels();
    int largest = 0;
    long differing = 0;
    double brightness = 0.0;
    if (ours.size() != theirs.size()) largest = 255, differing = -1;
    for (UINT y = 0; differing >= 0 && y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            if (x < static_cast<UINT>(statsRect.right) && y < static_cast<UINT>(statsRect.bottom))
                continue;
            int pixel = 0;
            for (int c = 0; c < 3; ++c) {
                const size_t i = (static_cast<size_t>(y) * width + x) * 4 + c;
                pixel = std::max(pixel, std::abs(ours[i] - theirs[i]));
                brightness += ours[i];
            }
            largest = std::max(largest, pixel);
            if (pixel > 2) ++differing;
        }
    }
    if (width > 0 && height > 0) brightness /= 3.0 * width * height;
    std::printf("picture\t%d\t%d\t%d\t%s\t%d\t%ld\t%.1f\n", s.width, s.height, s.lights, mode,
                largest, differing, brightness);
    return differing == 0;
}

// The faster of two timings; noise on a shared machine only ever adds time.
FrameTiming Faster(const FrameTiming& a, const FrameTiming& b) {
    if (a.frames == 0) return b;
    return a.MillisecondsPerFrame() <= b.MillisecondsPerFrame() ? a : b;
}

// Every mode of the program; the two the floor draws too are measured in
// alternating rounds with it, and each side keeps its fastest round.
// False when a picture differed from the floor's.
bool MeasureModes(const Setup& s, const TimingBudget& budget, int rounds, OpenGlFloor& floor) {
    bool same = true;
    for (const ModeChoice& mode : kRenderModes) {
        if (s.modes != "all" && s.modes != mode.name) continue;
        SelectMode(mode);
        const bool deferred = mode.mode == RenderMode::Deferred;
        const bool withFloor = deferred || mode.mode == RenderMode::Classic;
        const auto floorFrame = [&] {
            deferred ? floor.DrawDeferredFrame() : floor.DrawClassicFrame();
            floor.Finish();
        };
        FrameTiming ours, theirs;
        for (int round = 0; round < (withFloor ? rounds : 1); ++round) {
            ours = Faster(ours, TimeFrames(ProgramFrame, budget));
            if (withFloor) theirs = Faster(theirs, TimeFrames(floorFrame, budget));
        }
        Print("frame", s, mode.name, ours);
        if (!withFloor) continue;
        Print("floor", s, mode.name, theirs);
        std::printf("draws\t%d\t%d\t%d\t%s\t%d\n", s.width, s.height, s.lights, mode.name,
                    floor.DrawsInLastFrame());
        ProgramFrame();
        same = ComparePictures(s, mode.name, floor) && same;
    }
    return same;
}

int Run(const std::filesystem::path& stage, const Setup& s, const TimingBudget& budget,
        int rounds) {
    std::string error;
    const std::filesystem::path folder =
        MakeBenchScene(stage, s.lights, s.layout, s.fullScreenPointQuads, &error);
    if (folder.empty() || chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "bench_frame_rate: %s\n", error.c_str());
        return 2;
    }
    int status = 0;
    if (StartProgram(s.width, s.height, &error)) {
        std::unique_ptr<OpenGlFloor> floor =
            OpenGlFloor::Create(ProgramDevice(), s.width, s.height, "shaders/DS_prep.fx", &error);
        if (floor) {
            std::printf("renderer\t%s\n", glGetString(GL_RENDERER));
            if (!MeasureModes(s, budget, rounds, *floor)) {
                std::fprintf(stderr,
                             "bench_frame_rate: the program's picture differs from the "
                             "floor's\n");
                status = 1;
            }
        } else {
            std::fprintf(stderr, "bench_frame_rate: the OpenGL floor: %s\n", error.c_str());
            status = 2;
        }
        floor.reset();
        StopProgram();
    } else {
        std::fprintf(stderr, "bench_frame_rate: %s\n", error.c_str());
        status = 2;
    }
    std::filesystem::remove_all(folder);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: %s <stage folder> <width> <height> <lights> [seconds per measurement "
                     "[rounds [ring|small[-full-screen] [all|<mode>]]]]\n",
                     argv[0]);
        return 2;
    }
    const std::filesystem::path stage = std::filesystem::absolute(argv[1]);
    Setup setup;
    setup.width = std::atoi(argv[2]);
    setup.height = std::atoi(argv[3]);
    setup.lights = std::atoi(argv[4]);
    if (setup.width <= 0 || setup.height <= 0 || setup.lights <= 0) {
        std::fprintf(stderr, "%s: width, height and lights must be positive\n", argv[0]);
        return 2;
    }
    TimingBudget budget;
    if (argc > 5) budget.minSeconds = std::atof(argv[5]);
    const int rounds = argc > 6 ? std::max(1, std::atoi(argv[6])) : 3;
    std::string layout = argc > 7 ? argv[7] : "ring";
    const std::string fullScreen = "-full-screen";
    if (layout.size() > fullScreen.size() &&
        layout.compare(layout.size() - fullScreen.size(), fullScreen.size(), fullScreen) == 0) {
        setup.fullScreenPointQuads = true;
        layout.resize(layout.size() - fullScreen.size());
    }
    if (layout != "ring" && layout != "small") {
        std::fprintf(stderr, "%s: lights must be ring or small, optionally with -full-screen\n",
                     argv[0]);
        return 2;
    }
    setup.layout = layout == "small" ? LightLayout::Small : LightLayout::Ring;
    if (argc > 8) setup.modes = argv[8];
    bool known = setup.modes == "all";
    for (const ModeChoice& mode : kRenderModes) known = known || setup.modes == mode.name;
    if (!known) {
        std::fprintf(stderr, "%s: unknown mode %s\n", argv[0], setup.modes.c_str());
        return 2;
    }
    return Run(stage, setup, budget, rounds);
}
