#include "app/scene.h"

#include <new>
#include <string>

#include "app/scene_file.h"
#include "app/scene_list.h"
#include "app/scene_text_reader.h"
#include "framework/console_text.h"

SceneLight* lightList = nullptr;
int lightCount = 0;
SceneMesh* meshList = nullptr;
int meshCount = 0;

D3DXMATRIX cameraMatrix;
D3DXVECTOR3 origin;
float aspectRatio = 0.0f;

namespace {

void ShowSceneError(const wchar_t* text) {
    MessageBoxW(nullptr, text, L"Kestralune Error!", MB_ICONERROR | MB_OK);
}

// The debug output shows which entry is being loaded.
void ReportLoading(const wchar_t* what, const wchar_t* entry) {
    const std::wstring text = std::wstring(what) + entry + L"\n";
    OutputDebugStringW(text.c_str());
}

// Allocates `count` default records and loads one per entry of the list.
// `count` is lowered to the records built: those loaded when the file ended
// early, and up to the failing one (which may hold resources) on a failure.
template <typename Record>
HRESULT LoadRecords(SceneTextReader& reader, IDirect3DDevice9* device, const wchar_t* what,
                    Record** list, int* count) {
    *list = new (std::nothrow) Record[*count];
    if (*list == nullptr) {
        *count = 0;
        return E_OUTOFMEMORY;
    }
    Record* records = *list;
    const ListLoadOutcome outcome =
        LoadListEntries(reader, *count, [&](int index, const wchar_t* path) {
            ReportLoading(what, path);
            return records[index].Load(device, path);
        });
    *count = FAILED(outcome.result) ? outcome.loaded + 1 : outcome.loaded;
    if (FAILED(outcome.result)) ShowSceneError(L"Wrong scene!");
    return outcome.result;
}

HRESULT LoadLights(IDirect3DDevice9* device) {
    lightCount = 0;
    SceneTextReader reader(OpenSceneFile(L"test.lights"));
    if (!reader.IsOpen()) {
        ShowSceneError(L"Can`t open scene lights file!");
        ReportUnopenedFile(L"test.lights", nullptr);
        return D3DERR_NOTFOUND;
    }
    lightCount = CountListEntries(reader, FileExistsAt);
    if (lightCount == 0) return S_OK;
    return LoadRecords(reader, device, L"Load light: ", &lightList, &lightCount);
}

HRESULT LoadMeshes(IDirect3DDevice9* device) {
    meshCount = 0;
    SceneTextReader reader(OpenSceneFile(L"test.meshs"));
    if (!reader.IsOpen()) {
        ShowSceneError(L"Can`t open scene meshs file!");
        ReportUnopenedFile(L"test.meshs", nullptr);
        return D3DERR_NOTFOUND;
    }
    meshCount = CountListEntries(reader, FileExistsAt);
    if (meshCount < 1) {
        ShowSceneError(L"No meshes in scene!");
        return D3DERR_INVALIDCALL;
    }
    return LoadRecords(reader, device, L"Load Mesh: ", &meshList, &meshCount);
}

// Width / height of the back buffer, which a windowed device sizes to the
// window's client area; a height of 0 counts as 1. Without a description the
// ratio is 1.
float AspectRatioOfBackBuffer(const D3DSURFACE_DESC* backBufferDesc) {
    if (backBufferDesc == nullptr) return 1.0f;
    const UINT height = backBufferDesc->Height != 0 ? backBufferDesc->Height : 1;
    return static_cast<float>(backBufferDesc->Width) / static_cast<float>(height);
}

// The camera stands at (0, 0, -100) and looks along +z with +y up. The
// aspect ratio comes from the back buffer: the window's size messages all
// came while it was created, before the scene existed, and the next one may
// never come.
void PlaceCameraAtStart(const D3DSURFACE_DESC* backBufferDesc) {
    const D3DXVECTOR3 eye(0.0f, 0.0f, -100.0f);
    const D3DXVECTOR3 target(0.0f, 0.0f, 1000.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    D3DXMatrixInverse(&cameraMatrix, nullptr, &view);
    origin = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    aspectRatio = AspectRatioOfBackBuffer(backBufferDesc);
}

template <typename Record>
void ReleaseRecords(Record** list, int* count) {
    if (*list == nullptr) return;
    for (int i = *count - 1; i >= 0; --i) (*list)[i].Release();
    delete[] * list;
    *list = nullptr;
    *count = 0;
}

}  // namespace

HRESULT CALLBACK LoadScene(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBufferDesc,
                           void* context) {
    // A scene left over from a failed load is freed before the lists are rebuilt.
    ReleaseScene(nullptr);

    HRESULT hr = LoadLights(device);
    if (hr != S_OK) return hr;
    hr = LoadMeshes(device);
    if (hr != S_OK) return hr;

    PlaceCameraAtStart(backBufferDesc);
    for (int i = 0; i < meshCount; ++i) {
        meshList[i].UpdateTransforms(device, origin, cameraMatrix, aspectRatio);
    }
    for (int i = 0; i < lightCount; ++i) {
        lightList[i].Update(device, origin, cameraMatrix, aspectRatio, 0.0);
    }
    return S_OK;
}

void CALLBACK ReleaseScene(void* context) {
    ReleaseRecords(&lightList, &lightCount);
    ReleaseRecords(&meshList, &meshCount);
}
