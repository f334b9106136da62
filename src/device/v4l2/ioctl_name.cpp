#include "device/v4l2/ioctl_name.h"

#include <linux/uvcvideo.h>
#include <linux/videodev2.h>

#include <utility>

namespace device::v4l2 {

const char* ioctlName(unsigned long request) {
    static const std::pair<unsigned long, const char*> kNames[] = {
        {VIDIOC_QUERYCAP, "QUERYCAP"},
        {VIDIOC_ENUM_FMT, "ENUM_FMT"},
        {VIDIOC_ENUM_FRAMESIZES, "ENUM_FRAMESIZES"},
        {VIDIOC_ENUM_FRAMEINTERVALS, "ENUM_FRAMEINTERVALS"},
        {VIDIOC_G_FMT, "G_FMT"},
        {VIDIOC_S_FMT, "S_FMT"},
        {VIDIOC_G_PARM, "G_PARM"},
        {VIDIOC_S_PARM, "S_PARM"},
        {VIDIOC_REQBUFS, "REQBUFS"},
        {VIDIOC_QUERYBUF, "QUERYBUF"},
        {VIDIOC_QBUF, "QBUF"},
        {VIDIOC_DQBUF, "DQBUF"},
        {VIDIOC_STREAMON, "STREAMON"},
        {VIDIOC_STREAMOFF, "STREAMOFF"},
        {VIDIOC_QUERYCTRL, "QUERYCTRL"},
        {VIDIOC_QUERYMENU, "QUERYMENU"},
        {VIDIOC_G_CTRL, "G_CTRL"},
        {VIDIOC_S_CTRL, "S_CTRL"},
        {UVCIOC_CTRL_QUERY, "XU_QUERY"},
    };
    for (const auto& name : kNames) {
        if (name.first == request)
            return name.second;
    }
    return nullptr;
}

}  // namespace device::v4l2
