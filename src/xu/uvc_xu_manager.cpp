#include "xu/uvc_xu_manager.h"

#include "xu/uvc_xu.h"

UVCXUManager& UVCXUManager::instance() {
    static UVCXUManager* manager = new UVCXUManager();
    return *manager;
}

UVCXUManager::UVCXUManager() = default;
UVCXUManager::~UVCXUManager() = default;

void UVCXUManager::setEnableCommand(bool enable) {
    commandEnabled_ = enable;
}
bool UVCXUManager::haveDevice() {
    return false;
}
bool UVCXUManager::checkUVCDeviceExist() {
    return false;
}
