#include "engine/control_application.h"

#include "base/debug_log.h"
#include "capture/uvc_camera.h"
#include "engine/control_table.h"
#include "engine/setting_task_engine.h"
#include "xu/uvc_xu_manager.h"

namespace {
int writeStandard(UvcCamera& camera, const ControlAccess& access, int32_t value) {
    if (access.route == Route::KernelStreaming)
        return camera.setKsValue(access.property, static_cast<double>(value));
    if (access.automaticFlag)
        return value == 1 ? camera.setAuto(access.property) : camera.setManual(access.property);
    return camera.setValue(access.property, static_cast<double>(value));
}
}  // namespace

void setUVCStandard(SettingJob job) {
    UvcCamera* camera = SettingTaskEngine::instance().camera();
    if (camera == nullptr) {
        debugLog("ERROR, setUVCStandard with no camera \n");
        return;
    }
    if (!camera->isOpen()) {
        debugLog("ERROR, camera closed \n");
        return;
    }
    const ControlRow* row = controlRow(job.controlId);
    if (row == nullptr || row->access.route == Route::Vendor) {
        return;
    }
    if (job.force && row->job.forceLine) {
        debugLog("%s Force \n", row->job.name);
    }
    CurrentValues& values = currentValues();
    if (row->access.onlyWhenChanged && job.value == (values.*row->field).load()) {
        debugLog("%s value not changed \n", row->job.name);
        return;
    }
    debugLog("%s set %d \n", row->job.name, job.value);
    const int result = writeStandard(*camera, row->access, job.value);
    recordValue(*row, job.value, values);
    debugLog("setValue %s result: %d \n", row->job.result, result);
}

void setUVCExtension(SettingJob job) {
    const ControlRow* row = controlRow(job.controlId);
    if (row == nullptr || row->access.route != Route::Vendor || row->access.writeVendor == nullptr) {
        return;
    }
    if (job.force && row->job.forceLine) {
        debugLog("%s Force \n", row->job.name);
    }
    debugLog("%s set %d \n", row->job.name, job.value);
    const bool ok = row->access.writeVendor(UVCXUManager::instance(), job.value);
    recordValue(*row, job.value, currentValues());
    debugLog("%s res:%d\n", row->job.name, ok ? 1 : 0);
}
