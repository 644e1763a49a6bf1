// libFuzzer target for the light-file reader: any bytes either load as a light
// or fail with the short-file result, never crash, and a loaded light survives
// its updates (the pulsing radius included).
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "app/scene_light.h"
#include "app/scene_text_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file == nullptr) return 0;
    SceneTextReader reader(file);
    SceneLight light;
    const HRESULT hr = light.LoadValues(reader);
    if (hr != S_OK && hr != kLightFileTooShort) __builtin_trap();
    if (light.loaded != (hr == S_OK)) __builtin_trap();

    D3DXMATRIX camera;
    D3DXMatrixTranslation(&camera, 0.0f, 0.0f, -100.0f);
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
    light.Update(nullptr, origin, camera, 1.0f, 0.0);
    light.Update(nullptr, origin, camera, 1.0f, 10.5);
    light.Release();
    return 0;
}
