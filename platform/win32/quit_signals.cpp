// SIGINT and SIGTERM close the program's window instead of killing the
// process, so that Ctrl+C ends the program in order (the window's WM_CLOSE,
// device release, the exit code). The handler only sets a flag; the next
// PeekMessageW or GetMessageW posts WM_CLOSE. With no window, or when the
// previous request has not been picked up yet (a program that no longer
// reads its messages), the signal does what it does by default.
#include <atomic>
#include <csignal>

#include "win32/window_system.h"

namespace kl::win32 {

namespace {

std::atomic<int> topLevelWindows{0};
std::atomic<int> closeRequested{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

extern "C" void RequestCloseOnSignal(int signal) {
    if (topLevelWindows.load() == 0 || closeRequested.exchange(1) == 1) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
}

void Install(int signal) {
    struct sigaction action {};
    action.sa_handler = RequestCloseOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

void InstallQuitSignalHandlers() {
    static const bool installed = [] {
        Install(SIGINT);
        Install(SIGTERM);
        return true;
    }();
    (void)installed;
}

bool TakeQuitSignal() {
    return closeRequested.exchange(0) == 1;
}

void SetTopLevelWindowCount(int count) {
    topLevelWindows.store(count);
}

}  // namespace kl::win32
