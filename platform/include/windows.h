// Win32 declarations for platforms without the Windows SDK. Only what the
// system uses is declared; every name, signature and value follows the
// public Win32 documentation so the same calls compile against the real SDK.
#pragma once

#include "winnt.h"
#include "winerror.h"
#include "windef.h"
#include "winbase.h"
#include "wingdi.h"
#include "winuser.h"
#include "shellapi.h"
