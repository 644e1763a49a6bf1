// Compiler messages handed back to the caller in an ID3DXBuffer.
#pragma once

#include <d3dx9.h>

#include <string>

namespace kl::d3dx9 {

// A buffer holding `text` and its terminating zero, with one reference.
ID3DXBuffer* CreateMessageBuffer(const std::string& text);

}  // namespace kl::d3dx9
