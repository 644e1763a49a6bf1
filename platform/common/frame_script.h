// Frame capture and scripted input: platform settings that let the real
// program run unattended, headless or in a window.
//
//   KESTRALUNE_CAPTURE_DIR     folder for PNG captures (created if missing)
//   KESTRALUNE_CAPTURE_FRAMES  which presented frames to capture: "all",
//                              "every:N", or a list "1,50,100"
//   KESTRALUNE_INPUT_SCRIPT    key events by frame number, separated by ';' or
//                              new lines: "<frame>:<down|up|press>:<key>", e.g.
//                              "10:down:W;40:up:W;50:press:5". Keys: A-Z, 0-9,
//                              ESCAPE, RETURN, PAUSE, LEFT, RIGHT, UP, DOWN,
//                              PRIOR, NEXT, F1-F12. "press" is down at the frame
//                              and up one frame later. "@path" reads the script
//                              from a regular file of at most 1 MiB.
//   KESTRALUNE_FRAME_TIMES     file that receives one line per presented frame:
//                              "<frame> <seconds since the first present>"
//
// The device counts presented frames; the message queue asks for the key
// events that are due before the next frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kl::platform {

struct ScriptedKey {
    int frame = 0;     // delivered once this many frames have been presented
    bool down = true;  // key down or key up
    unsigned virtualKey = 0;
};

// Parses a script; malformed entries are reported in *error (first one) and
// skipped. Events come back sorted by frame, in script order within a frame.
std::vector<ScriptedKey> ParseInputScript(const std::string& script, std::string* error);
constexpr size_t kMaxInputScriptBytes = size_t{1} << 20;

// Reads a script file for "@path". False, with the reason in *error, for a
// path that is not a regular file (a FIFO, a device) or that holds more than
// kMaxInputScriptBytes: the program then runs without a script.
bool ReadInputScriptFile(const std::string& path, std::string* script, std::string* error);

// Virtual-key code of a key name of the script, 0 when unknown.
unsigned VirtualKeyFromName(const std::string& name);

// Capture selection parsed from KESTRALUNE_CAPTURE_FRAMES.
struct CaptureSelection {
    bool all = false;
    int every = 0;
    std::vector<int> frames;
    bool Includes(int frame) const;
};
CaptureSelection ParseCaptureSelection(const std::string& text);

// Called by the device after each Present of a window's back buffer; also
// appends the frame's time to KESTRALUNE_FRAME_TIMES when that is set.
void CountPresentedFrame();
int PresentedFrameCount();

// Whether the frame just presented (PresentedFrameCount()) is to be captured,
// and where: an empty string when not.
std::string CapturePathForCurrentFrame();
// Writes top-down RGBA8 pixels as a PNG. False (and a line on standard error)
// when the file cannot be written.
bool WriteCapturePng(const std::string& path, int width, int height, const uint8_t* rgba);

// The scripted key events that are due now (frame <= PresentedFrameCount()),
// each returned once.
std::vector<ScriptedKey> TakeDueScriptedKeys();

}  // namespace kl::platform
