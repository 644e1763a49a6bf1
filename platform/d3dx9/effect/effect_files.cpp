#include "d3dx9/effect/effect_files.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace kl::d3dx9 {

bool ReadWholeFile(const std::string& path, std::string& contents) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream text;
    text << file.rdbuf();
    contents = text.str();
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

}  // namespace kl::d3dx9
