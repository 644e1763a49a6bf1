// CPU cost per draw of the Direct3D 9 device on GL (headless): a small
// fixed-function quad from user memory, with and without state changes
// between draws. The GPU work is a few pixels, so the time is the device's
// own bookkeeping plus Mesa's command submission.
#include <benchmark/benchmark.h>
#include <d3d9.h>

#include <cstdlib>

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

}  // namespace

BENCHMARK_MAIN();
