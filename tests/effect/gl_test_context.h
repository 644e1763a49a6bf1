// A headless OpenGL 4.5 core context (EGL, Mesa surfaceless) for translator
// tests that compile, link and run generated GLSL without a device.
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

// The prologues a device would supply, reduced to what the translator's
// output calls: no half-pixel offset, no alpha test.
extern const char kTestVertexPrologue[];
extern const char kTestFragmentPrologue[];

}  // namespace kl::test
