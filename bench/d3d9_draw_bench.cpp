// CPU cost per draw of the Direct3D 9 device on GL (headless): a small
// fixed-function quad from user memory, with and without state changes
// between draws. The GPU work is a few pixels, so the time is the device's
// own bookkeeping plus Mesa's command submission. The Bare* cases are the
// floor: the same quads and state changes written directly against GL, the
// quad in a static buffer, so that ours minus bare is what the layer adds.
#include <GL/glcorearb.h>
#include <benchmark/benchmark.h>
#include <d3d9.h>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string>

#include "gl/context.h"
#include "gl/program.h"
#include "gl/submission_queue.h"

namespace {

struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};

const Vertex kQuad[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFF},
                         {2, 0, 0.5f, 1, 0xFFFFFFFF},
                         {2, 2, 0.5f, 1, 0xFFFFFFFF},
                         {0, 2, 0.5f, 1, 0xFFFFFFFF}};

class Device {
public:
    Device() {
        setenv("KESTRALUNE_HEADLESS", "1", 0);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS p = {};
        p.BackBufferWidth = p.BackBufferHeight = 64;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.Windowed = TRUE;
        p.EnableAutoDepthStencil = TRUE;
        p.AutoDepthStencilFormat = D3DFMT_D24S8;
        if (d3d_)
            d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                               &device_);
    }
    ~Device() {
        if (device_) device_->Release();
        if (d3d_) d3d_->Release();
    }
    IDirect3DDevice9* get() const { return device_; }

private:
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
};

void DrawUnchangedState(benchmark::State& state) {
    Device device;
    if (!device.get()) return state.SkipWithError("no device");
    device.get()->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    for (auto _ : state) device.get()->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, kQuad, sizeof(Vertex));
    device.get()->Present(nullptr, nullptr, nullptr, nullptr);
}
BENCHMARK(DrawUnchangedState);

// The pattern of the lighting passes: blending and depth states set before
// every draw, alternating between two values.
void DrawWithStateChanges(benchmark::State& state) {
    Device device;
    if (!device.get()) return state.SkipWithError("no device");
    IDirect3DDevice9* d = device.get();
    d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    bool on = false;
    for (auto _ : state) {
        on = !on;
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, on);
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        d->SetRenderState(D3DRS_ZENABLE, on ? D3DZB_FALSE : D3DZB_TRUE);
        d->SetRenderState(D3DRS_ALPHATESTENABLE, on);
        d->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, kQuad, sizeof(Vertex));
    }
    d->Present(nullptr, nullptr, nullptr, nullptr);
}
BENCHMARK(DrawWithStateChanges);

// A 64x64 colour and depth target on an offscreen context of its own, with a
// program that draws pre-transformed coloured vertices and the quad in a
// static buffer.
class BareGl {
public:
    BareGl() {
        std::string error;
        context_ = kl::gl::Context::CreateOffscreen(&error);
        if (!context_) return;
        glCreateFramebuffers(1, &framebuffer_);
        glCreateRenderbuffers(2, renderbuffers_);
        glNamedRenderbufferStorage(renderbuffers_[0], GL_RGBA8, 64, 64);
        glNamedRenderbufferStorage(renderbuffers_[1], GL_DEPTH24_STENCIL8, 64, 64);
        glNamedFramebufferRenderbuffer(framebuffer_, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                       renderbuffers_[0]);
        glNamedFramebufferRenderbuffer(framebuffer_, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                       renderbuffers_[1]);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glViewport(0, 0, 64, 64);
        program_ = kl::gl::LinkProgram(
            "#version 450\n"
            "layout(location = 0) in vec4 position;\n"
            "layout(location = 1) in vec4 colour;\n"
            "out vec4 vertexColour;\n"
            "void main() {\n"
            "  gl_Position = vec4(position.xy / 32.0 - 1.0, position.z, 1.0);\n"
            "  vertexColour = colour.bgra;\n"
            "}\n",
            "#version 450\n"
            "in vec4 vertexColour;\n"
            "out vec4 fragmentColour;\n"
            "void main() { fragmentColour = vertexColour; }\n",
            &error);
        glUseProgram(program_);
        glCreateBuffers(1, &buffer_);
        glNamedBufferStorage(buffer_, sizeof(kQuad), kQuad, 0);
        glCreateVertexArrays(1, &vertexArray_);
        glVertexArrayVertexBuffer(vertexArray_, 0, buffer_, 0, sizeof(Vertex));
        glEnableVertexArrayAttrib(vertexArray_, 0);
        glVertexArrayAttribFormat(vertexArray_, 0, 4, GL_FLOAT, GL_FALSE, 0);
        glVertexArrayAttribBinding(vertexArray_, 0, 0);
        glEnableVertexArrayAttrib(vertexArray_, 1);
        glVertexArrayAttribFormat(vertexArray_, 1, 4, GL_UNSIGNED_BYTE, GL_TRUE,
                                  offsetof(Vertex, colour));
        glVertexArrayAttribBinding(vertexArray_, 1, 0);
        glBindVertexArray(vertexArray_);
    }
    ~BareGl() {
        if (!context_) return;
        context_->MakeCurrent();
        Finish();
        glDeleteVertexArrays(1, &vertexArray_);
        glDeleteBuffers(1, &buffer_);
        glDeleteProgram(program_);
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteRenderbuffers(2, renderbuffers_);
    }
    bool Ready() const { return context_ && program_; }

    // Draws the quad, submitting every 256 draws and waiting while two such
    // batches are unfinished, as the device does.
    void Draw() {
        glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
        if (++drawsSinceFence_ < 256) return;
        drawsSinceFence_ = 0;
        batches_.Submit();
    }
    void Finish() {
        glFinish();
        batches_.Clear();
    }

private:
    std::unique_ptr<kl::gl::Context> context_;
    GLuint framebuffer_ = 0, renderbuffers_[2] = {}, program_ = 0, buffer_ = 0, vertexArray_ = 0;
    kl::gl::SubmissionQueue batches_{2};
    unsigned drawsSinceFence_ = 0;
};

void BareDrawUnchangedState(benchmark::State& state) {
    BareGl gl;
    if (!gl.Ready()) return state.SkipWithError("no GL context");
    for (auto _ : state) gl.Draw();
    gl.Finish();
}
BENCHMARK(BareDrawUnchangedState);

// The same states as DrawWithStateChanges, as GL calls (GL has no alpha test:
// the layer does it in the pixel shader, and the floor leaves it out).
void BareDrawWithStateChanges(benchmark::State& state) {
    BareGl gl;
    if (!gl.Ready()) return state.SkipWithError("no GL context");
    bool on = false;
    for (auto _ : state) {
        on = !on;
        if (on) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE);
            glDisable(GL_DEPTH_TEST);
        } else {
            glDisable(GL_BLEND);
            glEnable(GL_DEPTH_TEST);
        }
        gl.Draw();
    }
    gl.Finish();
}
BENCHMARK(BareDrawWithStateChanges);

}  // namespace

BENCHMARK_MAIN();
