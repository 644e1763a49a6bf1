#include "common/library_exports.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace kl::platform {

namespace {

using ExportKey = std::pair<std::string, std::string>;  // library, entry point

struct ExportTable {
    std::mutex lock;
    std::map<ExportKey, FARPROC> entries;
};

// Function-local so that registrations from other files' static initializers
// find it constructed whatever the initialization order.
ExportTable& Exports() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static ExportTable& table = *new ExportTable;
    return table;
}

}  // namespace

std::string CanonicalLibraryName(const std::string& library) {
    const size_t slash = library.find_last_of("\\/");
    std::string name = slash == std::string::npos ? library : library.substr(slash + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string suffix = ".dll";
    const bool hasSuffix = name.size() >= suffix.size() &&
                           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    if (!hasSuffix) name += suffix;
    return name;
}

bool RegisterLibraryExport(const char* library, const char* name, FARPROC procedure) {
    if (!library || !name || !procedure) return false;
    ExportTable& table = Exports();
    std::lock_guard<std::mutex> hold(table.lock);
    table.entries[{CanonicalLibraryName(library), name}] = procedure;
    return true;
}

FARPROC FindLibraryExport(const char* library, const char* name) {
    if (!library || !name) return nullptr;
    ExportTable& table = Exports();
    std::lock_guard<std::mutex> hold(table.lock);
    const auto found = table.entries.find({CanonicalLibraryName(library), name});
    return found == table.entries.end() ? nullptr : found->second;
}

bool IsLibraryInstalled(const char* library) {
    if (!library) return false;
    const std::string canonical = CanonicalLibraryName(library);
    ExportTable& table = Exports();
    std::lock_guard<std::mutex> hold(table.lock);
    const auto first = table.entries.lower_bound({canonical, std::string()});
    return first != table.entries.end() && first->first.first == canonical;
}

}  // namespace kl::platform
