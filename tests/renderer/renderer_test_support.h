// Shared set-up for the renderer's tests: the program-wide values back at
// their start, and helpers that read matrices and feed window messages.
#pragma once

#include <windows.h>
#include <d3dx9.h>

namespace kl::test {

// Camera at its start pose, no keys held, Deferred mode, an empty scene.
void ResetRendererState();

// Sends a key message through the application's message callback.
void PressKey(WPARAM key);
void ReleaseKey(WPARAM key);

// Row r (0 to 3) of a matrix as the first three entries.
D3DXVECTOR3 Row(const D3DXMATRIX& m, int r);

}  // namespace kl::test
