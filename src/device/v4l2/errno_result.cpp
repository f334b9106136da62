#include "device/v4l2/errno_result.h"

#include <cerrno>
#include <cstdlib>

namespace device::v4l2 {

HResult resultFromErrno(int error) {
    if (error < 0)
        error = -error;
    switch (error) {
        case 0:
            return kOk;
        case ENODEV:
        case ENXIO:
        case ESHUTDOWN:
            return kNotConnected;
        case ENOENT:
            return kNotFound;  // no such unit or control
        case ENOBUFS:
            return kMoreData;  // the length does not match the control's
        case EPIPE:
        case EIO:
        case EPROTO:
        case EREMOTE:
            return kGenFailure;  // the device stalled or failed the transfer
        case EBUSY:
        case EAGAIN:
            return kBusy;
        case ERANGE:
        case EINVAL:
        case EDOM:
            return kInvalidArg;
        case ETIMEDOUT:
            return kTimeout;
        case ENOMEM:
            return kOutOfMemory;
        case ENOTTY:
        case EBADRQC:
        case EOPNOTSUPP:
            return kNotImplemented;
        case EACCES:
        case EPERM:
        case EILSEQ:
            return kWrongState;  // not writable now (read-only, or locked by an automatic mode)
        default:
            return kFail;
    }
}

HResult resultFromOpenErrno(int error) {
    const int e = std::abs(error);
    return e == EACCES || e == EPERM ? kAccessDenied : resultFromErrno(error);
}

HResult resultFromStreamErrno(int error) {
    return std::abs(error) == EBUSY ? kInUse : resultFromErrno(error);
}

bool isStreamLost(int error) {
    return resultFromErrno(error) == kNotConnected || std::abs(error) == EIO;
}

}  // namespace device::v4l2
