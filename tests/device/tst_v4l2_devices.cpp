// Listing the capture nodes and their formats through the fake uvcvideo.
#include <QtTest>

#include "device/v4l2/format_catalog.h"
#include "tst_v4l2_helpers.h"

using namespace device;
using namespace device::v4l2;
using namespace v4l2test;

namespace {

// The transport's reading of a link: 4 characters 5 after "#vid" and after "&pid".
std::string field(const std::string& link, const std::string& marker) {
    size_t at = link.find(marker);
    return at == std::string::npos ? std::string() : link.substr(at + 5, 4);
}

std::vector<std::unique_ptr<DeviceMoniker>> list(DevicePort& port, HResult* result = nullptr) {
    std::vector<std::unique_ptr<DeviceMoniker>> devices;
    HResult hr = port.video->enumerateVideoInputs(devices);
    if (result)
        *result = hr;
    return devices;
}

std::string name(DeviceMoniker& m, HResult (DeviceMoniker::*what)(std::string&)) {
    std::string text;
    (m.*what)(text);
    return text;
}

}  // namespace

class TestV4l2Devices : public QObject {
    Q_OBJECT

private slots:
    void listsCaptureNodesOnlyWithTheirNames() {
        auto fake = std::make_shared<FakeUvc>();
        FakeCamera lumora = fakeLumoraCamera();
        fake->plug(10, lumora);
        fake->plug(11, fakeMetadataNode(lumora));
        FakeCamera other;
        other.card = "Integrated Camera";
        other.busInfo = "usb-0000:00:14.0-7";
        other.idVendor = "04F2";
        other.idProduct = "b6d9";
        fake->plug(2, other);
        FakeCamera loopback;
        loopback.card = "Dummy video device";
        loopback.driver = "v4l2 loopback";
        loopback.busInfo = "platform:v4l2loopback-000";
        loopback.idVendor.clear();
        loopback.idProduct.clear();
        fake->plug(3, loopback);
        FakeCamera output;
        output.deviceCaps = V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_STREAMING;
        fake->plug(4, output);
        DevicePort port = makeV4l2Port(fake);

        HResult hr = kFail;
        auto devices = list(port, &hr);
        QCOMPARE(hr, kOk);
        QCOMPARE(int(devices.size()), 3);  // by number: 2, 3, 10; metadata and output nodes left out
        QCOMPARE(name(*devices[0], &DeviceMoniker::friendlyName), std::string("Integrated Camera"));
        QCOMPARE(name(*devices[2], &DeviceMoniker::friendlyName), std::string("Lumora X8"));

        const std::string link = name(*devices[2], &DeviceMoniker::symbolicLink);
        QCOMPARE(field(link, "#vid"), std::string("2e7e"));
        QCOMPARE(field(link, "&pid"), std::string("0801"));
        QVERIFY(link.find("/dev/video10") != std::string::npos);
        QCOMPARE(field(name(*devices[0], &DeviceMoniker::symbolicLink), "#vid"), std::string("04f2"));
        // Not a USB device: no marker, so the log shows empty fields.
        QCOMPARE(field(name(*devices[1], &DeviceMoniker::symbolicLink), "#vid"), std::string());

        for (auto& d : devices) {
            const std::string display = name(*d, &DeviceMoniker::displayName);
            QVERIFY(display.find("@device:pnp") != std::string::npos);
        }
        QVERIFY(name(*devices[2], &DeviceMoniker::displayName).find("/dev/video10") != std::string::npos);
        QCOMPARE(fake->openDescriptors(), 0);  // listing leaves nothing open

        const std::string notes = describe();
        QVERIFY(notes.find("/dev/video10 \"Lumora X8\" (usb 2e7e:0801") != std::string::npos);
        QVERIFY(notes.find("/dev/video11: metadata node") != std::string::npos);
    }

    void noDevicesListsNothing() {
        auto fake = std::make_shared<FakeUvc>();
        DevicePort port = makeV4l2Port(fake);
        QCOMPARE(port.name, std::string("v4l2"));
        QCOMPARE(port.video->createDeviceEnumerator(), kOk);
        HResult hr = kOk;
        QVERIFY(list(port, &hr).empty());
        QCOMPARE(hr, kFalse);

        // A node that cannot be opened (no permission) is skipped, not fatal.
        FakeCamera locked = fakeLumoraCamera();
        locked.openErrno = EACCES;
        fake->plug(0, locked);
        QVERIFY(list(port, &hr).empty());
        QCOMPARE(hr, kFalse);
        QVERIFY(describe().find("/dev/video0: cannot open") != std::string::npos);
    }

    void formatsBecomeCapabilitiesWithIntervals() {
        auto fake = std::make_shared<FakeUvc>();
        fake->plug(0, fakeLumoraCamera());
        DevicePort port = makeV4l2Port(fake);
        std::shared_ptr<CaptureDevice> device;
        QCOMPARE(bindFirst(port, device), kOk);
        int count = 0, recordSize = 0;
        QCOMPARE(device->capabilityCount(0, count, recordSize), kOk);
        QCOMPARE(recordSize, 128);
        QCOMPARE(count, 5);

        struct Expected {
            Guid subtype;
            int width, height, bits;
            std::vector<int64_t> intervals;
        };
        const std::vector<Expected> expected = {
            {kSubtypeMJPG, 3520, 1104, 24, {333333, 666666}},
            {kSubtypeMJPG, 1920, 1080, 24, {333333, 400000, 666666}},
            {kSubtypeH264, 1920, 1080, 24, {333333}},
            {kSubtypeYUY2, 640, 480, 16, {333333, 666666}},
            {kSubtypeYUY2, 320, 240, 16, {333333}},
        };
        for (int i = 0; i < count; ++i) {
            MediaFormat f;
            QCOMPARE(device->capability(0, i, f), kOk);
            QVERIFY(f.subtype == expected[size_t(i)].subtype);
            QCOMPARE(f.width, expected[size_t(i)].width);
            QCOMPARE(f.height, expected[size_t(i)].height);
            QCOMPARE(f.bitCount, expected[size_t(i)].bits);
            QCOMPARE(f.avgTimePerFrame, expected[size_t(i)].intervals.front());
            QVERIFY(f.videoInfo);
            std::vector<int64_t> intervals;
            QCOMPARE(device->frameIntervals(0, i, f.width, f.height, intervals), kOk);
            QCOMPARE(intervals, expected[size_t(i)].intervals);
        }
        MediaFormat none;
        QVERIFY(failed(device->capability(0, count, none)));
        QVERIFY(failed(device->capability(1, 0, none)));
        QVERIFY(failed(device->capabilityCount(1, count, recordSize)));
    }

    void intervalsAndRangesConvert() {
        QCOMPARE(intervalFromFraction(1, 30), int64_t(333333));
        QCOMPARE(intervalFromFraction(1001, 30000), int64_t(333666));
        QCOMPARE(intervalFromFraction(1, 5), int64_t(2000000));
        QCOMPARE(intervalFromFraction(1, 0), int64_t(0));

        const v4l2_frmsize_stepwise range{320, 1920, 16, 240, 1080, 8};
        const auto sizes = sizesOfRange(range);
        for (const auto& size :
             {std::make_pair(320u, 240u), std::make_pair(1280u, 720u), std::make_pair(1920u, 1080u)})
            QVERIFY(std::find(sizes.begin(), sizes.end(), size) !=
                    sizes.end());      // the ends and a common size
        for (const auto& s : sizes) {  // nothing off the grid (160x120 lies below it)
            QVERIFY(s.first >= 320 && s.first <= 1920 && (s.first - 320) % 16 == 0);
            QVERIFY(s.second >= 240 && s.second <= 1080 && (s.second - 240) % 8 == 0);
        }
        v4l2_frmsize_stepwise nonsense = range;
        nonsense.min_width = 0;
        QVERIFY(sizesOfRange(nonsense).empty());
    }

    void stepwiseSizesAndContinuousRatesAreSampled() {
        auto fake = std::make_shared<FakeUvc>();
        FakeCamera camera = fakeLumoraCamera();
        FakeFormat grey;
        grey.pixelformat = V4L2_PIX_FMT_GREY;
        grey.stepwise = true;
        grey.range = v4l2_frmsize_stepwise{160, 1280, 32, 120, 720, 8};
        grey.sizes = {{160, 120, {}}};
        camera.formats = {grey};
        fake->plug(0, camera);
        DevicePort port = makeV4l2Port(fake);
        std::shared_ptr<CaptureDevice> device;
        QCOMPARE(bindFirst(port, device), kOk);
        int count = 0, recordSize = 0;
        device->capabilityCount(0, count, recordSize);
        QVERIFY(count >= 3);
        MediaFormat f;
        QCOMPARE(device->capability(0, 0, f), kOk);
        QVERIFY(f.subtype == fourccSubtype(V4L2_PIX_FMT_GREY));  // logged under its code, never listed
        std::vector<int64_t> intervals;
        QCOMPARE(device->frameIntervals(0, 1, 320, 240, intervals), kOk);
        // The continuous range 1/30 .. 1 s gives the common rates of 30 fps and below.
        QCOMPARE(intervals.front(), int64_t(333333));
        QCOMPARE(intervals.back(), int64_t(2000000));
    }

    void formatIsCheckedAndKept() {
        auto fake = std::make_shared<FakeUvc>();
        fake->plug(0, fakeLumoraCamera());
        DevicePort port = makeV4l2Port(fake);
        std::shared_ptr<CaptureDevice> device;
        QCOMPARE(bindFirst(port, device), kOk);
        QVERIFY(describe().find("video device: /dev/video0 \"Lumora X8\"") != std::string::npos);
        MediaFormat current;
        QCOMPARE(device->currentFormat(0, current), kOk);  // the node's own: MJPG 3520x1104 at 30
        QVERIFY(current.subtype == kSubtypeMJPG);
        QCOMPARE(current.width, 3520);
        QCOMPARE(current.avgTimePerFrame, int64_t(333333));

        MediaFormat wanted = current;
        wanted.subtype = kSubtypeYUY2;
        wanted.width = 1920;  // YUYV has no 1920x1080
        wanted.height = 1080;
        QCOMPARE(device->setFormat(0, wanted), kInvalidArg);
        wanted.width = 640;
        wanted.height = 480;
        wanted.avgTimePerFrame = 666666;
        QCOMPARE(device->setFormat(0, wanted), kOk);
        QCOMPARE(device->currentFormat(0, current), kOk);
        QVERIFY(current.subtype == kSubtypeYUY2);
        QCOMPARE(current.width, 640);
        QCOMPARE(current.avgTimePerFrame, int64_t(666666));
    }

    void bindFailsWhenTheNodeWasTakenByAnotherDevice() {
        auto fake = std::make_shared<FakeUvc>();
        fake->plug(0, fakeLumoraCamera());
        DevicePort port = makeV4l2Port(fake);
        auto devices = list(port);
        fake->unplug(0);
        FakeCamera other = fakeLumoraCamera();
        other.card = "Other Camera";
        fake->plug(0, other);
        std::shared_ptr<CaptureDevice> device;
        QCOMPARE(devices[0]->bind(device), kNotConnected);
        QVERIFY(!device);
        fake->unplug(0);
        QCOMPARE(devices[0]->bind(device), kNotFound);  // ENOENT: the node is gone
        QCOMPARE(fake->openDescriptors(), 0);
    }
};

QTEST_GUILESS_MAIN(TestV4l2Devices)
#include "tst_v4l2_devices.moc"
