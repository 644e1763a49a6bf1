// The keyboard controls: the table of held keys fed by window messages, the
// render mode the digit keys choose, and the per-frame update that applies
// the keys and brings the scene's matrices up to date.
#pragma once

#include <windows.h>
#include <d3d9.h>

enum class RenderMode {
    Deferred,     // geometry-buffer pass, then one lighting quad per light
    Classic,      // every mesh drawn once per light with forward lighting
    ChannelView,  // one geometry-buffer technique drawn to the screen
};

constexpr int kKeyCount = 256;

// True while the key with that virtual-key code is held.
extern bool keyState[kKeyCount];
extern RenderMode renderMode;
// The technique ChannelView draws; one of the four geometry-buffer techniques.
extern const char* channelTechnique;

// Camera speeds UpdateFrame flies with: scene units and radians per second.
constexpr float kMoveSpeed = 40.0f;
constexpr float kTurnSpeed = 1.5f;

// The application's window-message callback: WM_SIZE sets aspectRatio,
// WM_KEYDOWN / WM_KEYUP hold and release keys. Key codes of 256 and above
// have no entry in the table and are ignored. Always returns 0 and leaves
// *noFurtherProcessing alone.
LRESULT CALLBACK HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     bool* noFurtherProcessing, void* context);

// The frame-move callback: applies the held keys, then updates every mesh's
// matrices and every light's view-space values.
void CALLBACK UpdateFrame(IDirect3DDevice9* device, double time, float elapsed, void* context);

// Applies the mode keys, then the movement keys to the camera. Returns
// whether any movement key was held.
bool ApplyControls(float moveSpeed, float turnSpeed, float elapsed);
