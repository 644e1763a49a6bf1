#include "common/frame_script.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_ONLY
#include <stb/stb_image_write.h>

#include "common/log.h"

namespace kl::platform {

namespace {

std::string SettingValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Trim(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool ParseFrameNumber(const std::string& text, int* frame) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    *frame = std::atoi(text.c_str());
    return true;
}

struct ScriptState {
    bool loaded = false;
    std::vector<ScriptedKey> pending;
    size_t next = 0;
    int presentedFrames = 0;
    bool captureLoaded = false;
    std::string captureDir;
    CaptureSelection selection;
    bool frameTimesOpened = false;
    std::FILE* frameTimes = nullptr;
    std::chrono::steady_clock::time_point firstPresent;
};

ScriptState& State() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static ScriptState& state = *new ScriptState;
    return state;
}

void LoadScriptOnce() {
    ScriptState& state = State();
    if (state.loaded) return;
    state.loaded = true;
    std::string script = SettingValue("KESTRALUNE_INPUT_SCRIPT");
    std::string error;
    if (!script.empty() && script[0] == '@' &&
        !ReadInputScriptFile(script.substr(1), &script, &error)) {
        Log(LogLevel::Error, "KESTRALUNE_INPUT_SCRIPT: %s", error.c_str());
        return;
    }
    state.pending = ParseInputScript(script, &error);
    if (!error.empty()) Log(LogLevel::Error, "KESTRALUNE_INPUT_SCRIPT: %s", error.c_str());
}

void LoadCaptureSettingsOnce() {
    ScriptState& state = State();
    if (state.captureLoaded) return;
    state.captureLoaded = true;
    state.captureDir = SettingValue("KESTRALUNE_CAPTURE_DIR");
    state.selection = ParseCaptureSelection(SettingValue("KESTRALUNE_CAPTURE_FRAMES"));
}

void WriteToFile(void* context, void* data, int size) {
    std::fwrite(data, 1, static_cast<size_t>(size), static_cast<std::FILE*>(context));
}

}  // namespace

bool ReadInputScriptFile(const std::string& path, std::string* script, std::string* error) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        *error = "cannot read " + path;
        return false;
    }
    // A FIFO would block start-up until a writer came, and a device such as
    // /dev/zero never ends: only regular files are read.
    if (!std::filesystem::is_regular_file(status)) {
        *error = path + " is not a regular file";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot read " + path;
        return false;
    }
    std::string contents(kMaxInputScriptBytes + 1, '\0');
    file.read(contents.data(), static_cast<std::streamsize>(contents.size()));
    contents.resize(static_cast<size_t>(file.gcount()));
    if (contents.size() > kMaxInputScriptBytes) {
        *error = path + " is larger than 1 MiB";
        return false;
    }
    *script = std::move(contents);
    return true;
}

unsigned VirtualKeyFromName(const std::string& rawName) {
    const std::string name = Upper(Trim(rawName));
    if (name.size() == 1 && (std::isalnum(static_cast<unsigned char>(name[0]))))
        return static_cast<unsigned char>(name[0]);
    static const struct {
        const char* name;
        unsigned key;
    } kNamedKeys[] = {
        {"ESCAPE", 0x1B}, {"RETURN", 0x0D}, {"PAUSE", 0x13}, {"LEFT", 0x25}, {"UP", 0x26},
        {"RIGHT", 0x27},  {"DOWN", 0x28},   {"PRIOR", 0x21}, {"NEXT", 0x22}, {"SPACE", 0x20},
    };
    for (const auto& entry : kNamedKeys)
        if (name == entry.name) return entry.key;
    int number = 0;
    if (name.size() >= 2 && name[0] == 'F' && ParseFrameNumber(name.substr(1), &number) &&
        number >= 1 && number <= 12)
        return 0x70 + static_cast<unsigned>(number - 1);
    return 0;
}

std::vector<ScriptedKey> ParseInputScript(const std::string& script, std::string* error) {
    std::vector<ScriptedKey> events;
    std::string entry;
    std::stringstream stream(script);
    auto fail = [&](const std::string& message) {
        if (error && error->empty()) *error = message;
    };
    while (std::getline(stream, entry, ';')) {
        std::stringstream lines(entry);
        std::string line;
        while (std::getline(lines, line)) {
            line = Trim(line);
            if (line.empty() || line[0] == '#') continue;
            const size_t first = line.find(':');
            const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
            int frame = 0;
            if (second == std::string::npos ||
                !ParseFrameNumber(Trim(line.substr(0, first)), &frame)) {
                fail("malformed entry \"" + line + "\" (expected frame:down|up|press:key)");
                continue;
            }
            const std::string action = Upper(Trim(line.substr(first + 1, second - first - 1)));
            const unsigned key = VirtualKeyFromName(line.substr(second + 1));
            if (key == 0) {
                fail("unknown key in \"" + line + "\"");
                continue;
            }
            if (action == "DOWN" || action == "PRESS") events.push_back({frame, true, key});
            if (action == "UP") events.push_back({frame, false, key});
            if (action == "PRESS") events.push_back({frame + 1, false, key});
            if (action != "DOWN" && action != "UP" && action != "PRESS")
                fail("unknown action in \"" + line + "\"");
        }
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptedKey& a, const ScriptedKey& b) { return a.frame < b.frame; });
    return events;
}

bool CaptureSelection::Includes(int frame) const {
    if (all) return true;
    if (every > 0) return frame % every == 0;
    return std::find(frames.begin(), frames.end(), frame) != frames.end();
}

CaptureSelection ParseCaptureSelection(const std::string& rawText) {
    CaptureSelection selection;
    const std::string text = Upper(Trim(rawText));
    if (text == "ALL") {
        selection.all = true;
    } else if (text.rfind("EVERY:", 0) == 0) {
        int every = 0;
        if (ParseFrameNumber(Trim(text.substr(6)), &every)) selection.every = every;
    } else {
        std::stringstream stream(text);
        std::string item;
        while (std::getline(stream, item, ',')) {
            int frame = 0;
            if (ParseFrameNumber(Trim(item), &frame)) selection.frames.push_back(frame);
        }
    }
    return selection;
}

void CountPresentedFrame() {
    ScriptState& state = State();
    ++state.presentedFrames;
    if (!state.frameTimesOpened) {
        state.frameTimesOpened = true;
        state.firstPresent = std::chrono::steady_clock::now();
        const std::string path = SettingValue("KESTRALUNE_FRAME_TIMES");
        if (!path.empty()) {
            state.frameTimes = std::fopen(path.c_str(), "w");
            if (!state.frameTimes)
                Log(LogLevel::Error, "KESTRALUNE_FRAME_TIMES: cannot write %s", path.c_str());
        }
    }
    if (state.frameTimes) {
        const std::chrono::duration<double> since =
            std::chrono::steady_clock::now() - state.firstPresent;
        std::fprintf(state.frameTimes, "%d %.6f\n", state.presentedFrames, since.count());
        std::fflush(state.frameTimes);
    }
}

int PresentedFrameCount() {
    return State().presentedFrames;
}

std::string CapturePathForCurrentFrame() {
    LoadCaptureSettingsOnce();
    ScriptState& state = State();
    if (state.captureDir.empty() || !state.selection.Includes(state.presentedFrames)) return "";
    std::error_code ignored;
    std::filesystem::create_directories(state.captureDir, ignored);
    char name[32];
    std::snprintf(name, sizeof(name), "frame_%05d.png", state.presentedFrames);
    return (std::filesystem::path(state.captureDir) / name).string();
}

bool WriteCapturePng(const std::string& path, int width, int height, const uint8_t* rgba) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        Log(LogLevel::Error, "capture: cannot write %s", path.c_str());
        return false;
    }
    const int written =
        stbi_write_png_to_func(WriteToFile, file, width, height, 4, rgba, width * 4);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        Log(LogLevel::Error, "capture: failed writing %s", path.c_str());
        return false;
    }
    return true;
}

std::vector<ScriptedKey> TakeDueScriptedKeys() {
    LoadScriptOnce();
    ScriptState& state = State();
    std::vector<ScriptedKey> due;
    while (state.next < state.pending.size() &&
           state.pending[state.next].frame <= state.presentedFrames) {
        due.push_back(state.pending[state.next++]);
    }
    return due;
}

}  // namespace kl::platform
