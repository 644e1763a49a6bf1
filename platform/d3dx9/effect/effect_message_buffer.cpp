#include "effect_message_buffer.h"

#include <atomic>
#include <vector>

namespace kl::d3dx9 {
namespace {

class MessageBuffer final : public ID3DXBuffer {
public:
    explicit MessageBuffer(const std::string& text) : bytes_(text.begin(), text.end()) {
        bytes_.push_back('\0');
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppvObject) override {
        if (!ppvObject) return E_POINTER;
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return bytes_.data(); }
    DWORD STDMETHODCALLTYPE GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

private:
    ~MessageBuffer() = default;
    std::atomic<ULONG> references_{1};
    std::vector<char> bytes_;
};

}  // namespace

ID3DXBuffer* CreateMessageBuffer(const std::string& text) {
    return new MessageBuffer(text);
}

}  // namespace kl::d3dx9
