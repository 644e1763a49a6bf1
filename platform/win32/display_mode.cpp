// Whether windows are real SDL windows on a display or records on the virtual
// desktop. Decided once, at the first question: KESTRALUNE_HEADLESS (or the
// test hook) forces the virtual desktop; otherwise a display is used when
// DISPLAY or WAYLAND_DISPLAY is set and SDL's video subsystem starts.
#include <SDL.h>

#include <cstdlib>
#include <optional>

#include "common/native_window.h"
#include "common/platform_settings.h"
#include "testing/windows.h"
#include "win32/window_system.h"

namespace {

std::optional<bool>& HeadlessDecision() {
    static std::optional<bool> decision;
    return decision;
}

bool DisplayNamed() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

bool DecideHeadless() {
    if (kl::platform::HeadlessRequested()) return true;
    if (!DisplayNamed()) return true;
    // The Win32 layer turns SIGINT and SIGTERM into WM_CLOSE itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_InitSubSystem(SDL_INIT_VIDEO) != 0;
}

}  // namespace

namespace kl::platform {

bool IsHeadless() {
    std::optional<bool>& decision = HeadlessDecision();
    if (!decision) decision = DecideHeadless();
    return *decision;
}

}  // namespace kl::platform

namespace kl::win32 {

bool UsingDisplay() {
    return !platform::IsHeadless();
}

}  // namespace kl::win32

namespace kl::testing {

void ForceHeadless() {
    HeadlessDecision() = true;
}

}  // namespace kl::testing
