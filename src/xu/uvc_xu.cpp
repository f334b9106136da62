#include "xu/uvc_xu.h"

UVCXU::UVCXU() = default;
UVCXU::~UVCXU() = default;
bool UVCXU::isDeviceFounded() const {
    return deviceFound_;
}
bool UVCXU::sendRequest(XURequest&) {
    return false;
}
bool UVCXU::getXUTransferSize(XURequest&, uint32_t&) {
    return true;
}
