#pragma once
// What a queued job does to the camera: standard controls through the open camera of
// the settings engine, vendor controls through the extension unit. After each write the
// requested value is recorded in CurrentValues, whatever the device answered (the
// answer is logged). Called by the settings worker, one job at a time.
#include "engine/setting_job.h"

// Jobs 0x1000..0x100F. Needs the engine's camera, and the camera open.
void setUVCStandard(SettingJob job);
// Jobs 0x2000..0x2002, 0x2004 and 0x2005; 0x2003 and 0x2006 are ignored silently.
void setUVCExtension(SettingJob job);
