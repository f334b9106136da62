// What only the V4L2 backend does (the device port's common behaviour is
// tst_device_conformance), on the fake uvcvideo: which nodes are listed and how they are
// named, V4L2 formats, controls and units in the program's terms, the driver's calls in
// their order and its errors as result codes, frame conversion, and the camera pulled
// before every single system call.
#include <QtTest>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <functional>

#include "device/control_port.h"
#include "device/v4l2/control_map.h"
#include "device/v4l2/format_catalog.h"
#include "device/v4l2/frame_converter.h"
#include "device/v4l2/node_holders.h"
#include "tst_v4l2_helpers.h"

using namespace device;
using namespace device::v4l2;
using namespace v4l2test;

namespace {

const auto kProc = ControlGroup::VideoProcAmp, kCam = ControlGroup::CameraControl;

// The names of a listed device: friendly, the link's 4 characters 5 after "#vid", the link.
std::vector<std::string> names(DeviceMoniker& m) {
    std::string friendly, link;
    m.friendlyName(friendly);
    m.symbolicLink(link);
    const size_t vid = link.find("#vid");
    return {friendly, vid == std::string::npos ? "" : link.substr(vid + 5, 4), link};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

FakeControl& controlOf(FakeCamera& camera, uint32_t id) {
    return *std::find_if(camera.controls.begin(), camera.controls.end(),
                         [id](const FakeControl& c) { return c.id == id; });
}

// The Lumora camera with one control changed before it is plugged.
FakeCamera cameraWith(uint32_t id, void (*change)(FakeControl&)) {
    FakeCamera camera = fakeLumoraCamera();
    change(controlOf(camera, id));
    return camera;
}

// The range in program units as {min, max, step, def, caps}; empty when it fails.
std::vector<long> range(Rig& rig, ControlGroup group, long property) {
    ControlRange r;
    if (rig.controls->getRange(group, property, r) != kOk)
        return {};
    return {r.min, r.max, r.step, r.def, r.caps};
}

// {value, flags} as read back, {} when the read fails.
std::vector<long> get(Rig& rig, ControlGroup group, long property) {
    long value = 0, flags = 0;
    if (rig.controls->get(group, property, value, flags) != kOk)
        return {};
    return {value, flags};
}

// The coded samples of `frames` flat grey 1920x1080 pictures of luma y (4:2:0 in pixel
// format pix), or nothing without that encoder.
std::vector<std::vector<uint8_t>> encodeFlat(AVCodecID id, AVPixelFormat pix, uint8_t y, int frames) {
    std::vector<std::vector<uint8_t>> units;
    const AVCodec* codec = avcodec_find_encoder(id);
    AVCodecContext* ctx = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    if (ctx) {
        frame->width = ctx->width = 1920;
        frame->height = ctx->height = 1080;
        ctx->time_base = AVRational{1, 30};
        frame->format = ctx->pix_fmt = pix;
        ctx->max_b_frames = 0;
        av_opt_set(ctx->priv_data, "preset", "ultrafast", 0);  // H264 only
        av_opt_set(ctx->priv_data, "tune", "zerolatency", 0);
    }
    if (ctx && avcodec_open2(ctx, codec, nullptr) == 0 && av_frame_get_buffer(frame, 0) == 0) {
        for (int plane = 0; plane < 3; ++plane)
            for (int r = 0; r < (plane ? 540 : 1080); ++r)
                std::memset(frame->data[plane] + r * frame->linesize[plane], plane ? 128 : y,
                            plane ? 960 : 1920);
        for (int i = 0; i <= frames; ++i) {
            frame->pts = i;
            avcodec_send_frame(ctx, i < frames ? frame : nullptr);  // then drain
            for (; avcodec_receive_packet(ctx, packet) == 0; av_packet_unref(packet))
                units.emplace_back(packet->data, packet->data + packet->size);
        }
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return units;
}

// length bytes of mid-grey YUYV that end right before an unreadable page.
struct GuardedSample {
    explicit GuardedSample(size_t n) : length(n) {
        base = static_cast<uint8_t*>(
            mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(base + (pages - 1) * page, page, PROT_NONE);
        data = base + (pages - 1) * page - length;
        std::memset(data, 0x80, length);
    }
    ~GuardedSample() { munmap(base, pages * page); }
    const size_t length, page = size_t(sysconf(_SC_PAGESIZE)), pages = (length + page - 1) / page + 1;
    uint8_t *base = nullptr, *data = nullptr;
};

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

class TestV4l2Backend : public QObject {
    Q_OBJECT

private slots:
    // The same listing whether it opens every node or reads udev's database, which opens
    // only a node that may be the camera's (or one udev's rules did not describe).
    void listsCaptureNodesOnlyWithTheirNames_data() {
        QTest::addColumn<bool>("udev");
        QTest::addColumn<std::vector<int>>("opened");
        QTest::newRow("every node opened") << false << std::vector<int>{2, 3, 4, 5, 6, 10, 11};
        QTest::newRow("udev's database") << true << std::vector<int>{5, 6, 10};
    }
    void listsCaptureNodesOnlyWithTheirNames() {
        QFETCH(bool, udev);
        QFETCH(std::vector<int>, opened);
        Rig rig;
        FakeCamera lumora = fakeLumoraCamera(), meta = lumora, other, loopback, output, undescribed;
        rig.fake->unplug(0);
        // uvcvideo names the node after the product and the function's string.
        lumora.card = "Lumora X8: Lumora X8";
        lumora.product = "Lumora X8";
        rig.fake->plug(10, lumora);
        meta.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
        rig.fake->plug(11, meta);
        other.card = "Integrated Camera";
        other.product = "Integrated";  // not followed by ": " in the card: the card stays the name
        other.busInfo = "usb-0000:00:14.0-7";
        other.idVendor = "04F2";
        rig.fake->plug(2, other);
        loopback.card = "Dummy video device";
        loopback.busInfo = "platform:v4l2loopback-000";
        loopback.idVendor.clear();  // not a USB device
        rig.fake->plug(3, loopback);
        output.deviceCaps = V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_STREAMING;
        rig.fake->plug(4, output);
        FakeCamera locked = fakeLumoraCamera();
        locked.openErrno = EACCES;  // no permission: skipped, not fatal
        rig.fake->plug(5, locked);
        undescribed.card = "Capture Card";
        undescribed.udevDescribed = false;
        rig.fake->plug(6, undescribed);
        V4l2Options options;
        if (udev)
            options.udev = rig.fake;
        DevicePort port = makeV4l2Port(rig.fake, options);
        QCOMPARE(bool(port.watchDevices), udev);  // without udev: the connect tick alone

        std::vector<std::unique_ptr<DeviceMoniker>> devices;
        QCOMPARE(port.video->enumerateVideoInputs(devices), kOk);
        QCOMPARE(int(devices.size()), 4);  // by number: 2, 3, 6, 10; metadata, output, locked nodes left out
        const auto integrated = names(*devices[0]), plain = names(*devices[1]), x8 = names(*devices[3]);
        QCOMPARE(integrated[0], std::string("Integrated Camera"));
        QCOMPARE(integrated[1], std::string("04f2"));
        QCOMPARE(plain[0], std::string("Dummy video device"));
        QCOMPARE(plain[1], std::string());  // no marker: the log shows empty fields
        QCOMPARE(names(*devices[2])[0], std::string("Capture Card"));
        QCOMPARE(x8[0], std::string("Lumora X8"));
        // The camera's link (its key across listings) is the driver's, with or without udev.
        QCOMPARE(x8[2], std::string("\\\\?\\usb#vid_2e7e&pid_0801#usb-0000:00:14.0-2#/dev/video10"));
        QCOMPARE(rig.fake->openDescriptors(), 0);  // listing leaves nothing open
        std::vector<int> touched;
        for (int number : {2, 3, 4, 5, 6, 10, 11})
            if (rig.fake->opens(number) > 0)
                touched.push_back(number);
        QCOMPARE(touched, opened);

        const std::string notes = describe();
        QVERIFY(
            contains(notes, "/dev/video10 \"Lumora X8: Lumora X8\" (listed as \"Lumora X8\", usb 2e7e:0801"));
        QVERIFY(contains(
            notes, udev ? "/dev/video11: not a capture node (udev: :)" : "/dev/video11: metadata node"));
        QVERIFY(contains(notes, "/dev/video5: cannot open"));
    }

    // A stepwise size range is listed as sizes on its grid (the ends and the common sizes
    // within), a continuous rate range as the common rates of 30 fps and below.
    void stepwiseSizesAndContinuousRatesAreSampled() {
        QCOMPARE(intervalFromFraction(1001, 30000), int64_t(333666));
        QCOMPARE(intervalFromFraction(1, 0), int64_t(0));
        const v4l2_frmsize_stepwise range{160, 1312, 32, 120, 728, 8};
        v4l2_frmsize_stepwise nonsense = range;
        nonsense.min_width = 0;
        QVERIFY(sizesOfRange(nonsense).empty());
        FakeCamera camera = fakeLumoraCamera();
        camera.formats = {FakeFormat{V4L2_PIX_FMT_GREY, {{160, 120, {}}}, true, range}};
        Rig rig(camera, true);
        int count = 0, recordSize = 0;
        rig.device->capabilityCount(0, count, recordSize);
        std::vector<std::pair<int, int>> sizes;
        for (int i = 0; i < count; ++i) {
            MediaFormat f;
            QCOMPARE(rig.device->capability(0, i, f), kOk);
            QVERIFY(f.subtype == fourccSubtype(V4L2_PIX_FMT_GREY));  // logged under its code, never listed
            QVERIFY(f.width <= 1312 && (f.width - 160) % 32 == 0 && f.height <= 728 &&
                    (f.height - 120) % 8 == 0);
            sizes.emplace_back(f.width, f.height);
        }
        for (const auto& size : {std::pair{160, 120}, {640, 480}, {1280, 720}, {1312, 728}})
            QVERIFY(std::count(sizes.begin(), sizes.end(), size));
        std::vector<int64_t> intervals;
        QCOMPARE(rig.device->frameIntervals(0, 1, sizes[1].first, sizes[1].second, intervals), kOk);
        QCOMPARE(intervals.front(), int64_t(333333));  // 1/30 .. 1 s
        QCOMPARE(intervals.back(), int64_t(2000000));
    }

    void bindFailsWhenTheNodeWasTakenByAnotherDevice() {
        Rig rig;
        std::vector<std::unique_ptr<DeviceMoniker>> devices;
        QCOMPARE(rig.port.video->enumerateVideoInputs(devices), kOk);
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

    void unitsConvert() {
        const auto log2s = ControlUnit::Log2Seconds, degrees = ControlUnit::Degrees;
        const struct {
            ControlUnit unit;
            long program;
            int32_t v4l2;
            bool bothWays;  // else only v4l2 -> program
        } rows[] = {
            {log2s, 0, 10000, true},
            {log2s, -5, 313, true},  // 1/32 s rounds up
            {log2s, -11, 5, true},
            {log2s, 2, 40000, true},
            {log2s, -6, 156, false},
            {log2s, -12, 3, false},
            {log2s, -2, 2047, false},
            {log2s, -13, 0, false},  // no log of 0: as 1
            {degrees, -10, -36000, true},
            {degrees, 7, 25200, true},
            {degrees, -2, -5400, false},  // away from 0
            {ControlUnit::Plain, 123, 123, true},
        };
        for (const auto& row : rows) {
            QCOMPARE(toProgramValue(row.unit, row.v4l2), row.program);
            if (row.bothWays)
                QCOMPARE(toV4l2Value(row.unit, row.program), row.v4l2);
        }
        for (long n = -13; n <= 3; ++n)
            QCOMPARE(toProgramValue(log2s, toV4l2Value(log2s, n)), n);
        QVERIFY(toV4l2Value(log2s, 1000) > 0);  // clamped, not overflowed
        QCOMPARE(toProgramStep(degrees, 3600), 1L);
        QCOMPARE(toProgramStep(degrees, 1), 1L);  // never a step of 0
    }

    // Each property reaches its own V4L2 control (every control of this camera has a range
    // of its own) and its automatic switch, in program units; without a V4L2 control the
    // range fails and nothing is asked of the driver (one the camera lacks, EINVAL:
    // tst_device_conformance).
    void eachPropertyHasItsControlInProgramUnits() {
        FakeCamera camera =
            cameraWith(V4L2_CID_TILT_ABSOLUTE, [](FakeControl& c) { c.minimum = -18000, c.maximum = 18000; });
        for (uint32_t id : {V4L2_CID_HUE_AUTO, V4L2_CID_FOCUS_AUTO})
            camera.controls.push_back(FakeControl{id, V4L2_CTRL_TYPE_BOOLEAN, 0, 1, 1, 1, 1});
        camera.controls.push_back(FakeControl{V4L2_CID_IRIS_ABSOLUTE, V4L2_CTRL_TYPE_INTEGER, 1, 9, 1, 1, 1});
        camera.controls.push_back(
            FakeControl{V4L2_CID_FOCUS_ABSOLUTE, V4L2_CTRL_TYPE_INTEGER, 0, 250, 5, 0, 0});
        Rig rig(camera, true);
        const long M = kFlagsManual, A = kFlagsAuto | kFlagsManual;
        const struct {
            ControlGroup group;
            long property;
            std::vector<long> range;  // min, max, step, def, caps; empty: kNotFound
        } rows[] = {
            {kProc, kProcBrightness, {-64, 64, 1, 0, M}},
            {kProc, kProcContrast, {0, 95, 1, 32, M}},
            {kProc, kProcHue, {-2000, 2000, 1, 0, A}},
            {kProc, kProcSaturation, {0, 100, 1, 64, M}},
            {kProc, kProcSharpness, {0, 7, 1, 3, M}},
            {kProc, kProcGamma, {100, 300, 1, 100, M}},
            {kProc, kProcColorEnable, {}},
            {kProc, kProcWhiteBalance, {2800, 6500, 10, 4600, A}},
            {kProc, kProcBacklightCompensation, {0, 2, 1, 1, M}},
            {kProc, kProcGain, {0, 100, 1, 0, M}},
            {kCam, kCamPan, {-10, 10, 1, 0, M}},
            {kCam, kCamTilt, {-5, 5, 1, 0, M}},
            {kCam, kCamRoll, {}},
            {kCam, kCamZoom, {100, 400, 1, 100, M}},
            {kCam, kCamExposure, {-12, -2, 1, -6, A}},
            {kCam, kCamIris, {1, 9, 1, 1, M}},
            {kCam, kCamFocus, {0, 250, 5, 0, A}},
        };
        for (const auto& row : rows) {
            rig.fake->clearCalls();
            QCOMPARE(range(rig, row.group, row.property), row.range);
            QCOMPARE(rig.fake->calls().empty(), row.range.empty());
        }
        ControlMapping m;  // the kernel-streaming set: power-line frequency and the group above
        QVERIFY(mapKsProperty(kKsPowerlineFrequency, m) && m.cid == V4L2_CID_POWER_LINE_FREQUENCY);
        QVERIFY(mapKsProperty(kProcGain, m) && m.cid == V4L2_CID_GAIN);
        QVERIFY(!mapKsProperty(12, m));
    }

    void manualExposureSetsTheModeBeforeTheValue() {
        Rig rig(fakeLumoraCamera(), true);  // starts in APERTURE_PRIORITY
        QCOMPARE(get(rig, kCam, kCamExposure), (std::vector<long>{-6, kFlagsAuto}));
        rig.fake->clearCalls();
        QCOMPARE(rig.controls->set(kCam, kCamExposure, -8, kFlagsManual), kOk);
        const int mode = firstCall(*rig.fake, "S_CTRL", V4L2_CID_EXPOSURE_AUTO);
        QVERIFY(mode >= 0 && firstCall(*rig.fake, "S_CTRL", V4L2_CID_EXPOSURE_ABSOLUTE) > mode);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 1);       // MANUAL
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_EXPOSURE_ABSOLUTE), 39);  // 2^-8 s
        QCOMPARE(get(rig, kCam, kCamExposure), (std::vector<long>{-8, kFlagsManual}));
        // Already manual: only the value is written.
        rig.fake->clearCalls();
        QCOMPARE(rig.controls->set(kCam, kCamExposure, -9, kFlagsManual), kOk);
        QCOMPARE(firstCall(*rig.fake, "S_CTRL", V4L2_CID_EXPOSURE_AUTO), -1);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_EXPOSURE_ABSOLUTE), 20);
        // Back to automatic: APERTURE_PRIORITY where offered, the value stays the camera's.
        rig.fake->clearCalls();
        QCOMPARE(rig.controls->set(kCam, kCamExposure, -3, kFlagsAuto), kOk);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 3);
        QCOMPARE(firstCall(*rig.fake, "S_CTRL", V4L2_CID_EXPOSURE_ABSOLUTE), -1);
        QCOMPARE(rig.fake->controlValue(0, V4L2_CID_EXPOSURE_ABSOLUTE), 20);
    }

    void automaticExposureFollowsTheModesOffered() {
        // A menu of AUTO and MANUAL: AUTO.
        Rig a(cameraWith(V4L2_CID_EXPOSURE_AUTO, [](FakeControl& c) { c.menu = {0, 1}, c.value = 1; }), true);
        QCOMPARE(a.controls->set(kCam, kCamExposure, 0, kFlagsAuto), kOk);
        QCOMPARE(a.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 0);
        QCOMPARE(get(a, kCam, kCamExposure).at(1), long(kFlagsAuto));
        // A menu of MANUAL and SHUTTER_PRIORITY: no automatic exposure at all, the time is manual.
        Rig m(cameraWith(V4L2_CID_EXPOSURE_AUTO, [](FakeControl& c) { c.menu = {1, 2}, c.value = 2; }), true);
        QCOMPARE(range(m, kCam, kCamExposure).at(4), long(kFlagsManual));
        QCOMPARE(get(m, kCam, kCamExposure).at(1), long(kFlagsManual));
        QVERIFY(failed(m.controls->set(kCam, kCamExposure, 0, kFlagsAuto)));
        QCOMPARE(m.fake->controlValue(0, V4L2_CID_EXPOSURE_AUTO), 2);
    }

    // A control the driver refuses to set, and one it offers read-only.
    void driverErrorsBecomeFailures() {
        Rig rig(cameraWith(V4L2_CID_POWER_LINE_FREQUENCY,
                           [](FakeControl& c) { c.flags = V4L2_CTRL_FLAG_READ_ONLY; }),
                true);
        rig.fake->failNextIoctl(VIDIOC_S_CTRL, EIO);
        QCOMPARE(rig.controls->set(kProc, kProcGain, 5, kFlagsManual), kGenFailure);
        uint32_t support = 0;
        QCOMPARE(rig.controls->ksQuerySupported(kKsPowerlineFrequency, support), kOk);
        QCOMPARE(support, uint32_t(kKsSupportGet));
        // The camera pulled: tst_device_conformance.
    }
    void codedSamplesAreDecodedToRgb32() {
        // H264 in limited range; cameras send full-range JPEG: luma 200 is grey 200 (read
        // as limited range, 214).
        for (const bool h264 : {true, false}) {
            const int luma = h264 ? 128 : 200, grey = h264 ? 130 : 200, tolerance = h264 ? 20 : 4;
            const auto units = h264 ? encodeFlat(AV_CODEC_ID_H264, AV_PIX_FMT_YUV420P, uint8_t(luma), 3)
                                    : encodeFlat(AV_CODEC_ID_MJPEG, AV_PIX_FMT_YUVJ420P, uint8_t(luma), 1);
            if (units.empty() && h264)
                continue;  // no H264 encoder here to make a stream with
            Stream s;
            QCOMPARE(s.start(h264 ? kSubtypeH264 : kSubtypeMJPG, 1920, 1080, kSubtypeRGB32), kOk);
            // A broken sample gives no frame, and a buffer flagged as an error is dropped (and
            // goes back to the driver): the stream goes on.
            if (!h264)
                QVERIFY(s.fake->pushFrame(0, {0xFF, 0xD8, 0x00, 0x01}) &&
                        s.fake->pushFrame(0, units.at(0), V4L2_BUF_FLAG_ERROR));
            for (const auto& unit : units) {
                QVERIFY(s.fake->waitForQueuedBuffers(0, 2000));
                QVERIFY(s.fake->pushFrame(0, unit));
            }
            QVERIFY(s.sink.waitFor(1) && s.fake->waitForQueuedBuffers(0, 2000));  // every sample handled
            QVERIFY(h264 || s.sink.samples().size() == 1);
            const auto bytes = s.sink.samples()[0].bytes;
            QCOMPARE(bytes.size(), size_t(1920 * 1080 * 4));
            for (int channel = 0; channel < 3; ++channel) {
                const int centre = bytes[(540 * 1920 + 960) * 4 + channel];
                QVERIFY2(std::abs(centre - grey) <= tolerance, qPrintable(QString::number(centre)));
            }
        }
    }

    void streamingErrorsEndTheStream() {
        const struct {
            unsigned long request;
            int error;
            long event;
        } rows[] = {{VIDIOC_DQBUF, EIO, kEventDeviceLost},
                    {VIDIOC_QBUF, ENODEV, kEventDeviceLost},
                    {VIDIOC_QBUF, EINVAL, kEventErrorAbort}};
        for (const auto& row : rows) {
            Stream s;
            QCOMPARE(s.start(kSubtypeMJPG, 1920, 1080, kSubtypeNull), kOk);
            s.fake->failNextIoctl(row.request, row.error);
            QVERIFY(s.fake->pushFrame(0, {1}));
            QCOMPARE(s.waitForEvent(), row.event);
        }
        // The camera pulled mid-stream (lost once, nothing left behind): tst_device_conformance
        // and unplugAtEveryCallLeavesNothingBehind.
    }

    void stopReleasesInTheDriversOrder() {
        Stream s;
        QCOMPARE(s.start(kSubtypeYUY2, 640, 480, kSubtypeNull, 666666), kOk);
        QCOMPARE(s.fake->timePerFrame(0).denominator, 15u);
        s.fake->clearCalls();
        QCOMPARE(s.graph->stop(), kOk);
        const int off = firstCall(*s.fake, "STREAMOFF"), unmap = firstCall(*s.fake, "munmap");
        const int release = firstCall(*s.fake, "REQBUFS", -1, 0);
        QVERIFY(off >= 0 && unmap > off && release > unmap);
        QCOMPARE(s.fake->calls()[size_t(release)].result, 0);
        QCOMPARE(s.fake->liveMappings() + s.fake->allocatedBuffers(0), 0);
        QVERIFY(!s.fake->streaming(0));  // run again, destroyed while running: tst_device_conformance
        long code = -1;
        QCOMPARE(s.graph->waitForCompletion(3000, code), kWrongState);  // stopped: not an abandoned wait
    }

    void unsupportedOutputFailsAndARetriedOpenReleasesFirst() {
        Stream s;
        QCOMPARE(s.build(format(kSubtypeMJPG, 1920, 1080), kSubtypeI420), kFail);  // no converter to I420
        // Other steps out of order, and a stop from the callback: tst_device_conformance.
        // A retried open adds the grabber again: the earlier buffers are released first.
        Stream u;
        QCOMPARE(u.build(format(kSubtypeMJPG, 1920, 1080), kSubtypeNull), kOk);
        QCOMPARE(u.graph->addGrabber("Grabber 0"), kOk);
        QCOMPARE(u.fake->liveMappings(), 0);
        QCOMPARE(u.graph->connect(0), kOk);
        QCOMPARE(u.graph->run(), kOk);
        QVERIFY(u.fake->streaming(0));
    }

    // The converter module is loaded on the first conversion; one that is missing or is no
    // converter module is named in the error, and no conversion is made of it.
    void converterModuleLoadsOrSaysWhyNot() {
        const QString beside = QCoreApplication::applicationDirPath();
        const struct {
            QString path;
            const char* error;  // nullptr: loads
        } rows[] = {
            {beside + "/" + kFrameConverterModule, nullptr},
            {beside + "/missing/" + kFrameConverterModule, "does not load"},
            {beside + "/libProjectCustomize.so", "is no converter module"},
        };
        for (const auto& row : rows) {
            const FrameConverterModule module = loadFrameConverterModule(row.path.toStdString());
            QCOMPARE(module.create != nullptr, row.error == nullptr);
            if (row.error == nullptr) {
                QVERIFY(module.error.empty());
                continue;
            }
            QVERIFY2(module.error.find(row.path.toStdString()) != std::string::npos, module.error.c_str());
            QVERIFY2(module.error.find(row.error) != std::string::npos, module.error.c_str());
        }
    }

    void yuyvSamplesAtTheEndOfReadableMemory() {
        const struct {
            int width, height, bytesPerLine, length, outWidth, outHeight;
            bool pictured;
        } rows[] = {
            // Widths that are no multiple of 16 pixels are read in groups past the row.
            {10, 10, 0, 200, 5, 5, true},
            {424, 4, 0, 424 * 2 * 4, 424, 4, true},
            {34, 7, 0, 34 * 2 * 7, 40, 9, true},
            {640, 4, 0, 640 * 2 * 4, 640, 4, true},  // no copy
            {10, 3, 32, 32 * 2 + 20, 10, 3, true},   // padded rows
            // A picture of two pixels a row is written in groups past the row.
            {2, 3, 0, 12, 2, 31, true},
            {2, 2, 0, 8, 1, 8, true},
            // A row length shorter than the row's pixels is not believed: the sample is short.
            {10, 10, 2, 42, 5, 5, false},
        };
        for (const auto& row : rows) {
            FrameConverter converter;
            QVERIFY(converter.open(V4L2_PIX_FMT_YUYV, row.width, row.height, row.bytesPerLine,
                                   size_t(row.length), row.outWidth, row.outHeight));
            const GuardedSample sample{size_t(row.length)};
            for (int frame = 0; frame < 2; ++frame) {
                const uint8_t* picture = converter.convert(sample.data, sample.length);
                QCOMPARE(picture != nullptr, row.pictured);
                if (!picture)
                    continue;
                QCOMPARE(converter.pictureSize(), size_t(row.outWidth) * size_t(row.outHeight) * 4);
                // Mid-grey everywhere (within the scaler's dither): nothing written past one
                // row shows in another.
                for (size_t i = 0; i < converter.pictureSize(); ++i)
                    QVERIFY2(std::abs(int(picture[i]) - int(picture[i % 4])) <= 2,
                             qPrintable(QString("%1x%2 byte %3").arg(row.width).arg(row.height).arg(i)));
            }
        }
    }
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
            QCOMPARE(fake->misuses(), 0);
            QCOMPARE(fake->openDescriptors(), 0);
            QCOMPARE(fake->liveMappings(), 0);
            ++sweeps;
            if (fake->plugged(0)) {  // the whole run passed before the plug was pulled
                QVERIFY(whole);
                break;
            }
        }
        qInfo("pulled the plug at %d different moments", sweeps - 1);
        QVERIFY(sweeps > 60);  // the run makes that many calls: every one was a pull point
    }

    // Another application streams: the driver refuses the stream with EBUSY, which is told
    // apart from other failures; who holds the node is read from /proc (a folder laid out
    // alike here: a node whose name only starts the same and this process do not count).
    void streamHeldByAnotherApplication() {
        for (unsigned long request : {VIDIOC_S_FMT, VIDIOC_REQBUFS, VIDIOC_STREAMON}) {
            Stream s;
            s.fake->failNextIoctl(request, EBUSY);
            QCOMPARE(s.start(kSubtypeMJPG, 1920, 1080, kSubtypeNull), kInUse);
        }
        QTemporaryDir proc;
        const auto process = [&](const char* pid, const char* comm, const char* node) {
            const QString dir = proc.filePath(pid);
            QVERIFY(QDir().mkpath(dir + "/fd"));
            QFile name(dir + "/comm");
            QVERIFY(name.open(QIODevice::WriteOnly));
            name.write(comm);
            name.close();
            QVERIFY(::symlink(node, (dir + "/fd/7").toLocal8Bit().constData()) == 0);
        };
        process("4242", "video-call\n", "/dev/video3");
        process("77", "other\n", "/dev/video30");
        process("99", "this\n", "/dev/video3");
        process("12", "browser\n", "/dev/video3");
        QVERIFY(QDir().mkpath(proc.filePath("self/fd")));
        const auto holders = nodeHolders(proc.path().toStdString(), "/dev/video3", 99);
        QCOMPARE(int(holders.size()), 2);
        QVERIFY(holders[0].name == "browser" && holders[0].pid == 12);
        QVERIFY(holders[1].name == "video-call" && holders[1].pid == 4242);
    }
};

QTEST_GUILESS_MAIN(TestV4l2Backend)
#include "tst_v4l2_backend.moc"
