// Both steps pre-multiply: a row-vector matrix applied before cameraMatrix
// acts in the camera's own frame, so the move follows the view direction and
// the turn pivots about the camera's position.
#include "renderer/camera.h"

#include <d3dx9.h>

#include "app/scene.h"

float AspectRatioFromSize(LPARAM sizeParam) {
    const unsigned width = LOWORD(sizeParam);
    unsigned height = HIWORD(sizeParam);
    if (height == 0) height = 1;
    return static_cast<float>(width) / static_cast<float>(height);
}

void MoveCamera(float dx, float dy, float dz, float yaw, float pitch, float roll) {
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, dx, dy, dz);
    D3DXMatrixMultiply(&cameraMatrix, &translation, &cameraMatrix);

    D3DXQUATERNION turn;
    D3DXQuaternionRotationYawPitchRoll(&turn, yaw, pitch, roll);
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &turn);
    D3DXMatrixMultiply(&cameraMatrix, &rotation, &cameraMatrix);
}
