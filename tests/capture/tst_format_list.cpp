// Device discovery and the format list: which devices count and match, which formats
// reach the list, and the default MJPG choice.
#include <QtTest>
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

    void deviceMatching_data() {
        QTest::addColumn<QString>("name");  // empty: match by index
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("position");  // counted position of the match
        QTest::addColumn<int>("width");     // width of its first entry
        QTest::newRow("first of two matching") << "X8" << -1 << 0 << 2 << 1920;
        QTest::newRow("case-sensitive") << "x8" << -1 << 9 << -1 << 0;
        QTest::newRow("uncounted name") << "Microphone" << -1 << 9 << -1 << 0;
        QTest::newRow("beyond ten asks") << "Late" << -1 << 9 << -1 << 0;
        QTest::newRow("software device counts") << "" << 0 << 0 << 0 << 640;
        QTest::newRow("tenth ask") << "" << 8 << 0 << 8 << 640;
        QTest::newRow("past the counted") << "" << 9 << 9 << -1 << 0;
        QTest::newRow("-1 without name") << "" << -1 << 9 << -1 << 0;
    }
    void deviceMatching() {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(int, code);
        QFETCH(int, position);
        QFETCH(int, width);
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
        CaptureFormatList list;
        list.deviceIndex = index;
        if (!name.isEmpty())
            list.nameFilter = name.toStdString();
        QCOMPARE(ewc_EnumFormats(list), code);
        if (code == 0) {
            QCOMPARE(list.deviceIndex, position);
            QCOMPARE(list.pins.at(0).entries.at(0).width, width);
        }
    }

    void noSystemOrNoDevicesFail() {
        LogCapture log;
        CaptureFormatList list;
        list.deviceIndex = 0;
        QCOMPARE(ewc_EnumFormats(list), 4);
        fake::install({});
        QCOMPARE(ewc_EnumFormats(list), 5);
        QVERIFY(!findUvcCamera(0, "Lumora X8"));
        QCOMPARE(log.count("findUvcCamera 5 \n"), 1);
        fake::install({camera("@device:pnp:x", "Lumora X8")});
        QVERIFY(findUvcCamera(-1, "Lumora X8"));
        QCOMPARE(log.count("findUvcCamera 0 \n"), 1);
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
        QCOMPARE(log.count("uvcCamera initial name(Lumora X8)\n"), 1);
        QCOMPARE(log.count("---pin 0---\n"), 1);
        QCOMPARE(log.count("0: 640x480(16) 333333 30.000030[fps] 3231564E\n"), 1);
        QCOMPARE(log.count("2: 320x240(16) 333333 30.000030[fps] RGB24\n"), 1);
        QCOMPARE(log.count("---GetMjpgHD -1---\n"), 1);
        // The current list was replaced and points at the matched device.
        QCOMPARE(ewc_currentFormatList().deviceIndex, 0);
        QCOMPARE(ewc_currentFormatList().pins.at(0).count(), 5);

        QCOMPARE(runInitial(nullptr, formats), -1);
        QVERIFY(formats.empty());
        QCOMPARE(log.count("uvcCamera initial id(-1)\n"), 1);
    }

    void defaultMjpg_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("fps");
        QTest::addColumn<int>("index");
        QTest::newRow("built-in: last 3520x1104@30") << 0 << 0 << 0 << 6;
        QTest::newRow("configured") << 1920 << 1080 << 15 << 4;
        QTest::newRow("one dimension only: built-in") << 1920 << 0 << 15 << 6;
        QTest::newRow("configured but absent") << 1920 << 1080 << 60 << -1;
    }
    void defaultMjpg() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, fps);
        QFETCH(int, index);
        fake::install({camera("@device:pnp:x", "Lumora X8",
                              {fake::capability(kSubtypeMJPG, 3520, 1104, {333333, 666666}),
                               fake::capability(kSubtypeYUY2, 3520, 1104, {333333}),
                               fake::capability(kSubtypeMJPG, 1920, 1080, {333333, 666666}),
                               fake::capability(kSubtypeH264, 1920, 1080, {666666}),
                               fake::capability(kSubtypeMJPG, 3520, 1104, {333333})})});
        appConfig().defaultWidth = width;
        appConfig().defaultHeight = height;
        appConfig().defaultFps = fps;
        std::vector<RESOLUTION_LIST> formats;
        QCOMPARE(runInitial("Lumora", formats), index);
    }
};

QTEST_GUILESS_MAIN(FormatListTest)
#include "tst_format_list.moc"
