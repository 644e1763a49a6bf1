// IUnknown for every COM object of this platform: the Direct3D objects and the
// D3DX ones (buffer, mesh, font, effect).
#pragma once

#include <windows.h>

#include <atomic>

namespace kl::platform {

// A COM-style reference count starting at 1. Release destroys the object at 0
// and returns the count left, as COM objects report it.
template <class Interface>
class ComObject : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    // No interface identifiers are published by this platform's headers, so
    // no other interface can be asked for.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        return E_NOINTERFACE;
    }

protected:
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> references_{1};
};

}  // namespace kl::platform
