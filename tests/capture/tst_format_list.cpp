// Device discovery and the format list: which devices count and match, which formats
// reach the list, and the default MJPG choice.
#include <QtTest>
#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "base/app_config.h"
#include "capture/capture_formats.h"
#include "capture/uvc_camera.h"
#include "device/device_port.h"
#include "fake_video_system.h"
#include "support/log_capture.h"

using device::kSubtypeH264;
using device::kSubtypeMJPG;
using device::kSubtypeNV12;
using device::kSubtypeRGB24;
using device::kSubtypeYUY2;

namespace {
fake::Device camera(const std::string& display, const std::string& friendly,
                    std::vector<fake::Capability> caps = {
                        fake::capability(kSubtypeMJPG, 640, 360, {333333})}) {
    fake::Device d;
    d.displayName = display;
    d.friendlyName = friendly;
    d.capabilities = std::move(caps);
    return d;
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

    void deviceMatching() {
        const struct {
            const char* name;  // empty: match by index
            int index, code;
            int position;  // counted position of the match
            int width;     // width of its first entry
        } rows[] = {
            {"X8", -1, 0, 2, 1920},        // the first of two matching
            {"x8", -1, 9, -1, 0},          // case-sensitive
            {"Microphone", -1, 9, -1, 0},  // an uncounted device's name
            {"Late", -1, 9, -1, 0},        // beyond ten asks
            {"", 0, 0, 0, 640},            // a software device counts
            {"", 8, 0, 8, 640},            // the tenth ask
            {"", 9, 9, -1, 0},             // past the counted
            {"", -1, 9, -1, 0},            // -1 without a name
        };
        std::vector<fake::Device> devices = {
            camera("@device:cm:{audio}", "Lumora X8 Microphone"),  // not a capture device
            camera("@device:sw:{860BB310}", "Virtual Cam"), camera("@device:pnp:a", "Integrated Webcam"),
            camera("@device:pnp:b", "Lumora X8 Camera",
                   {fake::capability(kSubtypeMJPG, 1920, 1080, {333333})}),
            camera("@device:pnp:c", "Lumora X8", {fake::capability(kSubtypeMJPG, 1280, 720, {333333})})};
        for (int i = 0; i < 5; ++i)
            devices.push_back(camera("@device:pnp:" + std::to_string(i), "Camera " + std::to_string(i)));
        devices.push_back(camera("@device:pnp:late", "Late Lumora"));  // the eleventh device
        fake::install(devices);
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

    void noSystemOrNoDevicesFail() {
        CaptureFormatList list;
        list.deviceIndex = 0;
        QCOMPARE(ewc_EnumFormats(list), 4);
        fake::install({});
        QCOMPARE(ewc_EnumFormats(list), 5);
        QVERIFY(!findUvcCamera(0, "Lumora X8"));
        fake::install({camera("@device:pnp:x", "Lumora X8")});
        QVERIFY(findUvcCamera(-1, "Lumora X8"));
    }

    void oneEntryPerIntervalAndAtMostHundredPerPin() {
        std::vector<fake::Capability> caps;
        caps.push_back(fake::capability(kSubtypeMJPG, 1920, 1080, {333333, 400000, 666666}));
        for (int i = 0; i < 60; ++i)
            caps.push_back(fake::capability(kSubtypeYUY2, 100 + i, 100, {333333, 666666}));
        fake::Device d = camera("@device:pnp:x", "Lumora X8", caps);
        d.pinsOutput = {false, true, true};  // an input pin, then two output pins
        fake::install({d});
        CaptureFormatList list;
        list.nameFilter = "Lumora X8";
        QCOMPARE(ewc_EnumFormats(list), 0);
        QCOMPARE(list.pinCount(), 2);
        QCOMPARE(list.pins[0].count(), 100);
        QCOMPARE(list.pins[1].count(), 100);
        const std::vector<CaptureFormat>& entries = list.pins[0].entries;
        QCOMPARE(entries[2].width, 1920);
        QCOMPARE(entries[0].fps, 10000000.0 / 333333.0);
        QCOMPARE(entries[1].fps, 25.0);
        QCOMPARE(entries[2].avgTimePerFrame, int64_t(333333));
        QCOMPARE(entries[99].width, 100 + 48);  // 3 + 48 x 2 + one of the 49th

        // A capability record of another size than 128 bytes is not read: an empty pin.
        d.recordSize = 64;
        fake::install({d});
        CaptureFormatList wrongSize;
        wrongSize.nameFilter = "Lumora X8";
        QCOMPARE(ewc_EnumFormats(wrongSize), 0);
        QCOMPARE(wrongSize.pinCount(), 2);
        QCOMPARE(wrongSize.pins[0].count(), 0);
    }

    // Every entry is logged with its subtype's name (or its code when it has none).
    void initialKeepsOnlyTheThreeFormatsAndLogsEveryEntry() {
        fake::install({camera("@device:pnp:x", "Lumora X8",
                              {fake::capability(kSubtypeNV12, 640, 480, {333333}),
                               fake::capability(kSubtypeH264, 1080, 1920, {333333}),
                               fake::capability(kSubtypeRGB24, 320, 240, {333333}),
                               fake::capability(kSubtypeYUY2, 640, 480, {333333, 666666})})});
        LogCapture log;
        std::vector<RESOLUTION_LIST> formats;
        QCOMPARE(runInitial("Lumora X8", formats), -1);
        QCOMPARE(int(formats.size()), 3);
        const auto& h264 = formats[0];
        QCOMPARE(std::make_tuple(h264.index, h264.format, h264.width, h264.height, h264.fps),
                 std::make_tuple(1, std::string("H264"), 1080, 1920, 30));
        QCOMPARE(std::make_tuple(formats[2].index, formats[2].fps), std::make_tuple(4, 15));
        QCOMPARE(log.count("0: 640x480(16) 333333 30.000030[fps] 3231564E\n"), 1);
        QCOMPARE(log.count("2: 320x240(16) 333333 30.000030[fps] RGB24\n"), 1);
        // The current list was replaced and points at the matched device.
        QCOMPARE(ewc_currentFormatList().deviceIndex, 0);
        QCOMPARE(ewc_currentFormatList().pins.at(0).count(), 5);

        QCOMPARE(runInitial(nullptr, formats), -1);
        QVERIFY(formats.empty());
    }

    // width, height, fps configured; the index chosen
    void defaultMjpg() {
        fake::install({camera("@device:pnp:x", "Lumora X8",
                              {fake::capability(kSubtypeMJPG, 3520, 1104, {333333, 666666}),
                               fake::capability(kSubtypeYUY2, 3520, 1104, {333333}),
                               fake::capability(kSubtypeMJPG, 1920, 1080, {333333, 666666}),
                               fake::capability(kSubtypeH264, 1920, 1080, {666666}),
                               fake::capability(kSubtypeMJPG, 3520, 1104, {333333})})});
        for (const auto& [width, height, fps, index] :
             {std::array{0, 0, 0, 6},   // built in: the last 3520x1104 at 30
              {1920, 1080, 15, 4},      // configured
              {1920, 0, 15, 6},         // one dimension only: built in
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
