// Copying wide text into fixed-capacity buffers without overflow.
#pragma once

#include <windows.h>

// Copies source into destination (capacity characters, terminator included).
// S_OK when it fits; otherwise the first capacity - 1 characters, terminated,
// and HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER). Capacity 0: E_INVALIDARG,
// destination untouched.
HRESULT BoundedCopyWide(WCHAR* destination, size_t capacity, const WCHAR* source);
