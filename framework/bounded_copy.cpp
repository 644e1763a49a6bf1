#include "framework/bounded_copy.h"

HRESULT BoundedCopyWide(WCHAR* destination, size_t capacity, const WCHAR* source) {
    if (capacity == 0) return E_INVALIDARG;
    for (size_t i = 0; i < capacity; ++i) {
        destination[i] = source[i];
        if (source[i] == L'\0') return S_OK;
    }
    destination[capacity - 1] = L'\0';
    return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
}
