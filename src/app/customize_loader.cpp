#include "app/customize_loader.h"

#include <QLibrary>
#include <cstring>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "base/install_paths.h"

namespace {
// Characters of the name that fit the 50-byte buffer beside the terminator.
const int kDeviceNameMax = 49;
}  // namespace

ProjectCustomizeData getProjectCustomizeData(const std::string& libraryDir) {
    ProjectCustomizeData record;
    std::memset(&record, 0, sizeof(record));
    const std::string dir = libraryDir.empty() ? privateLibraryDir("libProjectCustomize.so") : libraryDir;
    QLibrary library(QString::fromStdString(dir + "/ProjectCustomize"));
    auto fn = reinterpret_cast<GetProjectCustomizeDataFn>(library.resolve("getProjectCustomizeData"));
    if (!fn) {
        debugLog("ProjectCustomize not loaded: %s\n", library.errorString().toLocal8Bit().constData());
        return record;
    }
    record = fn();
    // Both texts are read as C strings: make sure each ends inside its field.
    record.PCToolName[sizeof(record.PCToolName) - 1] = '\0';
    record.DeviceName[sizeof(record.DeviceName) - 1] = '\0';
    return record;
}

bool storeDeviceName(const ProjectCustomizeData& record) {
    AppConfig& config = appConfig();
    const bool fits = config.setDeviceName(record.DeviceName);
    if (config.deviceName[0] == '\0')
        debugLog(
            "DeviceName is empty: no camera can be found by its name (is libProjectCustomize.so "
            "installed?)\n");
    if (!fits)
        debugLog("DeviceName too long, cut to %d characters: %s\n", kDeviceNameMax, config.deviceName);
    return fits;
}
