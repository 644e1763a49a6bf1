#include "d3dx9/effect/effect_message_buffer.h"

#include <cstring>

namespace kl::d3dx9 {

ID3DXBuffer* CreateMessageBuffer(const std::string& text) {
    ID3DXBuffer* buffer = nullptr;
    // D3DXCreateBuffer zeroes the bytes, so the text ends with its zero.
    if (FAILED(D3DXCreateBuffer(static_cast<DWORD>(text.size() + 1), &buffer))) return nullptr;
    std::memcpy(buffer->GetBufferPointer(), text.data(), text.size());
    return buffer;
}

}  // namespace kl::d3dx9
