// Long-run checks of the real program, headless, with the process's memory
// watched throughout:
//   frames <count> [<width> <height>]
//       draws that many frames of the default scene, changing render mode
//       every 500 frames, with memory sampled after each round of all six
//       modes; the lowest sample of the second half of the run must not be
//       above the lowest of the first half.
//   device-changes <losses> <resizes>
//       takes the device away and gives it back `losses` times (each a
//       Reset: every render resource released and made again), then resizes
//       the window `resizes` times between two sizes (each a Reset at the new
//       size), drawing a frame after every change. Run it in the ASan build:
//       LeakSanitizer then checks at exit that nothing was left behind.
//   reset-time <count>
//       the cost of one device reset of the default scene at 640x480 in
//       Deferred mode: `count` times, the framework's reset (every render
//       resource released, the device reset, every resource made again,
//       the effect read from its file) and the first frame after it, against
//       an ordinary frame; prints "reset <ms of the reset> <ms of the first
//       frame after it> <ms of an ordinary frame>" per reset and the medians.
// Prints "memory <step> <resident KiB> <heap KiB>" lines and a verdict; the
// exit status is 0 when every check held.
//   usage: bench_long_run_check <stage folder> frames <count> [<width> <height>]
//          bench_long_run_check <stage folder> device-changes <losses> <resizes>
//          bench_long_run_check <stage folder> reset-time <count>
#include <windows.h>
#include <GL/glcorearb.h>
#include <d3d9.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "d3d9/device_bridge.h"
#include "device/device_change.h"
#include "framework/framework_state.h"
#include "support/process_memory.h"
#include "support/program_session.h"
#include "support/render_modes.h"
#include "testing/clock.h"
#include "testing/surfaces.h"

namespace {

using namespace kl::bench;

// Growth allowed after the warm-up: the heap must not grow by more than a
// few allocations' worth; resident memory may move with the driver's caches.
constexpr uint64_t kHeapGrowthAllowed = 1u << 20;
constexpr uint64_t kResidentGrowthAllowed = 16u << 20;

void PrintMemory(const char* step, long index, const ProcessMemory& m) {
    std::printf("memory\t%s %ld\t%llu\t%llu\n", step, index,
                static_cast<unsigned long long>(m.residentBytes >> 10),
                static_cast<unsigned long long>(m.heapBytes >> 10));
    std::fflush(stdout);
}

#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer keeps freed memory in quarantine and has its own heap, so
// neither number means anything there; LeakSanitizer checks at exit instead.
constexpr bool kMemoryJudged = false;
#else
constexpr bool kMemoryJudged = true;
#endif

bool MemoryHeld(const ProcessMemory& baseline, const ProcessMemory& last) {
    if (!kMemoryJudged) {
        std::printf("growth\tnot judged under AddressSanitizer; LeakSanitizer checks at exit\n");
        return true;
    }
    const auto growth = [](uint64_t from, uint64_t to) { return to > from ? to - from : 0; };
    const uint64_t heap = growth(baseline.heapBytes, last.heapBytes);
    const uint64_t resident = growth(baseline.residentBytes, last.residentBytes);
    std::printf("growth\theap %llu KiB (allowed %llu)\tresident %llu KiB (allowed %llu)\n",
                static_cast<unsigned long long>(heap >> 10),
                static_cast<unsigned long long>(kHeapGrowthAllowed >> 10),
                static_cast<unsigned long long>(resident >> 10),
                static_cast<unsigned long long>(kResidentGrowthAllowed >> 10));
    return heap <= kHeapGrowthAllowed && resident <= kResidentGrowthAllowed;
}

// Lets every queued frame finish, so that memory is measured with nothing
// in flight (queued frames hold their state until they are done).
ProcessMemory QuiescentMemory() {
    kl::d3d9::MakeDeviceContextCurrent(ProgramDevice());
    glFinish();
    return MeasureProcessMemory();
}

bool RunFrames(long count, int width, int height) {
    std::string error;
    if (!StartProgram(width, height, &error)) {
        std::fprintf(stderr, "long run: %s\n", error.c_str());
        return false;
    }
    // Memory is sampled at the same point of the cycle of modes: after every
    // round through all six. Even with nothing in flight, llvmpipe's heap
    // swings by several MB from one sample to the next (measured at 160x120,
    // frame by frame: about 1.1 MB more every four frames up to some 6 MB,
    // then back to the same low, with lows that differ between rounds), so a
    // single sample judges the phase of the driver's pools, not a leak. The
    // judge compares the lowest sample of the second half of the run with the
    // lowest of the first half: anything that leaks raises the later low.
    constexpr long kModeLength = 500;
    const long modeRound = kModeLength * static_cast<long>(std::size(kRenderModes));
    const long rounds = count / modeRound;
    const long reportEvery = std::max(1L, rounds / 10);
    std::vector<ProcessMemory> samples;
    for (long frame = 1; frame <= count; ++frame) {
        SelectMode(kRenderModes[((frame - 1) / kModeLength) % std::size(kRenderModes)]);
        RenderProgramFrame();
        if (frame % modeRound != 0) continue;
        const long round = frame / modeRound;
        samples.push_back(QuiescentMemory());
        if (round == 1 || round % reportEvery == 0 || round == rounds)
            PrintMemory("frame", frame, samples.back());
    }
    if (rounds < 2) {
        std::fprintf(stderr, "long run: %ld frames are fewer than two rounds of modes (%ld)\n",
                     count, 2 * modeRound);
        StopProgram();
        return false;
    }
    const auto lowest = [](auto first, auto last) {
        ProcessMemory low = *first;
        for (auto it = first; it != last; ++it) {
            low.heapBytes = std::min(low.heapBytes, it->heapBytes);
            low.residentBytes = std::min(low.residentBytes, it->residentBytes);
        }
        return low;
    };
    const auto middle = samples.begin() + static_cast<long>(samples.size() / 2);
    const ProcessMemory firstHalf = lowest(samples.begin(), middle);
    const ProcessMemory secondHalf = lowest(middle, samples.end());
    PrintMemory("lowest of rounds 1 to", static_cast<long>(samples.size() / 2), firstHalf);
    PrintMemory("lowest of the later rounds to", rounds, secondHalf);
    const bool held = MemoryHeld(firstHalf, secondHalf);
    StopProgram();
    return held;
}

// Client size -> window size for the framework's window style.
void ResizeClient(HWND window, int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
}

bool LoseAndRestore(long index) {
    FrameworkState& state = GetFrameworkState();
    IDirect3DDevice9* device = ProgramDevice();
    kl::testing::ForceDeviceLoss(device);
    RenderProgramFrame();  // Present reports the loss
    const bool lost = state.GetDeviceLost();
    kl::testing::EndForcedDeviceLoss(device);
    RenderProgramFrame();  // Reset, then a whole frame
    if (lost && !state.GetDeviceLost() && ProgramDevice() == device) return true;
    std::fprintf(stderr, "long run: device loss %ld was not %s\n", index,
                 lost ? "recovered" : "noticed");
    return false;
}

bool Resize(long index, int width, int height) {
    ResizeClient(ActiveDeviceWindow(), width, height);
    RenderProgramFrame();
    const D3DSURFACE_DESC& back = GetFrameworkState().GetBackBufferDesc();
    if (back.Width == static_cast<UINT>(width) && back.Height == static_cast<UINT>(height))
        return true;
    std::fprintf(stderr, "long run: resize %ld to %dx%d left a %ux%u back buffer\n", index, width,
                 height, back.Width, back.Height);
    return false;
}

bool RunDeviceChanges(long losses, long resizes) {
    // Sleep (the main loop idles while the device is lost) advances a manual
    // clock instead of waiting.
    kl::testing::UseManualClock();
    std::string error;
    if (!StartProgram(320, 240, &error)) {
        std::fprintf(stderr, "long run: %s\n", error.c_str());
        return false;
    }
    // Warm-up: two losses in each mode and a resize each way, so the
    // driver's pools and caches have seen everything once.
    bool ok = true;
    for (long i = 0; ok && i < 2 * static_cast<long>(std::size(kRenderModes)); ++i) {
        SelectMode(kRenderModes[i % std::size(kRenderModes)]);
        ok = LoseAndRestore(0);
    }
    ok = ok && Resize(0, 400, 300) && Resize(0, 320, 240);
    const ProcessMemory baseline = QuiescentMemory();
    PrintMemory("warm-up", 0, baseline);
    for (long i = 1; ok && i <= losses; ++i) {
        SelectMode(kRenderModes[i % std::size(kRenderModes)]);
        ok = LoseAndRestore(i);
        if (i % std::max(1L, losses / 5) == 0) PrintMemory("loss", i, QuiescentMemory());
    }
    for (long i = 1; ok && i <= resizes; ++i) {
        ok = i % 2 ? Resize(i, 400, 300) : Resize(i, 320, 240);
        if (i % std::max(1L, resizes / 5) == 0) PrintMemory("resize", i, QuiescentMemory());
    }
    ok = MemoryHeld(baseline, QuiescentMemory()) && ok;
    StopProgram();
    return ok;
}

// Milliseconds `work` takes, the GPU's part included.
template <typename Work>
double MillisecondsOf(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    kl::d3d9::MakeDeviceContextCurrent(ProgramDevice());
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

bool RunResetTimes(long count) {
    std::string error;
    if (!StartProgram(640, 480, &error)) {
        std::fprintf(stderr, "reset time: %s\n", error.c_str());
        return false;
    }
    SelectMode(kRenderModes[0]);
    for (int i = 0; i < 5; ++i) RenderProgramFrame();
    bool ok = true;
    std::vector<double> resets, firstFrames, frames;
    for (long i = 0; ok && i < count; ++i) {
        HRESULT hr = S_OK;
        resets.push_back(MillisecondsOf([&] { hr = ResetFrameworkDevice(); }));
        firstFrames.push_back(MillisecondsOf(RenderProgramFrame));
        frames.push_back(MillisecondsOf(RenderProgramFrame));
        ok = SUCCEEDED(hr) && !GetFrameworkState().GetDeviceLost();
        if (!ok)
            std::fprintf(stderr, "reset time: reset %ld failed (0x%08lx)\n", i,
                         static_cast<unsigned long>(hr));
        std::printf("reset\t%.2f\t%.2f\t%.2f\n", resets.back(), firstFrames.back(), frames.back());
    }
    std::printf("median\t%.2f\t%.2f\t%.2f\n", Median(resets), Median(firstFrames), Median(frames));
    StopProgram();
    return ok;
}

long Count(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= 0 ? value : -1;
}

int Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s <stage folder> frames <count> [<width> <height>]\n"
                 "       %s <stage folder> device-changes <losses> <resizes>\n"
                 "       %s <stage folder> reset-time <count>\n",
                 program, program, program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return Usage(argv[0]);
    if (chdir(argv[1]) != 0) {
        std::fprintf(stderr, "%s: cannot enter %s\n", argv[0], argv[1]);
        return 2;
    }
    bool held = false;
    if (std::strcmp(argv[2], "frames") == 0 && (argc == 4 || argc == 6)) {
        const long count = Count(argv[3]);
        const long width = argc == 6 ? Count(argv[4]) : 160;
        const long height = argc == 6 ? Count(argv[5]) : 120;
        if (count <= 0 || width <= 0 || height <= 0) return Usage(argv[0]);
        held = RunFrames(count, static_cast<int>(width), static_cast<int>(height));
    } else if (std::strcmp(argv[2], "device-changes") == 0 && argc == 5) {
        const long losses = Count(argv[3]), resizes = Count(argv[4]);
        if (losses < 0 || resizes < 0) return Usage(argv[0]);
        held = RunDeviceChanges(losses, resizes);
    } else if (std::strcmp(argv[2], "reset-time") == 0 && argc == 4) {
        const long count = Count(argv[3]);
        if (count <= 0) return Usage(argv[0]);
        held = RunResetTimes(count);
    } else {
        return Usage(argv[0]);
    }
    std::printf("verdict\t%s\n", held ? "held" : "FAILED");
    return held ? 0 : 1;
}
