// D3DX 9 effects: parameters, techniques and passes compiled from an effect
// file and applied to a device.
#pragma once

#include <d3d9.h>

#include "d3dx9core.h"
#include "d3dx9math.h"
#include "d3dx9shader.h"

// Flags of ID3DXEffect::Begin.
#define D3DXFX_DONOTSAVESTATE (1 << 0)
#define D3DXFX_DONOTSAVESHADERSTATE (1 << 1)
#define D3DXFX_DONOTSAVESAMPLERSTATE (1 << 2)
// Flags of the effect creation functions.
#define D3DXFX_NOT_CLONEABLE (1 << 11)
#define D3DXFX_LARGEADDRESSAWARE (1 << 17)

struct ID3DXEffectPool;
struct ID3DXBaseEffect;
struct ID3DXEffect;
typedef ID3DXEffectPool* LPD3DXEFFECTPOOL;
typedef ID3DXBaseEffect* LPD3DXBASEEFFECT;
typedef ID3DXEffect* LPD3DXEFFECT;

// What GetParameterDesc reports about a parameter or an array element.
typedef struct _D3DXPARAMETER_DESC {
    LPCSTR Name;
    LPCSTR Semantic;
    D3DXPARAMETER_CLASS Class;
    D3DXPARAMETER_TYPE Type;
    UINT Rows;
    UINT Columns;
    UINT Elements;  // array elements; 0 when the parameter is not an array
    UINT Annotations;
    UINT StructMembers;
    DWORD Flags;
    UINT Bytes;
} D3DXPARAMETER_DESC;

// Shares parameters between effects created with the same pool.
struct ID3DXEffectPool : public IUnknown {};

// Parameter and technique access common to compiled effects.
struct ID3DXBaseEffect : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetParameterDesc(D3DXHANDLE hParameter,
                                                       D3DXPARAMETER_DESC* pDesc) = 0;
    virtual D3DXHANDLE STDMETHODCALLTYPE GetParameter(D3DXHANDLE hParameter, UINT Index) = 0;
    virtual D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE hParameter,
                                                            LPCSTR pName) = 0;
    // The handle of element ElementIndex of an array parameter (for an array
    // of arrays, an inner array).
    virtual D3DXHANDLE STDMETHODCALLTYPE GetParameterElement(D3DXHANDLE hParameter,
                                                             UINT ElementIndex) = 0;
    virtual D3DXHANDLE STDMETHODCALLTYPE GetTechnique(UINT Index) = 0;
    virtual D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(LPCSTR pName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetValue(D3DXHANDLE hParameter, LPCVOID pData,
                                               UINT Bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetValue(D3DXHANDLE hParameter, LPVOID pData, UINT Bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBool(D3DXHANDLE hParameter, BOOL b) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBool(D3DXHANDLE hParameter, BOOL* pb) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetInt(D3DXHANDLE hParameter, INT n) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInt(D3DXHANDLE hParameter, INT* pn) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE hParameter, FLOAT f) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE hParameter, FLOAT* pf) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFloatArray(D3DXHANDLE hParameter, const FLOAT* pf,
                                                    UINT Count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFloatArray(D3DXHANDLE hParameter, FLOAT* pf,
                                                    UINT Count) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVector(D3DXHANDLE hParameter,
                                                const D3DXVECTOR4* pVector) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVector(D3DXHANDLE hParameter, D3DXVECTOR4* pVector) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVectorArray(D3DXHANDLE hParameter,
                                                     const D3DXVECTOR4* pVector, UINT Count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVectorArray(D3DXHANDLE hParameter, D3DXVECTOR4* pVector,
                                                     UINT Count) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE hParameter,
                                                const D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMatrix(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE hParameter,
                                                 LPDIRECT3DBASETEXTURE9 pTexture) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE hParameter,
                                                 LPDIRECT3DBASETEXTURE9* ppTexture) = 0;
};

// A compiled effect bound to a device: technique selection and the
// Begin / BeginPass / EndPass / End protocol that applies passes.
struct ID3DXEffect : public ID3DXBaseEffect {
    virtual HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE hTechnique) = 0;
    virtual D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() = 0;
    virtual HRESULT STDMETHODCALLTYPE Begin(UINT* pPasses, DWORD Flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginPass(UINT Pass) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommitChanges() = 0;
    virtual HRESULT STDMETHODCALLTYPE EndPass() = 0;
    virtual HRESULT STDMETHODCALLTYPE End() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnLostDevice() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnResetDevice() = 0;
};

extern "C" {
HRESULT WINAPI D3DXCreateEffectFromFileW(LPDIRECT3DDEVICE9 pDevice, LPCWSTR pSrcFile,
                                         const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude,
                                         DWORD Flags, LPD3DXEFFECTPOOL pPool,
                                         LPD3DXEFFECT* ppEffect, LPD3DXBUFFER* ppCompilationErrors);
HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData, UINT SrcDataLen,
                                const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude, DWORD Flags,
                                LPD3DXEFFECTPOOL pPool, LPD3DXEFFECT* ppEffect,
                                LPD3DXBUFFER* ppCompilationErrors);
}
