// The scene of the program: its light and mesh lists, built from test.lights
// and test.meshs in the working directory, and the camera values that every
// mesh and light update reads.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include "app/scene_light.h"
#include "app/scene_mesh.h"

// One record per entry of test.lights, in file order; null while no scene is
// loaded and when the list has no entry. lightCount never counts a record that
// was not loaded from an entry.
extern SceneLight* lightList;
extern int lightCount;
// One record per entry of test.meshs, in file order; null while no scene is loaded.
extern SceneMesh* meshList;
extern int meshCount;

// The camera's world matrix (the inverse of the view matrix).
extern D3DXMATRIX cameraMatrix;
// The offset handed to every mesh and light update: (0, 0, 0) from the scene load on.
extern D3DXVECTOR3 origin;
// Width / height of the window's client area; 1.0 right after each scene load.
extern float aspectRatio;

// The device-created callback: reads both lists, loads every light and mesh,
// places the camera at its start and updates every mesh and light once.
// Failures are shown in a "Kestralune Error!" box. Returns S_OK, 1 when a list
// file ended while its records were loaded, or the failure's result.
HRESULT CALLBACK LoadScene(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBufferDesc,
                           void* context);

// The device-destroyed callback: releases both lists, last record first.
void CALLBACK ReleaseScene(void* context);
