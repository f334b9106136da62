// The stream object on the simulated camera: the open on a worker thread and its
// callback, the request form matched by pixel count, refusals, frames reaching the
// reader, device loss and release.
#include <QtTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
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
        if (stream.newFrameCount() > 0) {
            return stream.getFrame(data);
        }
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
    void initTestCase() {
        appConfig().setDeviceName("Lumora X8");
        // A small default format keeps the simulated encoder cheap.
        appConfig().defaultWidth = 640;
        appConfig().defaultHeight = 360;
        appConfig().defaultFps = 30;
    }
    void init() {
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

    void defaultOpenReportsTheSlotAndDeliversFrames() {
        LogCapture log;
        const size_t before = callback.results().size();
        QCOMPARE(stream->openAsRgbStream(), 0);
        QCOMPARE(callback.results().size(), before + 1);
        QCOMPARE(callback.results().back(), 0);
        QCOMPARE(log.count("camera open: 0, with type: 0\n"), 1);
        QCOMPARE(stream->isOpen(), 1);

        const std::vector<RESOLUTION_LIST> list = stream->getList();
        QVERIFY(log.contains("getList: " + std::to_string(list.size()) + "\n"));
        QVERIFY(list.size() >= 10);
        const RESOLUTION_LIST small = findFormat(list, "MJPG", 640, 360);
        QCOMPARE(log.count("---GetMjpgHD " + std::to_string(small.index) + "---\n"), 1);

        // MJPG arrives as the camera's own samples.
        uint8_t* data = nullptr;
        const int length = waitForFrame(*stream, &data);
        QVERIFY(length > 2);
        QCOMPARE(data[0], uint8_t(0xFF));
        QCOMPARE(data[1], uint8_t(0xD8));

        log.clear();
        QCOMPARE(stream->release(), 0);
        QCOMPARE(log.count("EWC_Close: 0 \n"), 1);
        QCOMPARE(stream->isOpen(), 0);
        QCOMPARE(stream->newFrameCount(), 0);
        QCOMPARE(stream->getFrame(&data), 0);
        QCOMPARE(data, nullptr);
    }

    void requestMatchedByPixelCountOpensWithConversion() {
        stream->openAsRgbStream();
        stream->release();
        const std::vector<RESOLUTION_LIST> list = stream->getList();
        const RESOLUTION_LIST portrait = findFormat(list, "H264", 1080, 1920);
        QVERIFY(!portrait.format.empty());

        LogCapture log;
        const RESOLUTION_LIST request{portrait.index, 1920, 1080, 30, "H264"};
        QCOMPARE(stream->openAsRgbStream(request), 0);
        QCOMPARE(
            log.count("openAsRgbStream founde index: " + std::to_string(portrait.index) + ", type: 1 \n"), 1);
        QCOMPARE(log.count("openAsRgbStream CreateThread: " + std::to_string(portrait.index) + "\n"), 1);
        QCOMPARE(log.count("uvcCamera open pinId(0) formatId(" + std::to_string(portrait.index) +
                           ") outputType(0)\n"),
                 1);
        QCOMPARE(callback.results().back(), 0);
        const CaptureSlot& slot = ewc_slot(stream->camera().openNum());
        QCOMPARE(slot.outputSubtype, device::kSubtypeRGB32);
        QCOMPARE(slot.nativeSubtype, device::kSubtypeH264);
        uint8_t* data = nullptr;
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
        log.clear();
        stream->openAsRgbStream();
        QVERIFY(log.contains("outputType(0)\n"));
        QCOMPARE(log.count("camera open: 0, with type: 1\n"), 1);
        stream->release();
        // An MJPG request brings native samples back.
        const RESOLUTION_LIST mjpg = findFormat(stream->getList(), "MJPG", 640, 360);
        QCOMPARE(stream->openAsRgbStream(mjpg), 0);
        QCOMPARE(ewc_slot(stream->camera().openNum()).outputSubtype, device::kSubtypeNull);
    }

    void anUnknownRequestStartsNothing() {
        stream->openAsRgbStream();
        stream->release();
        const size_t before = callback.results().size();
        LogCapture log;
        QCOMPARE(stream->openAsRgbStream(RESOLUTION_LIST{0, 1920, 1080, 30, "NV12"}), -1);
        QCOMPARE(stream->openAsRgbStream(RESOLUTION_LIST{0, 1000, 1000, 30, "MJPG"}), -1);
        QCOMPARE(callback.results().size(), before);
        QVERIFY(!log.contains("CreateThread"));
        QCOMPARE(log.count("openAsRgbStream founde index: -1, type: 0 \n"), 2);
        QCOMPARE(stream->isOpen(), 0);
    }

    void aSecondOpenWhileOneRunsReturnsAtOnce() {
        sim->setLatency("VideoSystem::enumerateVideoInputs", 300);
        LogCapture log;
        const size_t before = callback.results().size();
        std::thread first([this] { stream->openAsRgbStream(); });
        while (!log.contains("openAsRgbStream CreateThread: \n")) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        UvcStream second;
        QCOMPARE(second.openAsRgbStream(), 0);
        QCOMPARE(callback.results().size(), before);
        first.join();
        QCOMPARE(log.count("openAsRgbStream CreateThread: \n"), 1);
        QCOMPARE(callback.results().size(), before + 1);
        QCOMPARE(callback.results().back(), 0);
    }

    void noFreeSlotReportsMinusThree() {
        for (int n = 0; n < kCaptureSlotCount; ++n) {
            ewc_slot(n).inUse = 1;  // ten slots taken
        }
        LogCapture log;
        stream->openAsRgbStream();
        for (int n = 0; n < kCaptureSlotCount; ++n) {
            ewc_slot(n).inUse = 0;
        }
        QCOMPARE(callback.results().back(), -3);
        QCOMPARE(log.count("uvcCamera open failed! invalid openNum(10) \n"), 1);
        QCOMPARE(log.count("camera open: -3, with type: 0\n"), 1);
    }

    void releaseWithoutOpen() {
        LogCapture log;
        QCOMPARE(stream->release(), 0);
        QCOMPARE(log.count("EWC_Close: 1 \n"), 1);
    }

    void deviceLossIsReportedOnce() {
        stream->openAsRgbStream();
        QCOMPARE(stream->getEvent(), 0);
        LogCapture log;
        sim->unplug();
        int lost = 0;
        for (int i = 0; i < 200 && lost == 0; ++i) {
            lost = stream->getEvent();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        QCOMPARE(lost, 1);
        QVERIFY(log.contains("EWC_GetEvent: evCode(31) param1("));
        QCOMPARE(stream->getEvent(), 0);
        QCOMPARE(stream->release(), 0);
        QCOMPARE(stream->isOpen(), 0);
    }
};

QTEST_GUILESS_MAIN(StreamOpenTest)
#include "tst_stream_open.moc"
