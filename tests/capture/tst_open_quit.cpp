// A quit requested while a stream open waits for its first frame ends the wait (and the
// open's further attempts) at once instead of after three 15 s waits; the open fails.
#include <QtTest>
#include <chrono>
#include <thread>

#include "base/app_config.h"
#include "base/quit_request.h"
#include "capture/capture_slots.h"
#include "capture/uvc_stream.h"
#include "device/device_port.h"
#include "device/sim/sim_camera.h"
#include "support/log_capture.h"

namespace {
class LastResult : public StreamCallback {
public:
    void streamResult(int r) override { result = r; }
    int result = 0;
};
}  // namespace

class OpenQuitTest : public QObject {
    Q_OBJECT

private slots:
    void quitEndsTheFirstFrameWait() {
        appConfig().setDeviceName("Lumora X8");
        appConfig().defaultWidth = 640;
        appConfig().defaultHeight = 360;
        appConfig().defaultFps = 30;
        ewc_timeouts() = CaptureTimeouts{};  // 15 s for the first frame, three attempts
        auto camera = device::sim::installSimulatedCamera();
        camera->setNeverDeliverFrames(true);
        LogCapture log;
        LastResult callback;
        UvcStream stream;
        stream.setCallback(&callback);

        std::thread quitter([&log] {
            while (!log.contains("ewc_OpenStream ewc_hr:"))
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            requestQuit();
        });
        stream.openAsRgbStream();  // returns once the open has ended
        quitter.join();

        QCOMPARE(callback.result, -3);
        QCOMPARE(log.count("first frame wait ended: quit requested \n"), 1);
        QCOMPARE(log.count("ewc_OpenStream ewc_hr:0, evCode: 0\n"), 1);  // no further attempt
        clearQuitRequest();
        stream.release();
        stream.setCallback(nullptr);
        device::installPort(device::DevicePort{});
    }
};

QTEST_GUILESS_MAIN(OpenQuitTest)
#include "tst_open_quit.moc"
