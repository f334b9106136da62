#include "tabs/control_binding.h"

#include "base/debug_log.h"
#include "engine/control_table.h"
#include "engine/setting_task_engine.h"
#include "widgets/custom_slider.h"

namespace control_binding {

void sendChange(ControlId id, int pageValue) {
    const ControlRow& row = *controlRow(id);
    const int value = cameraValueOf(row, pageValue);
    if (row.page.change != nullptr)
        debugLog("%s %d \n", row.page.change, value);
    SettingTaskEngine::instance().addJob(id, value);
}

void sendRelease(ControlId id, int pageValue) {
    const ControlRow& row = *controlRow(id);
    const int value = cameraValueOf(row, pageValue);
    if (row.page.release != nullptr)
        debugLog("\n********%s, %d ********\n", row.page.release, pageValue);
    if (row.page.force != nullptr)
        debugLog("%s: %d \n", row.page.force, value);
    SettingTaskEngine::instance().addJob(id, value, true);
}

void sendPanTiltRelease(int pan, int tilt) {
    debugLog("\n********eptzforcePanTilt, %d, %d ********\n", pan, tilt);
    debugLog("forcePanTilt pan: %d, tilt: %d \n", pan, tilt);
    SettingTaskEngine::instance().addJob(EWC_PAN, pan, true);
    SettingTaskEngine::instance().addJob(EWC_TILT, tilt, true);
}

void bindSlider(CustomSlider* slider, ControlId id) {
    bindChange(slider, &CustomSlider::sliderValueChanged, id);
    bindRelease(slider, id);
}

void bindRelease(CustomSlider* slider, ControlId id) {
    QObject::connect(slider, &CustomSlider::sliderReleased, slider,
                     [id](int value) { sendRelease(id, value); });
}

}  // namespace control_binding
