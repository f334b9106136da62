#include "xu/uvc_xu_manager.h"

uint16_t UVCXUManager::getHdr() {
    return 0;
}
bool UVCXUManager::setHdr(bool) {
    return false;
}
uint16_t UVCXUManager::getAutoFrame() {
    return 0;
}
bool UVCXUManager::setAutoFrame(bool) {
    return false;
}
uint16_t UVCXUManager::getTrackingActive() {
    return 0;
}
bool UVCXUManager::setTrackingActive(bool) {
    return false;
}
bool UVCXUManager::setUpdateMode(uint8_t, int32_t) {
    return false;
}
bool UVCXUManager::resetToDefault() {
    return false;
}
bool UVCXUManager::getSerialNumber(char*) {
    return false;
}
bool UVCXUManager::getFwVersion(char*) {
    return false;
}
bool UVCXUManager::startReadHeader() {
    return false;
}
bool UVCXUManager::getHeaderVersion(uint8_t*) {
    return false;
}
bool UVCXUManager::startReadPartialFile(uint32_t) {
    return false;
}
bool UVCXUManager::setFwUpdateStart(uint8_t) {
    return false;
}
int UVCXUManager::getCameraSatatus() {
    return 65535;
}
uint16_t UVCXUManager::getAutoFrameZoomLevel() {
    return 0;
}
bool UVCXUManager::setAutoFrameZoomLevel(int) {
    return false;
}
int UVCXUManager::getAutoSensitive() {
    return 0;
}
bool UVCXUManager::setAutoSensitive(int) {
    return false;
}
int UVCXUManager::getTransferDataInfoSatatus() {
    return 1;
}
bool UVCXUManager::setTransferDataInfo(const uint8_t*) {
    return false;
}
uint32_t UVCXUManager::getTransferSize() {
    return 0;
}
bool UVCXUManager::setTransferData(const uint8_t*, uint32_t) {
    return false;
}
