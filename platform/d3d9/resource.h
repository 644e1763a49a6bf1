// What every resource of a device shares: a reference on the device, the pool
// it lives in (the device counts D3DPOOL_DEFAULT ones, which block Reset) and
// a priority.
#pragma once

#include <d3d9.h>

#include "common/com_object.h"
#include "d3d9/device.h"

namespace kl::d3d9 {

template <class Interface>
class DeviceResource : public platform::ComObject<Interface> {
public:
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        device_->AddRef();
        *device = device_;
        return D3D_OK;
    }
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override {
        const DWORD old = priority_;
        priority_ = priority;
        return old;
    }
    DWORD STDMETHODCALLTYPE GetPriority() override { return priority_; }
    void STDMETHODCALLTYPE PreLoad() override {}

    Device* OwnerDevice() const { return device_; }
    D3DPOOL Pool() const { return pool_; }

protected:
    DeviceResource(Device* device, D3DPOOL pool) : device_(device), pool_(pool) {
        device_->AddRef();
        device_->CountResource(pool_, +1);
    }
    ~DeviceResource() override {
        device_->CountResource(pool_, -1);
        device_->Release();
    }

    Device* device_;
    D3DPOOL pool_;
    DWORD priority_ = 0;
};

}  // namespace kl::d3d9
