// Menus as far as the framework uses them: handles that exist until
// destroyed, attached to and detached from windows.
#pragma once

#include <windows.h>

namespace kl::win32 {

bool IsMenu(HMENU menu);

}  // namespace kl::win32
