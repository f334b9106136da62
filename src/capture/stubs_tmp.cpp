#include "capture/capture_formats.h"
#include "capture/sample_grabber_cb.h"
#include "capture/slot_open.h"
#include "capture/standard_controls.h"
#include "capture/uvc_camera.h"
#include "capture/uvc_stream.h"

CaptureFormatList& ewc_currentFormatList() {
    static CaptureFormatList list;
    return list;
}
int ewc_SubtypeName(const device::Guid&, char*, size_t) {
    return 1;
}
int ewc_EnumFormats(CaptureFormatList&) {
    return 4;
}
bool findUvcCamera(int, const char*) {
    return false;
}
void ewc_EnsureCom() {}
int ewc_OpenControl(int) {
    return 4;
}
int ewc_OpenStream(int) {
    return 11;
}
int EWC_Close(int) {
    return 1;
}
void ewc_ReleaseSlot(int) {}
int ewc_GetPin(device::CaptureDevice&, PinDirection) {
    return -1;
}
void ewc_SampleGrabberCB::BufferCB(double, const uint8_t*, long) {}
int ewc_propfunc(int, int, int, double*, int*) {
    return 1;
}
int ewc_getFlags(int, int) {
    return 1;
}
int ewc_setAuto(int, int) {
    return 1;
}
int ewc_propKSfunc(int, int, int, double*) {
    return 1;
}
int UvcCamera::initial(const char*, std::vector<RESOLUTION_LIST>&) {
    return -1;
}
int UvcCamera::open(int, int, int) {
    return -3;
}
void UvcCamera::release() {}
int UvcCamera::newFrameCount() {
    return 0;
}
int UvcCamera::getFrame(uint8_t** data) {
    *data = nullptr;
    return 0;
}
int UvcCamera::getEvent() {
    return 0;
}
int UvcCamera::getValue(int) {
    return -1;
}
int UvcCamera::setValue(int, double) {
    return 1;
}
int UvcCamera::setManual(int) {
    return 1;
}
int UvcCamera::setAuto(int) {
    return 1;
}
int UvcCamera::getFlags(int) {
    return 1;
}
int UvcCamera::getKsValue(int) {
    return -1;
}
int UvcCamera::setKsValue(int, double) {
    return 1;
}
int UvcCamera::isOpen() const {
    return 0;
}
UvcStream::~UvcStream() = default;
int UvcStream::openAsRgbStream() {
    return 0;
}
int UvcStream::openAsRgbStream(const RESOLUTION_LIST&) {
    return -1;
}
int UvcStream::isOpen() {
    return 0;
}
int UvcStream::newFrameCount() {
    return 0;
}
int UvcStream::getFrame(uint8_t** data) {
    return camera_.getFrame(data);
}
int UvcStream::getEvent() {
    return 0;
}
int UvcStream::release() {
    return 0;
}
std::vector<RESOLUTION_LIST> UvcStream::getList() {
    return {};
}
void UvcStream::setCallback(StreamCallback*) {}
