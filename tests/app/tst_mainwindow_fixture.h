#pragma once
// What the main window's tests share: a simulated Lumora X8, a log capture and a window
// whose timers never fire on their own (the tests run the ticks), with a 1 ms pause
// between extension-unit checks.
#include <QLabel>
#include <QPixmap>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/connection_flags.h"
#include "app/mainwindow.h"
#include "base/app_config.h"
#include "capture/custom_image_label.h"
#include "device/sim/sim_camera.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "support/log_capture.h"
#include "widgets/dark_effect_layout.h"
#include "widgets/protect_layout.h"
#include "xu/uvc_xu_manager.h"

namespace window_test {

inline mainwindow::Timing manualTiming() {
    mainwindow::Timing timing;
    timing.previewIntervalMs = 3600 * 1000;
    timing.connectIntervalMs = 3600 * 1000;
    timing.firstConnectMs = -1;
    timing.deviceRetrySleepMs = 1;
    return timing;
}

// Puts the process-wide state the window uses back to a program's start.
inline void resetProcessState() {
    SettingTaskEngine::instance().deleteCamera();
    UVCXUManager::instance().setEnableCommand(false);
    resetConnectionFlags();
    AppConfig& config = appConfig();
    config.defaultWidth = 0;
    config.defaultHeight = 0;
    config.defaultFps = 0;
    config.resolutionList.clear();
    currentValues().resolution = RESOLUTION_LIST();
}

// Runs the preview tick until done() holds; false after timeoutMs.
inline bool tickUntil(mainwindow& window, const std::function<bool()>& done, int timeoutMs = 5000) {
    return QTest::qWaitFor([&] { return window.updateImage(), done(); }, timeoutMs);
}

inline bool isCovered(mainwindow& window) {
    return window.overlay()->isOverlayShown() && window.overlay()->isVisible();
}

inline bool isDarkened(mainwindow& window) {
    return window.form().horizontalWidget->graphicsEffect() != nullptr;
}

// The picture the preview label shows; a null pixmap when it shows none.
inline QPixmap shownPicture(mainwindow& window) {
    return window.form().streamLabel->shownPicture();
}

inline bool isSearching() {
    return connectEnabled && !cameraReady;
}

inline bool isReady() {
    return !connectEnabled && cameraReady;
}

// A log, a camera and a window built on them, in this order; torn down in reverse.
struct Rig {
    std::unique_ptr<LogCapture> log;
    std::shared_ptr<device::sim::SimCamera> camera;
    std::unique_ptr<mainwindow> window;

    explicit Rig(device::sim::SimOptions options = {}, const mainwindow::Timing& timing = manualTiming()) {
        log = std::make_unique<LogCapture>();
        resetProcessState();
        camera = device::sim::installSimulatedCamera(options);
        log->clear();
        window = std::make_unique<mainwindow>(timing);
        window->show();
    }
    ~Rig() {
        window.reset();
        resetProcessState();
        log.reset();
    }

    // One connect tick that is expected to bring the window to Ready.
    bool connect() {
        window->connectCamera();
        return isReady();
    }
};

}  // namespace window_test
