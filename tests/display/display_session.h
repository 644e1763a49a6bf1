// A virtual X display of the test's own (Xvfb, no window manager) and the
// staged program running on it, with what a person does to it: keys held
// down, the window resized, minimized (unmapped, as a window manager does)
// and restored, closed with its close button, signals from the terminal.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "program_run.h"

namespace display {

class VirtualDisplay {
public:
    VirtualDisplay();  // starts Xvfb with one 1024 x 768 screen
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool Ok() const { return connection_ != nullptr; }
    const std::string& Name() const { return name_; }
    ::Display* Connection() const { return connection_; }

private:
    pid_t server_ = -1;
    std::string name_;
    ::Display* connection_ = nullptr;
};

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// The program, started in its own working directory on the display.
class RunningProgram {
public:
    RunningProgram(const VirtualDisplay& display, const std::vector<std::string>& arguments);
    ~RunningProgram();  // kills the program if it still runs
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // The program's viewable top-level window, waited for up to `seconds`.
    Window WaitForWindow(double seconds);
    WindowGeometry Geometry() const;
    // The window's picture.
    e2e::Image Screenshot() const;
    // Waits until the window shows a lit picture (most of it brighter than
    // the clear colour) that differs from `other` (when given) in more than
    // `fraction` of its pixels by more than `threshold` in a channel; returns
    // that picture, or an empty image.
    e2e::Image WaitForPicture(double seconds, const e2e::Image* other = nullptr,
                              double fraction = 0.05, int threshold = 40) const;
    // Waits until the window has this geometry.
    bool WaitForGeometry(const WindowGeometry& wanted, double seconds) const;

    // Keys by xdotool's names ("Escape", "5", "w", "alt+Return"); false when
    // xdotool failed. A tap is shorter than the keyboard's repeat delay.
    bool PressKeys(const std::string& keys) const;
    bool ReleaseKeys(const std::string& keys) const;
    bool TapKeys(const std::string& keys) const;
    // Holds the keys down until the picture differs from `from` in more than
    // `fraction` of its pixels, as a person holds a key until something
    // happens: the program reads held keys once a frame, and a frame may take
    // a second. Returns the new picture, or an empty image.
    e2e::Image HoldKeysUntilPictureChanges(const std::string& keys, const e2e::Image& from,
                                           double fraction, int threshold, double seconds) const;
    // Waits until two pictures a frame or more apart are the same (time is
    // paused) and returns the last.
    e2e::Image WaitForSteadyPicture(double seconds) const;
    void Resize(int width, int height) const;
    void Minimize() const;
    void Restore() const;
    // What a window manager sends when the close button is clicked.
    void ClickCloseButton() const;
    void Signal(int signal) const;

    // Waits for the program to end; its exit code, or -1 when it did not end
    // in time or ended by a signal.
    int WaitForExit(double seconds);
    // Standard error so far.
    std::string ErrorOutput() const;

private:
    const VirtualDisplay& display_;
    e2e::WorkingDirectory directory_;
    pid_t pid_ = -1;
    Window window_ = 0;
};

// The share of pixels whose channels differ by more than `threshold` between
// two pictures of the same size (1 when the sizes differ). The frame-rate
// text in the top-left corner is left out.
double DifferingFraction(const e2e::Image& a, const e2e::Image& b, int threshold = 40);

// Anything AddressSanitizer, LeakSanitizer or UBSan reported.
bool SanitizerReported(const std::string& errorOutput);

}  // namespace display
