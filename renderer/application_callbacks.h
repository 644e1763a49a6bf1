// The program's wiring into the framework: which of its functions the
// framework calls for the device's life and for every frame.
#pragma once

// Registers the seven callbacks: scene load and release with the device,
// render resources with every reset and loss, the window-message hook, the
// per-frame update and the frame draw.
void RegisterApplicationCallbacks();
