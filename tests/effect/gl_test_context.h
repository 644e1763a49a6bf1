// A headless OpenGL 4.5 core context (EGL, Mesa surfaceless) for translator
// tests that need to compile, link and run generated GLSL without a device.
#pragma once

#include <string>

namespace kl::test {

class GlTestContext {
public:
    GlTestContext();
    ~GlTestContext();
    GlTestContext(const GlTestContext&) = delete;
    GlTestContext& operator=(const GlTestContext&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }

private:
    bool ok_ = false;
    std::string error_;
    void* display_ = nullptr;
    void* context_ = nullptr;
};

// Compiles and links a vertex/fragment pair; returns the program (0 on
// failure, with the GL info log in `log`).
unsigned LinkProgram(const std::string& vertex, const std::string& fragment, std::string& log);

// The prologues a device would supply, reduced to what the translator's
// output calls: no half-pixel offset, no alpha test.
extern const char kTestVertexPrologue[];
extern const char kTestFragmentPrologue[];

}  // namespace kl::test
