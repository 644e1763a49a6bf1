// libFuzzer target for the list reader of test.lights and test.meshs: the
// counting pass and the loading pass over any bytes must not crash, and every
// entry handed out must be a terminated piece of at most 259 characters
// without its line break.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cwchar>

#include "app/scene_list.h"
#include "app/scene_text_reader.h"

namespace {

void CheckEntry(const wchar_t* entry) {
    const size_t length = std::wcslen(entry);
    if (length > kScenePieceCapacity - 1) __builtin_trap();
    if (std::wcschr(entry, L'\n') != nullptr) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file == nullptr) return 0;
    SceneTextReader reader(file);
    const int count = CountListEntries(reader);
    if (count < 0) __builtin_trap();
    // Counting that stops at the first entry it cannot load never counts more.
    reader.Rewind();
    const int loadable =
        CountListEntries(reader, [](const wchar_t* path) { return path[0] != L'x'; });
    if (loadable < 0 || loadable > count) __builtin_trap();
    int seen = 0;
    const ListLoadOutcome outcome =
        LoadListEntries(reader, count, [&](int index, const wchar_t* path) {
            if (index != seen++) __builtin_trap();
            CheckEntry(path);
            // Every fourth entry fails, so the early stop is exercised too.
            return index % 4 == 3 ? E_FAIL : S_OK;
        });
    if (outcome.loaded > count) __builtin_trap();
    return 0;
}
