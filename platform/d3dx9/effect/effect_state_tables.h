// The names effect files use for render and sampler states and their values
// (ZFunc = Greater, SrcBlend = InvSrcAlpha, AddressU = Clamp, ...), turned
// into the Direct3D state types and DWORD values.
#pragma once

#include "d3dx9/effect/hlsl_ast.h"

#include <d3d9.h>

#include <string>

namespace kl::d3dx9 {

// False, with a message in `error`, for an unknown state or value name.
bool ResolveRenderState(const hlsl::StateAssignment& s, D3DRENDERSTATETYPE& state, DWORD& value,
                        std::string& error);
bool ResolveSamplerState(const hlsl::StateAssignment& s, D3DSAMPLERSTATETYPE& state, DWORD& value,
                         std::string& error);

}  // namespace kl::d3dx9
