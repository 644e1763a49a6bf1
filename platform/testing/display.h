// Display-profile hooks: the hardware that Direct3D objects created after the
// call describe.
#pragma once

#include "d3d9/display_profile.h"

namespace kl::testing {

// Direct3DCreate9 answers from this profile from now on.
void SetDisplayProfile(const kl::d3d9::DisplayProfile& profile);
// Back to the profile built from the displays (or the virtual display).
void UseBuiltDisplayProfile();
// The headless virtual display, a starting point for synthetic profiles.
kl::d3d9::DisplayProfile VirtualDisplayProfile();

}  // namespace kl::testing
