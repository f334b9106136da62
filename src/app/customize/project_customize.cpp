// This build's customisation: the camera's friendly name, the tool's name and the USB
// identifiers of the camera's audio and mass-storage functions.
#include <cstring>

#include "app/customize_data.h"

extern "C" __attribute__((visibility("default"))) ProjectCustomizeData getProjectCustomizeData() {
    ProjectCustomizeData record;
    std::memset(&record, 0, sizeof(record));
    std::strncpy(record.PCToolName, "Lumora X8 Setting Software", sizeof(record.PCToolName) - 1);
    std::strncpy(record.DeviceName, "Lumora X8", sizeof(record.DeviceName) - 1);
    record.UacVID = 0x2E7A;
    record.UacPID = 0x0C08;
    record.MassStorageVID = 0x2E7A;
    record.MassStoragePID = 0x0C09;
    return record;
}
