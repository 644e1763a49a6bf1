// The fixed matrices the lighting quad is drawn with. The quad is already in
// clip space; the matrices only let the lighting techniques rebuild
// view-space positions from the geometry buffer.
#pragma once

#include <d3dx9.h>

struct LightingMatrices {
    D3DXMATRIX worldView;              // "matWV"
    D3DXMATRIX world;                  // "matW"
    D3DXMATRIX view;                   // "matV"
    D3DXMATRIX projection;             // "matP"
    D3DXMATRIX worldViewProjection;    // "matWVP"
    D3DXMATRIX inverseTransposeWorld;  // "matInvTrW"
    D3DXMATRIX inverseView;            // "matInvV"
    D3DXMATRIX inverseProjection;      // "matInvP"
    D3DXMATRIX inverseViewProjection;  // "matInvVP"
};

// World is the identity, view the camera's start pose (eye (0, 0, -100)
// looking along +z), projection the meshes' projection at this aspect ratio.
LightingMatrices ComputeLightingMatrices(float aspect);

// The deferred technique for a light kind; nullptr for kinds that are not
// drawn.
const char* DeferredTechniqueFor(int kind);
