// Device discovery and the format list over the V4L2 backend on the fake uvcvideo (whose
// nodes can be many, named at will and offer any formats): which devices count and match,
// which formats reach the list, and the default MJPG choice. A listed device that is no
// capture device: tst_slot_open.
#include <QtTest>
#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "base/app_config.h"
#include "capture/capture_formats.h"
#include "capture/uvc_camera.h"
#include "device/fake/fake_uvc.h"
#include "device/v4l2/v4l2_port.h"
#include "support/log_capture.h"

using device::v4l2::FakeCamera;
using device::v4l2::FakeFormat;

namespace {
// Sizes of one pixel format, each with its rates (fps, the default first).
FakeFormat offer(uint32_t pixelformat,
                 std::vector<std::tuple<uint32_t, uint32_t, std::vector<uint32_t>>> sizes) {
    FakeFormat f{pixelformat, {}, false, {}};
    for (auto& [width, height, rates] : sizes) {
        f.sizes.push_back({width, height, {}});
        for (uint32_t fps : rates)
            f.sizes.back().intervals.push_back(v4l2_fract{1, fps});
    }
    return f;
}

FakeCamera camera(const std::string& name,
                  std::vector<FakeFormat> formats = {offer(V4L2_PIX_FMT_MJPEG, {{640, 360, {30}}})}) {
    FakeCamera c = device::v4l2::fakeLumoraCamera();
    c.card = name;
    c.formats = std::move(formats);
    return c;
}

// The cameras plugged as nodes 0, 1, ... and the backend installed on them.
void install(const std::vector<FakeCamera>& cameras) {
    auto fake = std::make_shared<device::v4l2::FakeUvc>();
    for (size_t i = 0; i < cameras.size(); ++i)
        fake->plug(int(i), cameras[i]);
    device::installPort(device::v4l2::makeV4l2Port(fake));
}

int runInitial(const char* name, std::vector<RESOLUTION_LIST>& formats) {
    UvcCamera cam;
    formats.clear();
    return cam.initial(name, formats);
}
}  // namespace

class FormatListTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        appConfig().defaultWidth = 0;
        appConfig().defaultHeight = 0;
        appConfig().defaultFps = 0;
    }
    void cleanup() { device::installPort(device::DevicePort{}); }

    // Without a port (4) or with nothing listed (5) no device is found.
    void deviceMatching() {
        CaptureFormatList none;
        QCOMPARE(ewc_EnumFormats(none), 4);
        install({});
        QCOMPARE(ewc_EnumFormats(none), 5);
        QVERIFY(!findUvcCamera(0, "Lumora X8"));
        const struct {
            const char* name;  // empty: match by index
            int index, code;
            int position;  // counted position of the match
            int width;     // width of its first entry
        } rows[] = {
            {"X8", -1, 0, 1, 1920},                      // the first of two matching
            {"x8", -1, 9, -1, 0},                        // case-sensitive
            {"Late", -1, 9, -1, 0},                      // beyond ten asks
            {"", 0, 0, 0, 640},     {"", 9, 0, 9, 640},  // the tenth ask
            {"", 10, 9, -1, 0},                          // past the counted
            {"", -1, 9, -1, 0},                          // -1 without a name
        };
        std::vector<FakeCamera> devices = {
            camera("Integrated Webcam"),
            camera("Lumora X8 Camera", {offer(V4L2_PIX_FMT_MJPEG, {{1920, 1080, {30}}})}),
            camera("Lumora X8", {offer(V4L2_PIX_FMT_MJPEG, {{1280, 720, {30}}})})};
        for (int i = 0; i < 7; ++i)
            devices.push_back(camera("Camera " + std::to_string(i)));
        devices.push_back(camera("Late Lumora"));  // the eleventh device
        install(devices);
        QVERIFY(findUvcCamera(-1, "Lumora X8"));
        for (const auto& row : rows) {
            CaptureFormatList list;
            list.deviceIndex = row.index;
            if (*row.name)
                list.nameFilter = row.name;
            QCOMPARE(ewc_EnumFormats(list), row.code);
            QVERIFY(row.code != 0 ||
                    (list.deviceIndex == row.position && list.pins.at(0).entries.at(0).width == row.width));
        }
    }

    // One entry per rate, the capability's default time per frame in each; at most 100.
    void oneEntryPerIntervalAndAtMostHundred() {
        FakeFormat yuyv = offer(V4L2_PIX_FMT_YUYV, {});
        for (uint32_t i = 0; i < 60; ++i)
            yuyv.sizes.push_back(offer(V4L2_PIX_FMT_YUYV, {{100 + i, 100, {30, 15}}}).sizes[0]);
        install({camera("Lumora X8", {offer(V4L2_PIX_FMT_MJPEG, {{1920, 1080, {30, 25, 15}}}), yuyv})});
        CaptureFormatList list;
        list.nameFilter = "Lumora X8";
        QCOMPARE(ewc_EnumFormats(list), 0);
        QCOMPARE(list.pinCount(), 1);
        const std::vector<CaptureFormat>& entries = list.pins[0].entries;
        QCOMPARE(int(entries.size()), 100);
        QCOMPARE(entries[2].width, 1920);
        QCOMPARE(entries[0].fps, 10000000.0 / 333333.0);
        QCOMPARE(entries[1].fps, 25.0);
        QCOMPARE(entries[2].avgTimePerFrame, int64_t(333333));
        QCOMPARE(entries[99].width, 100 + 48);  // 3 + 48 x 2 + one of the 49th
    }

    // Only MJPG, H264 and YUY2 reach the list; every entry is logged with its subtype's name
    // (or its code when it has none).
    void initialKeepsOnlyTheThreeFormatsAndLogsEveryEntry() {
        install({camera("Lumora X8", {offer(V4L2_PIX_FMT_NV12, {{640, 480, {30}}}),
                                      offer(V4L2_PIX_FMT_H264, {{1080, 1920, {30}}}),
                                      offer(V4L2_PIX_FMT_GREY, {{320, 240, {30}}}),
                                      offer(V4L2_PIX_FMT_YUYV, {{640, 480, {30, 15}}})})});
        LogCapture log;
        std::vector<RESOLUTION_LIST> formats;
        QCOMPARE(runInitial("Lumora X8", formats), -1);
        QCOMPARE(int(formats.size()), 3);
        const auto& h264 = formats[0];
        QCOMPARE(std::make_tuple(h264.index, h264.format, h264.width, h264.height, h264.fps),
                 std::make_tuple(1, std::string("H264"), 1080, 1920, 30));
        QCOMPARE(std::make_tuple(formats[2].index, formats[2].fps), std::make_tuple(4, 15));
        QCOMPARE(log.count("0: 640x480(12) 333333 30.000030[fps] 3231564E\n"), 1);
        QCOMPARE(log.count("3: 640x480(16) 333333 30.000030[fps] YUY2\n"), 1);
        // The current list was replaced and points at the matched device.
        QCOMPARE(ewc_currentFormatList().deviceIndex, 0);
        QCOMPARE(ewc_currentFormatList().pins.at(0).count(), 5);

        QCOMPARE(runInitial(nullptr, formats), -1);
        QVERIFY(formats.empty());
    }

    // width, height, fps configured; the index chosen
    void defaultMjpg() {
        install({camera(
            "Lumora X8",
            {offer(V4L2_PIX_FMT_MJPEG, {{3520, 1104, {30, 15}}, {1920, 1080, {30, 15}}, {3520, 1104, {30}}}),
             offer(V4L2_PIX_FMT_YUYV, {{3520, 1104, {30}}}),
             offer(V4L2_PIX_FMT_H264, {{1920, 1080, {15}}})})});
        for (const auto& [width, height, fps, index] :
             {std::array{0, 0, 0, 4},   // built in: the last 3520x1104 at 30
              {1920, 1080, 15, 3},      // configured
              {1920, 0, 15, 4},         // one dimension only: built in
              {1920, 1080, 60, -1}}) {  // configured but absent
            appConfig().defaultWidth = width;
            appConfig().defaultHeight = height;
            appConfig().defaultFps = fps;
            std::vector<RESOLUTION_LIST> formats;
            QCOMPARE(runInitial("Lumora", formats), index);
        }
    }
};

QTEST_GUILESS_MAIN(FormatListTest)
#include "tst_format_list.moc"
