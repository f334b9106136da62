#pragma once
// The driver's own answers to the calls whose answers the V4L2 backend relies on (and the
// fake uvcvideo of tests/device/fake/ imitates), asked in turn on the camera's node.
#include <memory>

#include "device/v4l2/sys_io.h"
#include "probe_report.h"

void checkDriverAnswers(ProbeReport& report, const std::shared_ptr<device::v4l2::SysIo>& io);
