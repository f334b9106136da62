// Listing the capture nodes and their formats through the fake uvcvideo.
#include <QtTest>

#include "device/v4l2/format_catalog.h"
#include "tst_v4l2_helpers.h"

using namespace device;
using namespace device::v4l2;
using namespace v4l2test;

namespace {

std::vector<std::unique_ptr<DeviceMoniker>> list(DevicePort& port, HResult& hr) {
    std::vector<std::unique_ptr<DeviceMoniker>> devices;
    hr = port.video->enumerateVideoInputs(devices);
    return devices;
}

// The names of a listed device: friendly, the link's 4 characters 5 after "#vid", the link, the display name.
std::vector<std::string> names(DeviceMoniker& m) {
    std::string friendly, link, display;
    m.friendlyName(friendly);
    m.symbolicLink(link);
    m.displayName(display);
    const size_t vid = link.find("#vid");
    return {friendly, vid == std::string::npos ? "" : link.substr(vid + 5, 4), link, display};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

class TestV4l2Devices : public QObject {
    Q_OBJECT

private slots:
    void listsCaptureNodesOnlyWithTheirNames() {
        Rig rig;
        FakeCamera lumora = fakeLumoraCamera(), meta = lumora, other, loopback, output;
        rig.fake->unplug(0);
        rig.fake->plug(10, lumora);
        meta.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
        rig.fake->plug(11, meta);
        other.card = "Integrated Camera";
        other.busInfo = "usb-0000:00:14.0-7";
        other.idVendor = "04F2";
        rig.fake->plug(2, other);
        loopback.busInfo = "platform:v4l2loopback-000";
        loopback.idVendor.clear();  // not a USB device
        rig.fake->plug(3, loopback);
        output.deviceCaps = V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_STREAMING;
        rig.fake->plug(4, output);

        HResult hr = kFail;
        auto devices = list(rig.port, hr);
        QCOMPARE(hr, kOk);
        QCOMPARE(int(devices.size()), 3);  // by number: 2, 3, 10; metadata and output nodes left out
        const auto integrated = names(*devices[0]), plain = names(*devices[1]), x8 = names(*devices[2]);
        QCOMPARE(integrated[0], std::string("Integrated Camera"));
        QCOMPARE(integrated[1], std::string("04f2"));
        QCOMPARE(plain[1], std::string());  // no marker: the log shows empty fields
        QCOMPARE(x8[0], std::string("Lumora X8"));
        QCOMPARE(x8[1], std::string("2e7e"));
        QVERIFY(contains(x8[2], "&pid_0801") && contains(x8[2], "/dev/video10") &&
                contains(x8[3], "/dev/video10"));
        for (auto& d : devices)
            QVERIFY(contains(names(*d)[3], "@device:pnp"));
        QCOMPARE(rig.fake->openDescriptors(), 0);  // listing leaves nothing open

        const std::string notes = describe();
        QVERIFY(contains(notes, "/dev/video10 \"Lumora X8\" (usb 2e7e:0801"));
        QVERIFY(contains(notes, "/dev/video11: metadata node"));
    }

    void noDevicesListsNothing() {
        Rig rig;
        rig.fake->unplug(0);
        QCOMPARE(rig.port.name, std::string("v4l2"));
        QCOMPARE(rig.port.video->createDeviceEnumerator(), kOk);
        HResult hr = kOk;
        QVERIFY(list(rig.port, hr).empty());
        QCOMPARE(hr, kFalse);
        // A node that cannot be opened (no permission) is skipped, not fatal.
        FakeCamera locked = fakeLumoraCamera();
        locked.openErrno = EACCES;
        rig.fake->plug(0, locked);
        QVERIFY(list(rig.port, hr).empty());
        QCOMPARE(hr, kFalse);
        QVERIFY(contains(describe(), "/dev/video0: cannot open"));
    }

    void formatsBecomeCapabilitiesWithIntervals() {
        Rig rig(fakeLumoraCamera(), true);
        int count = 0, recordSize = 0;
        QCOMPARE(rig.device->capabilityCount(0, count, recordSize), kOk);
        QCOMPARE(recordSize, 128);
        QCOMPARE(count, 5);
        const struct {
            Guid subtype;
            int width, height, bits;
            std::vector<int64_t> intervals;
        } expected[] = {
            {kSubtypeMJPG, 3520, 1104, 24, {333333, 666666}},
            {kSubtypeMJPG, 1920, 1080, 24, {333333, 400000, 666666}},
            {kSubtypeH264, 1920, 1080, 24, {333333}},
            {kSubtypeYUY2, 640, 480, 16, {333333, 666666}},
            {kSubtypeYUY2, 320, 240, 16, {333333}},
        };
        for (int i = 0; i < count; ++i) {
            MediaFormat f;
            std::vector<int64_t> intervals;
            QCOMPARE(rig.device->capability(0, i, f), kOk);
            QCOMPARE(rig.device->frameIntervals(0, i, f.width, f.height, intervals), kOk);
            QVERIFY(f.subtype == expected[i].subtype && f.videoInfo);
            QCOMPARE((std::vector<int>{f.width, f.height, f.bitCount}),
                     (std::vector<int>{expected[i].width, expected[i].height, expected[i].bits}));
            QCOMPARE(f.avgTimePerFrame, expected[i].intervals.front());
            QCOMPARE(intervals, expected[i].intervals);
        }
        MediaFormat none;
        QVERIFY(failed(rig.device->capability(0, count, none)));
        QVERIFY(failed(rig.device->capability(1, 0, none)));
        QVERIFY(failed(rig.device->capabilityCount(1, count, recordSize)));
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
            QVERIFY(std::count(sizes.begin(), sizes.end(), size));  // the ends and a common size
        for (const auto& s : sizes) {                               // nothing off the grid
            QVERIFY(s.first >= 320 && s.first <= 1920 && (s.first - 320) % 16 == 0);
            QVERIFY(s.second >= 240 && s.second <= 1080 && (s.second - 240) % 8 == 0);
        }
        v4l2_frmsize_stepwise nonsense = range;
        nonsense.min_width = 0;
        QVERIFY(sizesOfRange(nonsense).empty());
    }

    void stepwiseSizesAndContinuousRatesAreSampled() {
        FakeCamera camera = fakeLumoraCamera();
        FakeFormat grey{V4L2_PIX_FMT_GREY, {{160, 120, {}}}, true, {160, 1280, 32, 120, 720, 8}};
        camera.formats = {grey};
        Rig rig(camera, true);
        int count = 0, recordSize = 0;
        rig.device->capabilityCount(0, count, recordSize);
        QVERIFY(count >= 3);
        MediaFormat f;
        QCOMPARE(rig.device->capability(0, 0, f), kOk);
        QVERIFY(f.subtype == fourccSubtype(V4L2_PIX_FMT_GREY));  // logged under its code, never listed
        std::vector<int64_t> intervals;
        QCOMPARE(rig.device->frameIntervals(0, 1, 320, 240, intervals), kOk);
        // The continuous range 1/30 .. 1 s gives the common rates of 30 fps and below.
        QCOMPARE(intervals.front(), int64_t(333333));
        QCOMPARE(intervals.back(), int64_t(2000000));
    }

    void formatIsCheckedAndKept() {
        Rig rig(fakeLumoraCamera(), true);
        QVERIFY(contains(describe(), "video device: /dev/video0 \"Lumora X8\""));
        MediaFormat current;
        QCOMPARE(rig.device->currentFormat(0, current), kOk);  // the node's own: MJPG 3520x1104 at 30
        QVERIFY(current.subtype == kSubtypeMJPG);
        QCOMPARE(current.width, 3520);
        QCOMPARE(current.avgTimePerFrame, int64_t(333333));
        QCOMPARE(rig.device->setFormat(0, format(kSubtypeYUY2, 1920, 1080)),
                 kInvalidArg);  // YUYV has no 1080p
        QCOMPARE(rig.device->setFormat(0, format(kSubtypeYUY2, 640, 480, 666666)), kOk);
        QCOMPARE(rig.device->currentFormat(0, current), kOk);
        QVERIFY(current.subtype == kSubtypeYUY2);
        QCOMPARE(current.width, 640);
        QCOMPARE(current.avgTimePerFrame, int64_t(666666));
    }

    void bindFailsWhenTheNodeWasTakenByAnotherDevice() {
        Rig rig;
        HResult hr;
        auto devices = list(rig.port, hr);
        FakeCamera other = fakeLumoraCamera();
        other.card = "Other Camera";
        rig.fake->plug(0, other);
        std::shared_ptr<CaptureDevice> device;
        QCOMPARE(devices[0]->bind(device), kNotConnected);
        QVERIFY(!device);
        rig.fake->unplug(0);
        QCOMPARE(devices[0]->bind(device), kNotFound);  // ENOENT: the node is gone
        QCOMPARE(rig.fake->openDescriptors(), 0);
    }
};

QTEST_GUILESS_MAIN(TestV4l2Devices)
#include "tst_v4l2_devices.moc"
