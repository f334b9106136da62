// The camera pulled at every possible moment: the backend never calls into a closed
// descriptor, and once everything is released nothing stays open or mapped.
#include <QtTest>

#include "device/control_port.h"
#include "tst_v4l2_helpers.h"

using namespace device;
using namespace device::v4l2;
using namespace v4l2test;

namespace {

// Everything the layers above do with a camera, in their order, ignoring failures.
// True when a frame arrived and the extension unit answered: the whole road was taken.
bool useTheCamera(FakeUvc& fake, DevicePort& port) {
    bool framed = false, answered = false;
    std::shared_ptr<CaptureDevice> device;
    std::unique_ptr<CaptureGraph> graph;
    RecordingSink sink;
    if (bindFirst(port, device) == kOk) {
        int count = 0, size = 0;
        device->capabilityCount(0, count, size);
        for (int i = 0; i < count; ++i) {
            MediaFormat f;
            std::vector<int64_t> intervals;
            if (device->capability(0, i, f) == kOk)
                device->frameIntervals(0, i, f.width, f.height, intervals);
        }
        ControlPort* controls = device->controls();
        ControlRange range;
        long value = 0, flags = 0;
        controls->getRange(ControlGroup::CameraControl, kCamExposure, range);
        controls->set(ControlGroup::CameraControl, kCamExposure, -7, kFlagsManual);
        controls->get(ControlGroup::VideoProcAmp, kProcWhiteBalance, value, flags);
        controls->ksSet(kKsPowerlineFrequency, 1, kFlagsManual);

        MediaFormat f;
        device->currentFormat(0, f);
        device->setFormat(0, format(kSubtypeYUY2, 320, 240));
        port.video->createGraph(graph);
        graph->addCaptureDevice(device, "Video Capture 0");
        graph->createGrabber();
        graph->setGrabberSubtype(kSubtypeRGB32);
        graph->addGrabber("Grabber 0");
        graph->setCallback(&sink);
        if (graph->connect(0) == kOk && graph->run() == kOk && fake.plugged(0) &&
            fake.waitForQueuedBuffers(0, 300)) {
            fake.pushFrame(0, std::vector<uint8_t>(320 * 240 * 2, 0x80));
            framed = sink.waitFor(1, 300);
        }
        long code = 0;
        int64_t p1 = 0, p2 = 0;
        graph->nextEvent(code, p1, p2);
    }

    XuClient xu;
    uint8_t data[4] = {};
    uint32_t returned = 0;
    if (xu.open(port)) {
        xu.call(8, kKsPropertyGet, nullptr, 0, returned);
        answered = xu.call(8, kKsPropertyGet, data, 4, returned) == kOk;
    }
    if (xu.source)
        xu.source->shutdown();
    if (xu.control)  // after shutdown: refused without a system call
        xu.call(8, kKsPropertySet, data, 4, returned);
    if (graph)
        graph->stop();
    graph.reset();
    device.reset();
    return framed && answered;
}

}  // namespace

class TestV4l2Unplug : public QObject {
    Q_OBJECT

private slots:
    void unplugAtEveryCallLeavesNothingBehind() {
        int sweeps = 0;
        for (long n = 1; n < 5000; ++n) {
            auto fake = std::make_shared<FakeUvc>();
            fake->plug(0, fakeLumoraCamera());
            V4l2Options options;
            options.pollTimeoutMs = 10;
            DevicePort port = makeV4l2Port(fake, options);
            fake->unplugAfterCalls(n);
            const bool whole = useTheCamera(*fake, port);
            QCOMPARE(fake->callsOnClosedDescriptors(), 0);
            QCOMPARE(fake->openDescriptors(), 0);
            QCOMPARE(fake->liveMappings(), 0);
            QCOMPARE(fake->badUnmaps(), 0);
            ++sweeps;
            if (fake->plugged(0)) {  // the whole run passed before the plug was pulled
                QVERIFY(whole);
                break;
            }
        }
        qInfo("pulled the plug at %d different moments", sweeps - 1);
        QVERIFY(sweeps > 60);  // the run makes that many calls: every one was a pull point
    }

    void theRealSystemListsWithoutACrash() {
        DevicePort port = makeV4l2Port();
        QCOMPARE(port.name, std::string("v4l2"));
        std::vector<std::unique_ptr<DeviceMoniker>> devices;
        const HResult hr = port.video->enumerateVideoInputs(devices);
        QVERIFY(hr == kOk || hr == kFalse);
        QCOMPARE(hr == kFalse, devices.empty());
        for (auto& d : devices) {
            std::string name;
            QCOMPARE(d->displayName(name), kOk);
            QVERIFY(name.find("@device:pnp") == 0);
        }
        std::vector<std::unique_ptr<XuActivation>> sources;
        QCOMPARE(port.xu->enumerateSources(sources), kOk);
        QCOMPARE(sources.size(), devices.size());
        QVERIFY(describe().find("capture nodes:") != std::string::npos);
    }
};

QTEST_GUILESS_MAIN(TestV4l2Unplug)
#include "tst_v4l2_unplug.moc"
