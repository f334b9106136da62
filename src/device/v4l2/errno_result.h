#pragma once
// Kernel error numbers as the platform result codes the layers above compare and log.
#include "device/result.h"

namespace device::v4l2 {

// errno (positive or negative) -> failure code; 0 -> kOk.
HResult resultFromErrno(int error);

// The open of a device node: EACCES and EPERM say the user may not open it
// (kAccessDenied); the rest as resultFromErrno.
HResult resultFromOpenErrno(int error);

// S_FMT, REQBUFS and STREAMON: EBUSY says another file handle (another application)
// holds the stream (kInUse); the rest as resultFromErrno.
HResult resultFromStreamErrno(int error);

// A streaming call failed because the device is gone (unregistered node, unplugged
// USB device, or the queue the driver cancelled on disconnect).
bool isStreamLost(int error);

}  // namespace device::v4l2
