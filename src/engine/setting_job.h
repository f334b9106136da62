#pragma once
// One queued control change: which control, the new value, when it was queued and
// whether it came from releasing a slider (a "force" signal).
#include <cstdint>

struct SettingJob {
    int32_t controlId = 0;   // a ControlId; high byte 0x10 standard, 0x20 vendor control
    int32_t value = 0;       // the new value (a bool travels as 0 or 1)
    uint32_t tickCount = 0;  // tick count in ms when the job was queued; informational
    bool force = false;      // true when queued by a force handler (slider released)
};
