// The stream object on the simulated camera: the threaded open and its callback, requests
// matched by pixel count, refusals, frames, device loss, an unoffered default format (a quit during the
// first-frame wait: tst_quit_promptly).
#include <QtTest>
#include <atomic>
#include <chrono>
#include <climits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/app_config.h"
#include "capture/capture_slots.h"
#include "capture/slot_open.h"
#include "capture/uvc_stream.h"
#include "device/device_port.h"
#include "device/sim/sim_camera.h"
#include "format_search.h"
#include "support/log_capture.h"

using device::sim::SimCamera;

namespace {
class RecordingCallback : public StreamCallback {
public:
    void streamResult(int result) override {
        std::lock_guard<std::mutex> lock(mutex_);
        results_.push_back(result);
    }
    std::vector<int> results() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return results_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<int> results_;
};

// Polls the reader side like the preview tick until a frame arrives (at most 5 s).
int waitForFrame(UvcStream& stream, uint8_t** data) {
    for (int i = 0; i < 500; ++i) {
        if (stream.newFrameCount() > 0)
            return stream.getFrame(data);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

}  // namespace

class StreamOpenTest : public QObject {
    Q_OBJECT

    std::shared_ptr<SimCamera> sim;
    std::unique_ptr<UvcStream> stream;
    RecordingCallback callback;

private slots:
    void init() {
        appConfig().setDeviceName("Lumora X8");
        // A small default format keeps the simulated encoder cheap.
        appConfig().defaultWidth = 640;
        appConfig().defaultHeight = 360;
        appConfig().defaultFps = 30;
        sim = device::sim::installSimulatedCamera();
        ewc_timeouts() = CaptureTimeouts{15000, 3000, 3000};
        stream = std::make_unique<UvcStream>();
        stream->setCallback(&callback);
    }
    void cleanup() {
        stream->release();
        stream.reset();
        sim.reset();
        device::installPort(device::DevicePort{});
    }

    void defaultAndRequestedOpens() {
        const size_t before = callback.results().size();
        QCOMPARE(stream->openAsRgbStream(), 0);
        QCOMPARE(callback.results().size(), before + 1);
        QCOMPARE(callback.results().back(), 0);
        QCOMPARE(stream->isOpen(), 1);

        const std::vector<RESOLUTION_LIST> list = stream->getList();
        QVERIFY(list.size() >= 10);
        // MJPG arrives as the camera's own samples.
        uint8_t* data = nullptr;
        const int length = waitForFrame(*stream, &data);
        QVERIFY(length > 2);
        QCOMPARE(data[0], uint8_t(0xFF));
        QCOMPARE(data[1], uint8_t(0xD8));
        QCOMPARE(stream->release(), 0);
        QCOMPARE(stream->isOpen(), 0);
        QCOMPARE(stream->newFrameCount(), 0);
        QCOMPARE(stream->getFrame(&data), 0);
        QCOMPARE(data, nullptr);

        // A request the list does not hold starts nothing; one the list holds is matched by
        // its pixel count.
        LogCapture log;
        QCOMPARE(stream->openAsRgbStream(RESOLUTION_LIST{0, 1920, 1080, 30, "NV12"}), -1);
        QCOMPARE(stream->openAsRgbStream(RESOLUTION_LIST{0, 1000, 1000, 30, "MJPG"}), -1);
        QCOMPARE(callback.results().size(), before + 1);
        QCOMPARE(stream->isOpen(), 0);
        const RESOLUTION_LIST portrait = findFormat(list, "H264", 1080, 1920);
        QVERIFY(!portrait.format.empty());

        const RESOLUTION_LIST request{portrait.index, 1920, 1080, 30, "H264"};
        QCOMPARE(stream->openAsRgbStream(request), 0);
        QCOMPARE(callback.results().back(), 0);
        const CaptureSlot& slot = ewc_slot(stream->camera().openNum());
        QCOMPARE(slot.outputSubtype, device::kSubtypeRGB32);
        QCOMPARE(slot.nativeSubtype, device::kSubtypeH264);
        QCOMPARE(waitForFrame(*stream, &data), 1080 * 1920 * 4);
        stream->release();

        // Only the pixel count is compared: a size the camera does not list matches too.
        log.clear();
        QCOMPARE(stream->openAsRgbStream(RESOLUTION_LIST{portrait.index, 2160, 960, 30, "H264"}), 0);
        QCOMPARE(
            log.count("openAsRgbStream founde index: " + std::to_string(portrait.index) + ", type: 1 \n"), 1);
        QCOMPARE(callback.results().back(), 0);
        stream->release();

        // The type stays: the default open now converts to RGB32 as well.
        stream->openAsRgbStream();
        QCOMPARE(ewc_slot(stream->camera().openNum()).outputSubtype, device::kSubtypeRGB32);
        stream->release();
        // An MJPG request brings native samples back.
        const RESOLUTION_LIST mjpg = findFormat(stream->getList(), "MJPG", 640, 360);
        QCOMPARE(stream->openAsRgbStream(mjpg), 0);
        QCOMPARE(ewc_slot(stream->camera().openNum()).outputSubtype, device::kSubtypeNull);
    }

    void aSecondOpenWhileOneRunsReturnsAtOnce() {
        sim->setLatency("VideoSystem::enumerateVideoInputs", 300);
        LogCapture log;
        const size_t before = callback.results().size();
        std::thread first([this] { stream->openAsRgbStream(); });
        while (!log.contains("openAsRgbStream CreateThread: \n"))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        UvcStream second;
        QCOMPARE(second.openAsRgbStream(), 0);
        QCOMPARE(callback.results().size(), before);
        first.join();
        QCOMPARE(log.count("openAsRgbStream CreateThread: \n"), 1);
        QCOMPARE(callback.results().size(), before + 1);
        QCOMPARE(callback.results().back(), 0);
    }

    // An open that cannot start fails without a stream and without leaving the stream
    // object busy: a release finds nothing to close and the next open goes ahead. Before, an
    // empty name opened whatever camera came first (the simulated one lists an unrelated
    // webcam first), and a worker that could not be created threw out of the caller's loop.
    void openThatCannotStartFails() {
        const struct {
            const char* name;  // the configured camera name
            int cause;         // 1: no thread for the worker, 2: all ten slots taken
            int result;
            const char* logged;
        } rows[] = {
            {"", 0, -3, "camera open: -3, with type: 0\n"},                 // nothing found
            {"Lumora X8", 1, -1, "openAsRgbStream: worker not created: "},  // first half failed
            {"Lumora X8", 2, -3, "uvcCamera open failed! invalid openNum(10) \n"},
        };
        for (const auto& row : rows) {
            appConfig().setDeviceName(row.name);
            if (row.cause == 1) {
                UvcStream::setThreadStart([](std::function<void()>) -> std::thread {
                    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
                });
            }
            for (int n = 0; row.cause == 2 && n < kCaptureSlotCount; ++n)
                ewc_slot(n).inUse = 1;
            LogCapture log;
            QCOMPARE(stream->openAsRgbStream(), 0);
            UvcStream::setThreadStart(nullptr);
            for (int n = 0; row.cause == 2 && n < kCaptureSlotCount; ++n)
                ewc_slot(n).inUse = 0;
            QCOMPARE(callback.results().back(), row.result);
            QVERIFY2(log.contains(row.logged), row.logged);
            QCOMPARE(stream->isOpen(), 0);
            QCOMPARE(stream->release(), 0);
            QCOMPARE(log.count("EWC_Close: 1 \n"), 1);

            appConfig().setDeviceName("Lumora X8");
            QCOMPARE(stream->openAsRgbStream(), 0);
            QVERIFY(callback.results().back() >= 0);
            stream->release();
        }
    }

    // The loss is logged with its event code (that it ends the connection, once:
    // tst_camera_session and tst_device_conformance).
    void deviceLossIsLogged() {
        stream->openAsRgbStream();
        LogCapture log;
        sim->unplug();
        QVERIFY(QTest::qWaitFor([this] { return stream->getEvent() == 1; }, 1000));
        QVERIFY(log.contains("EWC_GetEvent: evCode(31) param1("));
    }

    // The open fails without falling back to another format, and the log says once per
    // connection of the camera what was asked for and which MJPG formats it offers.
    void defaultFormatNotOffered_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("fps");
        QTest::newRow("size not offered") << 1000 << 1000 << 30;
        QTest::newRow("rate not offered") << 1920 << 1080 << 60;
        QTest::newRow("rate missing") << 1920 << 1080 << 0;
        QTest::newRow("negative") << -1920 << 1080 << 30;
        QTest::newRow("absurd") << INT_MAX << INT_MAX << INT_MAX;
    }
    void defaultFormatNotOffered() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, fps);
        // Each row is a camera of its own: an open that finds no camera ends the last one.
        device::installPort(device::DevicePort{});
        stream->openAsRgbStream();
        appConfig().defaultWidth = width;
        appConfig().defaultHeight = height;
        appConfig().defaultFps = fps;
        sim = device::sim::installSimulatedCamera();
        LogCapture log;
        const std::string line =
            "default format MJPG " + std::to_string(width) + " x " + std::to_string(height) + " at " +
            std::to_string(fps) +
            " fps (defaultWidth, defaultHeight, defaultFps in APSet.ini) is not offered by the camera; its "
            "MJPG formats: 3520 x 1104 at 30 fps, 1920 x 1080 at 30 fps, 1920 x 1080 at 25 fps, 1920 x 1080 "
            "at 15 fps, 1280 x 720 at 30 fps, 1280 x 720 at 25 fps, 1280 x 720 at 15 fps, 640 x 360 at 30 "
            "fps, 640 x 360 at 15 fps \n";
        for (int tick = 0; tick < 3; ++tick) {  // every connect tick fails, the first says why
            stream->openAsRgbStream();
            QVERIFY(callback.results().back() < 0);
            QVERIFY(!stream->isOpen());
            QCOMPARE(sim->runningStreams(), 0);  // no other format was taken instead
        }
        QCOMPARE(log.count(line), 1);
        // Unplugged and back: a new connection, so the reason is given again.
        sim->unplug();
        stream->openAsRgbStream();
        sim->plug();
        stream->openAsRgbStream();
        stream->openAsRgbStream();
        QCOMPARE(log.count(line), 2);
    }
};

QTEST_GUILESS_MAIN(StreamOpenTest)
#include "tst_stream_open.moc"
