// The connection state machine: the connect tick, the stream's open result and the read
// of the camera's values. The preview tick is in mainwindow_preview.cpp.
#include <QGuiApplication>
#include <QTimer>
#include <cstdint>

#include "app/connection_flags.h"
#include "app/mainwindow.h"
#include "app/window_wait.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "base/quit_request.h"
#include "capture/custom_image_label.h"
#include "capture/standard_controls.h"
#include "device/device_port.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "firmware/firmware_update.h"
#include "xu/uvc_xu_manager.h"

namespace {
// Extension-unit checks after the first one, before an open stream is given up.
constexpr int kExtensionUnitRetries = 20;
// The frame size prepared before a stream opens when APSet.ini names none.
constexpr int kDefaultFrameWidth = 3520;
constexpr int kDefaultFrameHeight = 1104;
constexpr int kBytesPerPixel = 4;
// The power-line frequency in the kernel-streaming property set.
constexpr int kKsPowerlineFrequency = 13;

// What the backend chose (device node, extension unit), when it has something to say.
void logBackendChoice() {
    const device::DevicePort& port = device::port();
    if (!port.describe)
        return;
    const std::string text = port.describe();
    if (!text.empty())
        debugLog("camera backend %s: %s\n", port.name.c_str(), text.c_str());
}
}  // namespace

void mainwindow::CStreamCallback::streamResult(int result) {
    window_->streamResult(result);
}

void mainwindow::installQuitHandling() {
    // Closing the last window, or the event loop ending for any reason, is a quit
    // request: the waits in progress end, the settings worker takes no further job.
    connect(qApp, &QGuiApplication::lastWindowClosed, this, [] { requestQuit(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [] { requestQuit(); });
    stream_->setOpenWait(
        [](const std::function<bool()>& workerDone) { waitKeepingWindowAlive(-1, workerDone); });
}

void mainwindow::connectCamera() {
    if (quitRequested())
        return;  // the program is ending: no new connect, no watch
    if (connectEnabled) {
        debugLog("\n******connectStart*****: %d\n", stream_->isOpen());
        ui.streamLabel->clear();
        if (stream_->isOpen()) {
            // A reconnect was asked for while the stream still runs: close everything;
            // the next tick opens again.
            UVCXUManager::instance().setEnableCommand(false);
            SettingTaskEngine::instance().deleteCamera();
            releaseStreamAndClearPreview();
        } else {
            debugLog("\n-----open RGB-----\n");
            stream_->openAsRgbStream();  // streamResult runs before this returns
            prepareDefaultFrameFormat();
        }
    }

    if (fwUpdating) {
        debugLog("\n******fwUpdating*****:%d \n", fwUpdating);
        const bool present = UVCXUManager::instance().checkUVCDeviceExist();
        debugLog("checkUVCDeviceExist: %d \n", present);
        if (!present) {
            fwUpdating = false;
            closeAllDialogs();
            disableWindow();
        }
    }

    if (waitResetConnection)
        checkResetDisconnect();
}

void mainwindow::prepareDefaultFrameFormat() {
    const AppConfig& config = appConfig();
    // A configured size that is negative, or too large for one frame's byte count, would
    // make a nonsensical frame buffer; the built-in size is prepared instead.
    const int64_t configuredBytes = int64_t(config.defaultWidth) * config.defaultHeight * kBytesPerPixel;
    if (config.defaultWidth > 0 && config.defaultHeight > 0 && configuredBytes <= INT32_MAX) {
        frameImage_.setFormat(config.defaultWidth, config.defaultHeight, kBytesPerPixel);
    } else {
        frameImage_.setFormat(kDefaultFrameWidth, kDefaultFrameHeight, kBytesPerPixel);
    }
}

void mainwindow::releaseStreamAndClearPreview() {
    stream_->release();
    ui.streamLabel->clear();
}

bool mainwindow::findExtensionUnit() {
    // No tick of the window runs meanwhile; a quit request ends the checks.
    return UVCXUManager::instance().findUnit(kExtensionUnitRetries, [this] {
        return waitKeepingWindowAlive(timing_.deviceRetrySleepMs, nullptr);
    });
}

void mainwindow::streamResult(int result) {
    debugLog("streamResult:%d \n", result);
    if (quitRequested()) {
        abandonConnectionForQuit();
        return;
    }
    if (result < 0) {
        debugLog("\n*******open camera failed*******\n");
        disableWindowAndReconnect();
        return;
    }

    const bool found = findExtensionUnit();
    if (quitRequested()) {
        abandonConnectionForQuit();
        return;
    }
    if (found) {
        logBackendChoice();
        SettingTaskEngine::instance().setCamera(&stream_->camera());
        connectEnabled = false;
        if (!cameraReady) {
            cameraReady = true;
            getDefaultValue();
            if (quitRequested()) {
                // The read was cut short: no stored profile meets half-read values.
                cameraReady = false;
                abandonConnectionForQuit();
                return;
            }
            applyStoredProfile();
            enableWindow();
        }
        modeChanging = false;
    } else {
        debugLog("\n*******out of 20 times, end flow*******\n");
        debugLog("setEnableCommand streamResult out of 20 times\n");
        UVCXUManager::instance().setEnableCommand(false);
        debugLog("deleteCamera streamResult\n");
        SettingTaskEngine::instance().deleteCamera();
        releaseStreamAndClearPreview();
        disableWindowAndReconnect();
    }
    waitResetConnection = false;
}

void mainwindow::abandonConnectionForQuit() {
    debugLog("quit requested: connection abandoned \n");
    UVCXUManager::instance().setEnableCommand(false);
    SettingTaskEngine::instance().deleteCamera();
    releaseStreamAndClearPreview();
}

void mainwindow::getDefaultValue() {
    // Each read may wait out the driver's time-out on a camera that hangs: a quit request
    // (a signal) ends the read between two groups, and the pages keep what they show.
    if (!stream_->isOpen())
        return;
    CurrentValues& values = currentValues();
    UvcCamera& camera = stream_->camera();
    UVCXUManager& xu = UVCXUManager::instance();

    writeStdout("getDefaultValue\n");
    appConfig().resolutionList = stream_->getList();
    writeStdout("resolution end\n");

    if (quitRequested())
        return;
    values.zoom = camera.getValue(ZOOM);
    values.pan = camera.getValue(PAN);
    values.tilt = camera.getValue(TILT);
    debugLog("\n--------getDefaultValue zoom: %d ,pan:%d, tilt: %d --------\n", values.zoom.load(),
             values.pan.load(), values.tilt.load());

    if (quitRequested())
        return;
    values.expAuto = camera.getFlags(EXPOSURE);
    values.gain = camera.getValue(GAIN);
    values.expTime = camera.getValue(EXPOSURE);
    debugLog("\n--------getDefaultValue exp: %d ,gain:%d, expTime: %d --------\n", values.expAuto.load(),
             values.gain.load(), values.expTime.load());

    if (quitRequested())
        return;
    values.wbAuto = camera.getFlags(WHITEBALANCE);
    values.wbValue = camera.getValue(WHITEBALANCE);
    debugLog("\n--------getDefaultValue wb: %d ,wbValue:%d --------\n", values.wbAuto.load(),
             values.wbValue.load());

    if (quitRequested())
        return;
    values.autoFrame = xu.getAutoFrame();
    values.autoFrameSensitive = xu.getAutoSensitive();
    values.autoFrameZoomLevel = xu.getAutoFrameZoomLevel();
    debugLog("\n--------getDefaultValue autoFrame: %d--------\n", values.autoFrame.load());
    debugLog("--------getDefaultValue autoFrameSensitive : %d, autoFrameZoomLevel : %d--------\n",
             values.autoFrameSensitive.load(), values.autoFrameZoomLevel.load());

    if (quitRequested())
        return;
    values.brightness = camera.getValue(BRIGHTNESS);
    values.contrast = camera.getValue(CONTRAST);
    values.hue = camera.getValue(HUE);
    values.saturation = camera.getValue(SATURATION);
    values.sharpness = camera.getValue(SHARPNESS);
    values.gamma = camera.getValue(GAMMA);
    values.backlight = camera.getValue(BACKLIGHTCOMPENSATION);
    values.hdr = xu.getHdr();
    debugLog("\n--------getDefaultValue brightness: %d ,contract:%d, hue: %d --------\n",
             values.brightness.load(), values.contrast.load(), values.hue.load());
    debugLog("--------getDefaultValue saturation: %d ,sharpness:%d, gamma: %d --------\n",
             values.saturation.load(), values.sharpness.load(), values.gamma.load());
    debugLog("--------getDefaultValue backlight: %d ,hdr:%d--------\n", values.backlight.load(),
             values.hdr.load());

    if (quitRequested())
        return;
    values.antiFlicker = camera.getKsValue(kKsPowerlineFrequency);
    debugLog("\n--------getDefaultValue frequency: %d--------\n", values.antiFlicker.load());

    if (quitRequested())
        return;
    values.trackingActive = xu.getTrackingActive();
    debugLog("\n--------getDefaultValue TrackingActive: %d--------\n", values.trackingActive.load());

    if (quitRequested())
        return;
    xu.getFwVersion(values.fwVersion);
    xu.getSerialNumber(values.serialNumber);
    debugLog("\n--------getDefaultValue fwVer: %s ,sn:%s --------\n", values.fwVersion, values.serialNumber);
    debugLog("\n--------getDefaultValue info: %d --------\n", values.info.load());

    if (quitRequested())
        return;
    values.transferSize = static_cast<int32_t>(xu.getTransferSize());

    firmwareUpdate_->cameraReturned(values.fwVersion);  // after an update: its verdict
    refillPages();
}

void mainwindow::releaseLostCamera() {
    const bool updateHoldsCamera = firmwareUpdate_->holdsCamera();
    debugLog("\n******DeviceLost!! release all uvc camera***** %d\n", updateHoldsCamera);
    debugLog("setEnableCommand DeviceLost\n");
    UVCXUManager::instance().setEnableCommand(false);
    debugLog("deleteCamera DeviceLost\n");
    SettingTaskEngine::instance().deleteCamera();
    releaseStreamAndClearPreview();
    if (!modeChanging && !updateHoldsCamera) {
        closeAllDialogs();
        disableWindowAndReconnect();
    }
}
