#include "base/install_paths.h"

#include <unistd.h>

#include "base/read_config.h"

namespace {
bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// The first of beside and installed (both relative to the executable's folder) that holds
// file; fallback when neither does.
std::string folderHolding(const std::string& file, const char* installed, bool fallbackBeside) {
    const std::string beside = executableDir();
    const std::string below = beside + "/" + installed;
    if (exists(beside + "/" + file))
        return beside;
    if (exists(below + "/" + file))
        return below;
    return fallbackBeside ? beside : below;
}
}  // namespace

std::string privateLibraryDir(const std::string& libraryFile) {
    return folderHolding(libraryFile, LUMORA_PRIVATE_LIB_FROM_BIN, true);
}

std::string dataDir(const std::string& dataFile) {
    return folderHolding(dataFile, LUMORA_DATA_FROM_BIN, false);
}
