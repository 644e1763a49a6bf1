// One mesh of the scene: a .x file's geometry, four textures per material and
// the matrices it is drawn with.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <map>
#include <string>

// Where each material's textures sit in SceneMesh::textures.
enum TextureSlot : DWORD {
    kAlphaSlot = 0,
    kBumpSlot = 1,
    kDiffuseSlot = 2,
    kSpecularSlot = 3,
    kSlotsPerMaterial = 4,
};

struct SceneMesh {
    // kSlotsPerMaterial references per material; each may be absent.
    IDirect3DTexture9** textures = nullptr;
    bool loaded = false;
    ID3DXMesh* mesh = nullptr;
    DWORD materialCount = 0;
    D3DXMATRIX worldViewProjection{};  // "matWVP"
    D3DXMATRIX world{};                // "matW"
    D3DXMATRIX projection{};           // "matP"
    D3DXMATRIX view{};                 // "matV"

    SceneMesh() = default;
    SceneMesh(const SceneMesh&) = delete;
    SceneMesh& operator=(const SceneMesh&) = delete;

    IDirect3DTexture9* Texture(DWORD material, TextureSlot slot) const {
        return textures[material * kSlotsPerMaterial + slot];
    }

    // Loads the mesh at the path with its normals, tangents and textures.
    // D3DERR_NOTFOUND when there is no such file; kTexturePathTooLong for an
    // over-long texture name; otherwise the first failing D3DX result.
    HRESULT Load(IDirect3DDevice9* device, const wchar_t* path);

    // Recomputes the four matrices from the camera; E_FAIL without touching
    // them when the mesh is not loaded. The device is not used.
    HRESULT UpdateTransforms(IDirect3DDevice9* device, const D3DXVECTOR3& origin,
                             const D3DXMATRIX& cameraMatrix, float aspectRatio);

    // Draws every subset with its material's textures through pass 0 of the
    // technique. E_FAIL when the mesh is not loaded.
    HRESULT Draw(IDirect3DDevice9* device, ID3DXEffect* effect, D3DXHANDLE technique);

    void Release();

private:
    // The textures loaded so far by one Load, by the file they came from.
    using LoadedTextures = std::map<std::wstring, IDirect3DTexture9*>;

    HRESULT LoadMaterialTextures(IDirect3DDevice9* device, DWORD material, const char* name,
                                 LoadedTextures& loadedTextures);
};
