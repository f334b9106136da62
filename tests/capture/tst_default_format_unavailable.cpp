// A default format from APSet.ini that the camera does not offer: the open fails without
// falling back to another format, and the log says once per connection of the camera what
// was asked for and which MJPG formats the camera offers.
#include <QtTest>
#include <climits>
#include <memory>

#include "base/app_config.h"
#include "capture/capture_slots.h"
#include "capture/uvc_stream.h"
#include "device/device_port.h"
#include "device/sim/sim_camera.h"
#include "support/log_capture.h"

namespace {
// The simulated camera's MJPG formats as its format list shows them.
const char* const kOffered =
    " 3520 x 1104 at 30 fps, 1920 x 1080 at 30 fps, 1920 x 1080 at 25 fps, 1920 x 1080 at 15 fps,"
    " 1280 x 720 at 30 fps, 1280 x 720 at 25 fps, 1280 x 720 at 15 fps, 640 x 360 at 30 fps,"
    " 640 x 360 at 15 fps \n";

class LastResult : public StreamCallback {
public:
    void streamResult(int r) override { result = r; }
    int result = 0;
};
}  // namespace

class DefaultFormatUnavailableTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { appConfig().setDeviceName("Lumora X8"); }
    void init() {
        // Each case is a camera of its own: an open that finds no camera ends the last one.
        device::installPort(device::DevicePort{});
        UvcStream probe;
        probe.setCallback(nullptr);  // the callback is shared by every stream object
        probe.openAsRgbStream();
    }

    void saysOncePerConnectionWhatIsMissing_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("fps");
        QTest::newRow("size not offered") << 1000 << 1000 << 30;
        QTest::newRow("rate not offered") << 1920 << 1080 << 60;
        QTest::newRow("rate missing") << 1920 << 1080 << 0;
        QTest::newRow("negative") << -1920 << 1080 << 30;
        QTest::newRow("absurd") << INT_MAX << INT_MAX << INT_MAX;
    }
    void saysOncePerConnectionWhatIsMissing() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, fps);
        AppConfig& config = appConfig();
        config.defaultWidth = width;
        config.defaultHeight = height;
        config.defaultFps = fps;
        auto camera = device::sim::installSimulatedCamera();
        LogCapture log;
        LastResult callback;
        UvcStream stream;
        stream.setCallback(&callback);
        const std::string line = "default format MJPG " + std::to_string(width) + " x " +
                                 std::to_string(height) + " at " + std::to_string(fps) +
                                 " fps (defaultWidth, defaultHeight, defaultFps in APSet.ini) is not offered "
                                 "by the camera; its MJPG formats:" +
                                 kOffered;

        // Every connect tick fails; the reason is logged at the first only.
        for (int tick = 0; tick < 3; ++tick) {
            stream.openAsRgbStream();
            QVERIFY(callback.result < 0);
            QVERIFY(!stream.isOpen());
            QCOMPARE(camera->runningStreams(), 0);  // no other format was taken instead
        }
        QCOMPARE(log.count(line), 1);

        // Unplugged and back: a new connection, so the reason is given again.
        camera->unplug();
        stream.openAsRgbStream();
        camera->plug();
        stream.openAsRgbStream();
        stream.openAsRgbStream();
        QCOMPARE(log.count(line), 2);
        config.defaultWidth = config.defaultHeight = config.defaultFps = 0;
        device::installPort(device::DevicePort{});
    }
};

QTEST_MAIN(DefaultFormatUnavailableTest)
#include "tst_default_format_unavailable.moc"
