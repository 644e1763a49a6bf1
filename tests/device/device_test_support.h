// Shared set-up for the device tests: the synthetic Direct3D object put into
// the framework state, and callbacks that record the order they are called in.
#pragma once

#include "fake_direct3d.h"
#include "framework/framework_state.h"

namespace kl::fake {

// The state owns the object (ShutdownFramework releases it); one installed
// before is released.
inline FakeDirect3D* InstallDirect3D(Hardware hardware) {
    FakeDirect3D* direct3d = new FakeDirect3D(std::move(hardware));
    if (IDirect3D9* previous = GetFrameworkState().GetDirect3D()) previous->Release();
    GetFrameworkState().SetDirect3D(direct3d);
    return direct3d;
}

inline Hardware OneAdapter(FakeAdapter adapter) {
    Hardware hardware;
    hardware.adapters.push_back(std::move(adapter));
    return hardware;
}

}  // namespace kl::fake
