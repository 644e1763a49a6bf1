// Steps the passes share: drawing the scene's meshes with one technique and
// handing one light's values to the effect.
#pragma once

#include "app/scene_light.h"

// Draws every mesh of the scene, in scene order, with the technique.
void DrawSceneMeshes(IDirect3DDevice9* device, const char* technique);

// Sets the light's colour, view-space direction and position, and radius.
void SetLightParameters(const SceneLight& light);

// The geometry-buffer targets and the mesh draws dereference the effect and
// the targets; without them (resources not acquired) a pass draws nothing.
bool RenderResourcesHeld();
