#include "program_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace e2e {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

WorkingDirectory::WorkingDirectory() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("kestralune-e2e-" + std::to_string(random()));
    fs::create_directories(path_);
    fs::copy(KESTRALUNE_STAGE_DIR, path_, fs::copy_options::recursive);
}

WorkingDirectory::~WorkingDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void WorkingDirectory::Write(const std::string& name, const std::string& contents) const {
    std::ofstream(path_ / name, std::ios::binary) << contents;
}

void WorkingDirectory::Remove(const std::string& name) const {
    fs::remove_all(path_ / name);
}

ProgramResult RunProgram(const WorkingDirectory& directory, const std::vector<std::string>& env,
                         const std::vector<std::string>& arguments, int timeoutSeconds) {
    const fs::path errors = directory.Path() / "stderr.txt";
    const fs::path output = directory.Path() / "stdout.txt";
    std::ostringstream command;
    command << "cd " << Quote(directory.Path().string()) << " && env KESTRALUNE_HEADLESS=1";
    for (const std::string& assignment : env) command << ' ' << Quote(assignment);
    command << " timeout " << timeoutSeconds << " ./kestralune";
    for (const std::string& argument : arguments) command << ' ' << Quote(argument);
    command << " > " << Quote(output.string()) << " 2> " << Quote(errors.string());

    ProgramResult result;
    const int status = std::system(command.str().c_str());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto read = [](const fs::path& path) {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    };
    result.errorOutput = read(errors);
    result.output = read(output);
    return result;
}

bool Image::Load(const fs::path& path) {
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.string().c_str(), &width, &height, &channels, 4);
    if (!pixels) return false;
    rgba.assign(pixels, pixels + static_cast<size_t>(width) * height * 4);
    stbi_image_free(pixels);
    return true;
}

double Image::MeanBrightness() const {
    if (rgba.empty()) return 0.0;
    double sum = 0.0;
    for (size_t i = 0; i < rgba.size(); i += 4) sum += (rgba[i] + rgba[i + 1] + rgba[i + 2]) / 3.0;
    return sum / (rgba.size() / 4);
}

double Image::LitFraction(int threshold) const {
    if (rgba.empty()) return 0.0;
    size_t lit = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const int brightest = std::max({rgba[i], rgba[i + 1], rgba[i + 2]});
        if (brightest > threshold) ++lit;
    }
    return static_cast<double>(lit) / (rgba.size() / 4);
}

}  // namespace e2e
