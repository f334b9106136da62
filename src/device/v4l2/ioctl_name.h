#pragma once
// Short names of the V4L2 and uvcvideo requests the backend makes ("QUERYCAP", "DQBUF",
// "XU_QUERY", ...), for logs and traces of the system calls.

namespace device::v4l2 {

// Null for a request the backend never makes.
const char* ioctlName(unsigned long request);

}  // namespace device::v4l2
