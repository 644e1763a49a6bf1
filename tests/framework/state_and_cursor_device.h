// A Direct3D device and surface that only record what the framework asks of
// them: render states, the cursor, Present, and the cursor surface's pixels.
// Everything else answers D3DERR_INVALIDCALL.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "null_device.h"

namespace kl::framework_test {

class LockableSurface final : public IDirect3DSurface9 {
public:
    LockableSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool)
        : width(width), height(height), format(format), pool(pool) {
        // A pitch wider than the row, as real surfaces may have.
        pitch = static_cast<INT>(width * 4 + 16);
        bytes.assign(static_cast<size_t>(pitch) * height, 0xCD);
    }

    // The pixel at (x, y) of the locked layout.
    uint32_t Pixel(UINT x, UINT y) const {
        const uint8_t* row = bytes.data() + static_cast<size_t>(y) * static_cast<size_t>(pitch);
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = (value << 8) | row[x * 4 + static_cast<UINT>(i)];
        return value;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        if (object) *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** ppDevice) override {
        return D3DERR_INVALIDCALL;
    }
    DWORD STDMETHODCALLTYPE SetPriority(DWORD PriorityNew) override { return 0; }
    DWORD STDMETHODCALLTYPE GetPriority() override { return 0; }
    void STDMETHODCALLTYPE PreLoad() override {}
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** ppContainer) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override {
        if (!desc) return D3DERR_INVALIDCALL;
        *desc = D3DSURFACE_DESC{};
        desc->Format = format;
        desc->Type = D3DRTYPE_SURFACE;
        desc->Pool = pool;
        desc->Width = width;
        desc->Height = height;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* locked, const RECT*, DWORD) override {
        if (!locked || isLocked) return D3DERR_INVALIDCALL;
        isLocked = true;
        locked->Pitch = pitch;
        locked->pBits = bytes.data();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE UnlockRect() override {
        if (!isLocked) return D3DERR_INVALIDCALL;
        isLocked = false;
        return D3D_OK;
    }

    UINT width;
    UINT height;
    D3DFORMAT format;
    D3DPOOL pool;
    INT pitch;
    std::vector<uint8_t> bytes;
    bool isLocked = false;
    ULONG references = 1;

private:
    ~LockableSurface() = default;
};

class StateAndCursorDevice final : public kl::test::NullDevice {
public:
    StateAndCursorDevice() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        if (object) *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        renderStates.emplace_back(state, value);
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE Present(const RECT*, const RECT*, HWND, const RGNDATA*) override {
        ++presents;
        return presentResult;
    }
    BOOL STDMETHODCALLTYPE ShowCursor(BOOL show) override {
        showCursorCalls.push_back(show);
        return FALSE;
    }
    void STDMETHODCALLTYPE SetCursorPosition(int x, int y, DWORD flags) override {
        cursorPositions.push_back({x, y});
    }
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                                          D3DPOOL pool, IDirect3DSurface9** surface,
                                                          HANDLE*) override {
        if (!surface) return D3DERR_INVALIDCALL;
        LockableSurface* created = new LockableSurface(width, height, format, pool);
        created->AddRef();  // the device keeps one reference to inspect it
        surfaces.push_back(created);
        *surface = created;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT hotSpotX, UINT hotSpotY,
                                                  IDirect3DSurface9* surface) override {
        cursorHotSpot = {static_cast<LONG>(hotSpotX), static_cast<LONG>(hotSpotY)};
        cursorSurface = surface;
        ++cursorPropertiesCalls;
        return cursorPropertiesResult;
    }

    ~StateAndCursorDevice() {
        for (LockableSurface* surface : surfaces) surface->Release();
    }

    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> renderStates;
    std::vector<BOOL> showCursorCalls;
    std::vector<POINT> cursorPositions;
    std::vector<LockableSurface*> surfaces;
    IDirect3DSurface9* cursorSurface = nullptr;
    POINT cursorHotSpot{};
    int cursorPropertiesCalls = 0;
    HRESULT cursorPropertiesResult = D3D_OK;
    int presents = 0;
    HRESULT presentResult = D3D_OK;
    ULONG references = 1;
};

}  // namespace kl::framework_test
