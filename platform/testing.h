// Test hooks of the platform layer. Only tests include this header; system
// code never does. Each area keeps its hooks in platform/testing/<area>.h.
#pragma once

#include "testing/clock.h"
#if __has_include("testing/windows.h")
#include "testing/windows.h"
#endif
#if __has_include("testing/display.h")
#include "testing/display.h"
#endif
#if __has_include("testing/surfaces.h")
#include "testing/surfaces.h"
#endif
