#include "framework/debug_trace.h"

#include <string>

void DebugTrace(const WCHAR* prefix, const WCHAR* detail) {
    std::wstring line = prefix ? prefix : L"";
    line += detail ? detail : L"";
    line += L"\n";
    OutputDebugStringW(line.c_str());
}
