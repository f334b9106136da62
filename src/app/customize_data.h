#pragma once
// The customisation record handed over by the customisation library's one function.
// Its layout is binding: 2036 bytes, the fields read by the program at fixed offsets.
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct ProjectCustomizeData {
    char PCToolName[50];
    char DeviceName[154];
    uint16_t UacVID;
    uint16_t UacPID;
    uint16_t MassStorageVID;
    uint16_t MassStoragePID;
    uint8_t unread[1824];  // carried, never read
};
#pragma pack(pop)

static_assert(sizeof(ProjectCustomizeData) == 2036, "customisation record is 2036 bytes");
static_assert(offsetof(ProjectCustomizeData, PCToolName) == 0, "PCToolName at 0");
static_assert(offsetof(ProjectCustomizeData, DeviceName) == 50, "DeviceName at 50");
static_assert(offsetof(ProjectCustomizeData, UacVID) == 204, "UacVID at 204");
static_assert(offsetof(ProjectCustomizeData, UacPID) == 206, "UacPID at 206");
static_assert(offsetof(ProjectCustomizeData, MassStorageVID) == 208, "MassStorageVID at 208");
static_assert(offsetof(ProjectCustomizeData, MassStoragePID) == 210, "MassStoragePID at 210");

extern "C" {
// The library's function: no argument, the record returned by value.
typedef ProjectCustomizeData (*GetProjectCustomizeDataFn)();
}
