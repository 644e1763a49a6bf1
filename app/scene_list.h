// The two passes over a list file (test.lights, test.meshs): counting its
// entries, then loading one record per entry.
#pragma once

#include <windows.h>

#include <functional>

#include "app/scene_text_reader.h"

// Reads the file to its end and returns the number of entries. With
// canLoad, counting stops after the first entry that canLoad refuses (its
// load would end the list there): a list of millions of entries naming no
// file then costs one record, not millions.
int CountListEntries(SceneTextReader& reader, bool (*canLoad)(const wchar_t* path) = nullptr);

// Loads record `index` from the path an entry gives.
using ListEntryLoader = std::function<HRESULT(int index, const wchar_t* path)>;

struct ListLoadOutcome {
    // S_OK when all records were loaded; 1 when the file ended first; the
    // first negative result of the loader otherwise.
    HRESULT result;
    // Records that were loaded successfully (indices 0 to loaded - 1).
    int loaded;
};

// From the start of the file, hands the entries in order to the loader for the
// records 0 to count - 1. Comments and empty lines do not use up a record.
// Stops at the first negative result and when the file ends.
ListLoadOutcome LoadListEntries(SceneTextReader& reader, int count, const ListEntryLoader& load);
