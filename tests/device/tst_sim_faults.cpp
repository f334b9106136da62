// Fault injection of the simulated camera: failing a call by count, from the nth call on
// or always, per selector of the extension unit, and the latency of control calls.
#include <QtTest>
#include <chrono>

#include "sim_test_helpers.h"

using namespace device;
using namespace simtest;

class TstSimFaults : public QObject {
    Q_OBJECT

private:
    enum FailMode { FailNext, FailFrom, FailAlways };
    std::shared_ptr<sim::SimCamera> camera_;

    HResult enumerate() {
        std::vector<std::unique_ptr<DeviceMoniker>> monikers;
        return port().video->enumerateVideoInputs(monikers);
    }

private slots:
    void init() { camera_ = sim::installSimulatedCamera(); }
    void cleanup() {
        installPort(DevicePort{});
        camera_.reset();
    }

    void failModes_data() {
        // pattern: the answers of four calls after the fault was set (F: kFail, o: kOk).
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("next 2") << int(FailNext) << "FFoo";
        QTest::newRow("from the 3rd") << int(FailFrom) << "ooFF";
        QTest::newRow("always") << int(FailAlways) << "FFFF";
    }
    void failModes() {
        QFETCH(int, mode);
        QFETCH(QString, pattern);
        const std::string call = "VideoSystem::enumerateVideoInputs";
        enumerate();  // calls before the fault do not count towards it
        if (mode == FailNext)
            camera_->failNext(call, kFail, 2);
        else if (mode == FailFrom)
            camera_->failFrom(call, kFail, 3);
        else
            camera_->failAlways(call, kFail);
        for (QChar c : pattern)
            QCOMPARE(enumerate(), c == 'F' ? kFail : kOk);
        QCOMPARE(camera_->callCount(call), 5);
        camera_->clearFaults();
        QCOMPARE(enumerate(), kOk);
    }

    void failedControlsAnswerNull() {
        auto device = bindByName("Lumora X8");
        ControlRange r;
        camera_->failAlways("CaptureDevice::controls", kNoInterface);
        QVERIFY(device->controls() == nullptr);
        camera_->clearFaults();
        QVERIFY(device->controls() != nullptr);
        QCOMPARE(device->controls()->getRange(ControlGroup::VideoProcAmp, kProcBrightness, r), kOk);
    }

    void streamOpenStepsFailOnTheirOwn() {
        auto device = bindByName("Lumora X8");
        RecordingSink sink;
        std::unique_ptr<CaptureGraph> graph;
        camera_->failNext("CaptureGraph::run", kFail);
        QCOMPARE(openStream(device, 3, kSubtypeNull, &sink, graph), kFail);
        QCOMPARE(camera_->runningStreams(), 0);
        QCOMPARE(graph->run(), kOk);  // the second attempt runs
        QCOMPARE(camera_->runningStreams(), 1);
        camera_->failNext("CaptureGraph::waitForCompletion", kAbort);
        long ev = 0;
        QCOMPARE(graph->waitForCompletion(15000, ev), kAbort);
        QCOMPARE(graph->stop(), kOk);
    }

    void extensionUnitFaultsBySelector() {
        XuClient xu;
        QVERIFY(xu.open());
        camera_->failNext("XuNodeControl::property:11", kGenFailure);
        std::vector<uint8_t> b;
        QCOMPARE(xu.get(1, b, 1), kOk);  // other selectors pass
        QCOMPARE(xu.status(), 65535);
        QCOMPARE(xu.status(), 0);
        QCOMPARE(camera_->callCount("XuNodeControl::property:11"), 2);
        QCOMPARE(camera_->callCount("XuNodeControl::property"), 3);
        // A failed request never reaches the camera.
        int statusReads = 0;
        for (const auto& r : camera_->xuRequests())
            statusReads += r.selector == 11;
        QCOMPARE(statusReads, 1);
    }

    // (Latency per call is what the settings worker's and the stream's overlap tests build on.)
    void controlLatencyDelaysEachControlCall() {
        sim::SimOptions o;
        o.controlLatencyUs = 2000;
        camera_ = sim::installSimulatedCamera(o);
        auto device = bindByName("Lumora X8");
        ControlPort* c = device->controls();
        long v = 0, f = 0;
        const auto t1 = std::chrono::steady_clock::now();
        for (int i = 0; i < 10; ++i)
            c->get(ControlGroup::VideoProcAmp, kProcBrightness, v, f);
        QVERIFY(std::chrono::steady_clock::now() - t1 >= std::chrono::milliseconds(20));
    }
};

QTEST_GUILESS_MAIN(TstSimFaults)
#include "tst_sim_faults.moc"
