#include "display_session.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace display {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point Deadline(double seconds) {
    return Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
}

void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(seconds * 1000)));
}

// A window that goes away between two requests is no reason to stop a test.
int IgnoreXErrors(::Display*, XErrorEvent*) {
    return 0;
}

void RedirectOutput(int target, const char* path) {
    const int file = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file >= 0) {
        dup2(file, target);
        close(file);
    }
}

}  // namespace

VirtualDisplay::VirtualDisplay() {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return;
    server_ = fork();
    if (server_ == 0) {
        close(pipeEnds[0]);
        RedirectOutput(STDOUT_FILENO, "/dev/null");
        RedirectOutput(STDERR_FILENO, "/dev/null");
        const std::string fd = std::to_string(pipeEnds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    // Xvfb writes the number of the display it took once it accepts clients.
    std::string number;
    pollfd ready{pipeEnds[0], POLLIN, 0};
    char c = 0;
    while (poll(&ready, 1, 30000) > 0 && read(pipeEnds[0], &c, 1) == 1 && c != '\n') number += c;
    close(pipeEnds[0]);
    if (number.empty()) return;
    name_ = ":" + number;
    XSetErrorHandler(IgnoreXErrors);
    connection_ = XOpenDisplay(name_.c_str());
}

VirtualDisplay::~VirtualDisplay() {
    if (connection_) XCloseDisplay(connection_);
    if (server_ > 0) {
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
    }
}

RunningProgram::RunningProgram(const VirtualDisplay& display,
                               const std::vector<std::string>& arguments)
    : display_(display) {
    const std::string errors = (directory_.Path() / "stderr.txt").string();
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(directory_.Path().c_str()) != 0) _exit(126);
        setenv("DISPLAY", display.Name().c_str(), 1);
        unsetenv("KESTRALUNE_HEADLESS");
        RedirectOutput(STDOUT_FILENO, "/dev/null");
        RedirectOutput(STDERR_FILENO, errors.c_str());
        std::vector<char*> argv{const_cast<char*>("./kestralune")};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv("./kestralune", argv.data());
        _exit(127);
    }
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

Window RunningProgram::WaitForWindow(double seconds) {
    ::Display* x = display_.Connection();
    const auto deadline = Deadline(seconds);
    while (Clock::now() < deadline) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && !window_; ++i) {
                char* name = nullptr;
                XWindowAttributes attributes{};
                if (XFetchName(x, children[i], &name) && name) {
                    if (std::strcmp(name, "Orvantis") == 0 &&
                        XGetWindowAttributes(x, children[i], &attributes) &&
                        attributes.map_state == IsViewable) {
                        window_ = children[i];
                    }
                    XFree(name);
                }
            }
            if (children) XFree(children);
        }
        if (window_) return window_;
        Sleep(0.1);
    }
    return 0;
}

WindowGeometry RunningProgram::Geometry() const {
    XWindowAttributes attributes{};
    if (!window_ || !XGetWindowAttributes(display_.Connection(), window_, &attributes)) return {};
    return {attributes.x, attributes.y, attributes.width, attributes.height};
}

e2e::Image RunningProgram::Screenshot() const {
    e2e::Image shot;
    const WindowGeometry geometry = Geometry();
    if (geometry.width <= 0 || geometry.height <= 0) return shot;
    XImage* image =
        XGetImage(display_.Connection(), window_, 0, 0, static_cast<unsigned>(geometry.width),
                  static_cast<unsigned>(geometry.height), AllPlanes, ZPixmap);
    if (!image) return shot;
    shot.width = geometry.width;
    shot.height = geometry.height;
    shot.rgba.reserve(static_cast<size_t>(shot.width) * shot.height * 4);
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            shot.rgba.push_back(static_cast<uint8_t>((pixel & image->red_mask) >> 16));
            shot.rgba.push_back(static_cast<uint8_t>((pixel & image->green_mask) >> 8));
            shot.rgba.push_back(static_cast<uint8_t>(pixel & image->blue_mask));
            shot.rgba.push_back(255);
        }
    }
    XDestroyImage(image);
    return shot;
}

e2e::Image RunningProgram::WaitForPicture(double seconds, const e2e::Image* other, double fraction,
                                          int threshold) const {
    const auto deadline = Deadline(seconds);
    while (Clock::now() < deadline) {
        e2e::Image shot = Screenshot();
        if (shot.LitFraction(24) > 0.4 &&
            (!other || DifferingFraction(shot, *other, threshold) > fraction)) {
            return shot;
        }
        Sleep(0.2);
    }
    return {};
}

bool RunningProgram::WaitForGeometry(const WindowGeometry& wanted, double seconds) const {
    const auto deadline = Deadline(seconds);
    while (Clock::now() < deadline) {
        const WindowGeometry now = Geometry();
        if (now.x == wanted.x && now.y == wanted.y && now.width == wanted.width &&
            now.height == wanted.height) {
            return true;
        }
        Sleep(0.1);
    }
    return false;
}

bool RunningProgram::PressKeys(const std::string& keys) const {
    const std::string command = "DISPLAY=" + display_.Name() + " xdotool keydown " + keys;
    return std::system(command.c_str()) == 0;
}

bool RunningProgram::ReleaseKeys(const std::string& keys) const {
    const std::string command = "DISPLAY=" + display_.Name() + " xdotool keyup " + keys;
    return std::system(command.c_str()) == 0;
}

bool RunningProgram::TapKeys(const std::string& keys) const {
    const std::string command =
        "DISPLAY=" + display_.Name() + " xdotool keydown " + keys + " sleep 0.15 keyup " + keys;
    return std::system(command.c_str()) == 0;
}

e2e::Image RunningProgram::HoldKeysUntilPictureChanges(const std::string& keys,
                                                       const e2e::Image& from, double fraction,
                                                       int threshold, double seconds) const {
    if (!PressKeys(keys)) return {};
    e2e::Image changed = WaitForPicture(seconds, &from, fraction, threshold);
    ReleaseKeys(keys);
    return changed;
}

e2e::Image RunningProgram::WaitForSteadyPicture(double seconds) const {
    const auto deadline = Deadline(seconds);
    e2e::Image before = Screenshot();
    while (Clock::now() < deadline) {
        Sleep(1.5);
        e2e::Image after = Screenshot();
        if (after.LitFraction(24) > 0.4 && DifferingFraction(before, after, 8) < 0.001)
            return after;
        before = std::move(after);
    }
    return {};
}

void RunningProgram::Resize(int width, int height) const {
    XResizeWindow(display_.Connection(), window_, static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
    XSync(display_.Connection(), False);
}

void RunningProgram::Minimize() const {
    // Iconifying, a window manager unmaps the window.
    XUnmapWindow(display_.Connection(), window_);
    XSync(display_.Connection(), False);
}

void RunningProgram::Restore() const {
    ::Display* x = display_.Connection();
    XMapWindow(x, window_);
    XSync(x, False);
    const auto deadline = Deadline(10);
    XWindowAttributes attributes{};
    while (Clock::now() < deadline && XGetWindowAttributes(x, window_, &attributes) &&
           attributes.map_state != IsViewable) {
        Sleep(0.05);
    }
    // ... and gives the restored window the keyboard.
    XSetInputFocus(x, window_, RevertToPointerRoot, CurrentTime);
    XSync(x, False);
}

void RunningProgram::ClickCloseButton() const {
    ::Display* x = display_.Connection();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window_;
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, window_, False, NoEventMask, &event);
    XSync(x, False);
}

void RunningProgram::Signal(int signal) const {
    if (pid_ > 0) kill(pid_, signal);
}

int RunningProgram::WaitForExit(double seconds) {
    const auto deadline = Deadline(seconds);
    while (pid_ > 0 && Clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        Sleep(0.05);
    }
    return -1;
}

std::string RunningProgram::ErrorOutput() const {
    std::ifstream file(directory_.Path() / "stderr.txt");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

double DifferingFraction(const e2e::Image& a, const e2e::Image& b, int threshold) {
    if (a.width != b.width || a.height != b.height || a.rgba.empty()) return 1.0;
    size_t differing = 0, counted = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (x < 120 && y < 48) continue;  // the frame-rate text
            const size_t i = (static_cast<size_t>(y) * a.width + x) * 4;
            ++counted;
            for (int c = 0; c < 3; ++c) {
                if (std::abs(a.rgba[i + c] - b.rgba[i + c]) > threshold) {
                    ++differing;
                    break;
                }
            }
        }
    }
    return static_cast<double>(differing) / static_cast<double>(counted);
}

bool SanitizerReported(const std::string& errorOutput) {
    for (const char* mark :
         {"AddressSanitizer", "LeakSanitizer", "runtime error:", "UndefinedBehaviorSanitizer"}) {
        if (errorOutput.find(mark) != std::string::npos) return true;
    }
    return false;
}

}  // namespace display
