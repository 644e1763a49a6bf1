#include "app/scene_list.h"

#include <climits>

int CountListEntries(SceneTextReader& reader, bool (*canLoad)(const wchar_t* path)) {
    int count = 0;
    // A count beyond INT_MAX cannot be held; such a list is read as far as it can be.
    while (count < INT_MAX && reader.ReadPiece()) {
        if (reader.Kind() != PieceKind::Entry) continue;
        ++count;
        if (canLoad != nullptr && !canLoad(reader.Entry())) break;
    }
    return count;
}

ListLoadOutcome LoadListEntries(SceneTextReader& reader, int count, const ListEntryLoader& load) {
    reader.Rewind();
    int index = 0;
    while (index < count) {
        if (!reader.ReadPiece()) return {S_FALSE, index};
        if (reader.Kind() != PieceKind::Entry) continue;
        const HRESULT result = load(index, reader.Entry());
        if (FAILED(result)) return {result, index};
        ++index;
    }
    return {S_OK, index};
}
