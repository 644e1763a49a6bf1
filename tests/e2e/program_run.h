// Running the staged program in a temporary working directory and looking at
// what it leaves: exit code, standard output and error, captured frames.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

struct ProgramResult {
    int exitCode = -1;
    std::string errorOutput;  // standard error
    std::string output;       // standard output
};

// A fresh working directory holding a copy of the staged default scene,
// removed again when the object goes.
class WorkingDirectory {
public:
    WorkingDirectory();
    ~WorkingDirectory();
    const std::filesystem::path& Path() const { return path_; }
    void Write(const std::string& name, const std::string& contents) const;
    void Remove(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Runs the program in `directory` with the given environment assignments
// ("NAME=value") and arguments; headless unless the environment says
// otherwise; at most `timeoutSeconds`.
ProgramResult RunProgram(const WorkingDirectory& directory, const std::vector<std::string>& env,
                         const std::vector<std::string>& arguments, int timeoutSeconds = 240);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    bool Load(const std::filesystem::path& path);
    // Mean of (r + g + b) / 3 over the image.
    double MeanBrightness() const;
    // Fraction of pixels whose brightest channel exceeds `threshold`.
    double LitFraction(int threshold) const;
};

}  // namespace e2e
