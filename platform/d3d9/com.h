// Reference counting shared by the Direct3D objects of this platform.
#pragma once

#include <windows.h>

#include <atomic>

namespace kl::d3d9 {

// A COM-style reference count starting at 1. Release destroys the object at 0
// and returns the count left, as COM objects report it.
template <class Interface>
class RefCounted : public Interface {
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
    virtual ~RefCounted() = default;

private:
    std::atomic<ULONG> references_{1};
};

}  // namespace kl::d3d9
