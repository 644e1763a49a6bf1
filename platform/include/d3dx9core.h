// D3DX core objects: the version check, buffers and fonts.
#pragma once

#include <d3d9.h>

#define D3DX_VERSION 0x0902
#define D3DX_SDK_VERSION 27

struct ID3DXBuffer;
struct ID3DXSprite;
struct ID3DXFont;
typedef ID3DXBuffer *LPD3DXBUFFER, *PD3DXBUFFER;
typedef ID3DXSprite *LPD3DXSPRITE, *PD3DXSPRITE;
typedef ID3DXFont *LPD3DXFONT, *PD3DXFONT;

// A block of memory handed out by D3DX (materials, adjacency, messages).
struct ID3DXBuffer : public IUnknown {
    virtual LPVOID STDMETHODCALLTYPE GetBufferPointer() = 0;
    virtual DWORD STDMETHODCALLTYPE GetBufferSize() = 0;
};

// Text drawn with a device: glyphs rendered into textures and drawn as quads.
struct ID3DXFont : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) = 0;
    virtual INT STDMETHODCALLTYPE DrawTextW(LPD3DXSPRITE pSprite, LPCWSTR pString, INT Count,
                                            LPRECT pRect, DWORD Format, D3DCOLOR Color) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnLostDevice() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnResetDevice() = 0;
};

extern "C" {
BOOL WINAPI D3DXCheckVersion(UINT D3DSdkVersion, UINT D3DXSdkVersion);
HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer);
HRESULT WINAPI D3DXCreateFontW(LPDIRECT3DDEVICE9 pDevice, INT Height, UINT Width, UINT Weight,
                               UINT MipLevels, BOOL Italic, DWORD CharSet, DWORD OutputPrecision,
                               DWORD Quality, DWORD PitchAndFamily, LPCWSTR pFaceName,
                               LPD3DXFONT* ppFont);
}
