// D3DXCheckVersion: the application states which Direct3D and D3DX SDK
// versions it was compiled against; this library implements exactly
// Direct3D 9 (SDK version 32) with D3DX 9 of SDK version 27, so any other
// pair would mean the headers and the library disagree about interfaces.
#include <d3dx9.h>

extern "C" BOOL WINAPI D3DXCheckVersion(UINT D3DSdkVersion, UINT D3DXSdkVersion) {
    return D3DSdkVersion == D3D_SDK_VERSION && D3DXSdkVersion == D3DX_SDK_VERSION ? TRUE : FALSE;
}
