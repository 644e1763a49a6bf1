// comctl32: the common-controls start-up call.
#pragma once

#include "windef.h"

extern "C" {
void WINAPI InitCommonControls(void);
}
