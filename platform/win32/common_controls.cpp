// comctl32's start-up call registers the common control window classes; no
// common control is used here, so there is nothing to register.
#include <commctrl.h>
#include <windows.h>

void WINAPI InitCommonControls(void) {}
