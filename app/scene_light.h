// One light of the scene, described by a light file of eleven values.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include "app/scene_text_reader.h"

enum class LightKind : int {
    Sun = 1,
    Point = 2,
    PulsingPoint = 21,  // a point light whose radius swings with time
};

// Result of SceneLight::Load for a light file that ends before its eleventh value.
inline const HRESULT kLightFileTooShort = HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);

// The number a light-file value holds: leading white space skipped, then the
// longest decimal number (sign, digits, "." and an exponent), 0 without one.
float ReadLightValue(const wchar_t* piece);

// A light kind read as a float, truncated toward zero. Values outside the
// range of int are held at its ends instead of overflowing.
int TruncateLightKind(float value);

struct SceneLight {
    D3DXVECTOR4 colour{1.0f, 1.0f, 1.0f, 0.0f};  // "l_colAmbient"
    D3DXVECTOR4 position{0.0f, 0.0f, 0.0f, 0.0f};
    D3DXVECTOR4 viewPosition{0.0f, 0.0f, 0.0f, 0.0f};  // "l_pos"
    D3DXVECTOR4 direction{0.0f, 0.0f, 0.0f, 0.0f};
    D3DXVECTOR4 viewDirection{0.0f, 0.0f, 0.0f, 0.0f};  // "l_dir"
    float radius = 10.0f;                               // "l_radius"
    int kind = static_cast<int>(LightKind::Point);
    bool loaded = false;

    // Reads the light file at the path. D3DERR_NOTFOUND when there is no such
    // file or it cannot be opened; kLightFileTooShort when it ends before its
    // eleventh value (nothing is stored then).
    HRESULT Load(IDirect3DDevice9* device, const wchar_t* path);
    // Reads the eleven values from an open light file (Load's reading part).
    HRESULT LoadValues(SceneTextReader& reader);

    // Brings the view-space position and direction up to date with the camera
    // and makes a pulsing light pulse at the time t (seconds). Returns 1 and
    // changes nothing when the light is not loaded.
    HRESULT Update(IDirect3DDevice9* device, const D3DXVECTOR3& origin,
                   const D3DXMATRIX& cameraMatrix, float aspectRatio, double t);

    void Release();
};
