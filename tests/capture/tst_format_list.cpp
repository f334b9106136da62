// Device discovery and the format list: which devices count and match, which formats
// reach the list, and the default MJPG choice.
#include <QtTest>
#include <string>
#include <vector>

#include "app/app_config.h"
#include "capture/capture_formats.h"
#include "capture/capture_slots.h"
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

CaptureFormatList listFor(int index, const char* name) {
    CaptureFormatList list;
    list.deviceIndex = index;
    if (name != nullptr) {
        list.nameFilter = std::string(name);
    }
    return list;
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

    void matchesByNameSubstringAndCountedPosition() {
        fake::install({camera("@device:pnp:\\\\?\\usb#webcam", "Integrated Webcam"),
                       camera("@device:pnp:\\\\?\\usb#lumora", "Lumora X8 Camera")});
        CaptureFormatList byName = listFor(-1, "X8");
        QCOMPARE(ewc_EnumFormats(byName), 0);
        QCOMPARE(byName.deviceIndex, 1);

        CaptureFormatList byIndex = listFor(0, nullptr);
        QCOMPARE(ewc_EnumFormats(byIndex), 0);
        QCOMPARE(byIndex.deviceIndex, 0);

        // Case-sensitive substring; an index past the counted devices matches nothing.
        CaptureFormatList wrongCase = listFor(-1, "x8");
        QCOMPARE(ewc_EnumFormats(wrongCase), 9);
        CaptureFormatList pastEnd = listFor(2, nullptr);
        QCOMPARE(ewc_EnumFormats(pastEnd), 9);
        // Without a name, -1 matches no device during enumeration.
        CaptureFormatList minusOne = listFor(-1, nullptr);
        QCOMPARE(ewc_EnumFormats(minusOne), 9);
    }

    void onlyCaptureDisplayNamesCount() {
        fake::install({camera("@device:cm:{audio}", "Lumora X8 Microphone"),
                       camera("@device:sw:{860BB310}", "Virtual Cam"),
                       camera("@device:pnp:\\\\?\\usb#lumora", "Lumora X8")});
        // The uncounted device neither matches by name nor takes a position.
        CaptureFormatList byName = listFor(-1, "Lumora X8");
        QCOMPARE(ewc_EnumFormats(byName), 0);
        QCOMPARE(byName.deviceIndex, 1);
        CaptureFormatList microphone = listFor(-1, "Microphone");
        QCOMPARE(ewc_EnumFormats(microphone), 9);
        CaptureFormatList software = listFor(0, nullptr);
        QCOMPARE(ewc_EnumFormats(software), 0);
        QCOMPARE(software.pins.at(0).entries.at(0).width, 640);
    }

    void firstOfTwoMatchingCamerasIsUsed() {
        fake::install(
            {camera("@device:pnp:a", "Other"),
             camera("@device:pnp:b", "Lumora X8", {fake::capability(kSubtypeMJPG, 1920, 1080, {333333})}),
             camera("@device:pnp:c", "Lumora X8", {fake::capability(kSubtypeMJPG, 1280, 720, {333333})})});
        CaptureFormatList list = listFor(-1, "Lumora X8");
        QCOMPARE(ewc_EnumFormats(list), 0);
        QCOMPARE(list.deviceIndex, 1);
        QCOMPARE(list.pins.at(0).entries.at(0).width, 1920);
    }

    void atMostTenDevicesAreLookedAt() {
        std::vector<fake::Device> devices;
        for (int i = 0; i < 10; ++i) {
            devices.push_back(camera("@device:pnp:" + std::to_string(i), "Camera " + std::to_string(i)));
        }
        devices.push_back(camera("@device:pnp:late", "Lumora X8"));
        fake::install(devices);
        CaptureFormatList list = listFor(-1, "Lumora X8");
        QCOMPARE(ewc_EnumFormats(list), 9);
        CaptureFormatList tenth = listFor(9, nullptr);
        QCOMPARE(ewc_EnumFormats(tenth), 0);
    }

    void noSystemOrNoDevicesFail() {
        LogCapture log;
        device::installPort(device::DevicePort{});
        CaptureFormatList none = listFor(0, nullptr);
        QCOMPARE(ewc_EnumFormats(none), 4);
        fake::install({});
        CaptureFormatList empty = listFor(0, nullptr);
        QCOMPARE(ewc_EnumFormats(empty), 5);
        QVERIFY(!findUvcCamera(0, "Lumora X8"));
        QCOMPARE(log.count("findUvcCamera 5 \n"), 1);
        fake::install({camera("@device:pnp:x", "Lumora X8")});
        QVERIFY(findUvcCamera(-1, "Lumora X8"));
        QCOMPARE(log.count("findUvcCamera 0 \n"), 1);
    }

    void oneEntryPerIntervalAndAtMostHundredPerPin() {
        std::vector<fake::Capability> caps;
        caps.push_back(fake::capability(kSubtypeMJPG, 1920, 1080, {333333, 400000, 666666}));
        for (int i = 0; i < 60; ++i) {
            caps.push_back(fake::capability(kSubtypeYUY2, 100 + i, 100, {333333, 666666}));
        }
        fake::Device d = camera("@device:pnp:x", "Lumora X8", caps);
        d.pinsOutput = {false, true, true};  // an input pin, then two output pins
        fake::install({d});
        CaptureFormatList list = listFor(-1, "Lumora X8");
        QCOMPARE(ewc_EnumFormats(list), 0);
        QCOMPARE(list.pinCount(), 2);
        for (const PinFormats& pin : list.pins) {
            QCOMPARE(pin.count(), 100);
        }
        const std::vector<CaptureFormat>& entries = list.pins[0].entries;
        QCOMPARE(entries[0].width, 1920);
        QCOMPARE(entries[1].width, 1920);
        QCOMPARE(entries[2].width, 1920);
        QCOMPARE(entries[0].fps, 10000000.0 / 333333.0);
        QCOMPARE(entries[1].fps, 25.0);
        QCOMPARE(entries[2].avgTimePerFrame, int64_t(333333));
        QCOMPARE(std::string(entries[2].name), std::string("MJPG"));
        QCOMPARE(entries[99].width, 100 + 48);  // 3 + 48 x 2 + one of the 49th
    }

    void aCapabilityRecordOfTheWrongSizeGivesAnEmptyPin() {
        fake::Device d = camera("@device:pnp:x", "Lumora X8");
        d.recordSize = 64;
        fake::install({d});
        CaptureFormatList list = listFor(-1, "Lumora X8");
        QCOMPARE(ewc_EnumFormats(list), 0);
        QCOMPARE(list.pinCount(), 1);
        QCOMPARE(list.pins[0].count(), 0);
    }

    void subtypeNames() {
        char text[80];
        QCOMPARE(ewc_SubtypeName(kSubtypeYUY2, text, sizeof text), 0);
        QCOMPARE(std::string(text), std::string("YUY2"));
        QCOMPARE(ewc_SubtypeName(kSubtypeH264, text, sizeof text), 0);
        QCOMPARE(std::string(text), std::string("H264"));
        QCOMPARE(ewc_SubtypeName(kSubtypeRGB24, text, sizeof text), 0);
        QCOMPARE(std::string(text), std::string("RGB24"));
        QCOMPARE(ewc_SubtypeName(kSubtypeNV12, text, sizeof text), 1);
        QCOMPARE(std::string(text), std::string("3231564E"));
    }

    void initialKeepsOnlyTheThreeFormatsAndLogsEveryEntry() {
        fake::install({camera("@device:pnp:x", "Lumora X8",
                              {fake::capability(kSubtypeNV12, 640, 480, {333333}),
                               fake::capability(kSubtypeH264, 1080, 1920, {333333}),
                               fake::capability(kSubtypeRGB24, 320, 240, {333333}),
                               fake::capability(kSubtypeYUY2, 640, 480, {333333, 666666})})});
        LogCapture log;
        UvcCamera cam;
        std::vector<RESOLUTION_LIST> formats;
        QCOMPARE(cam.initial("Lumora X8", formats), -1);
        QCOMPARE(int(formats.size()), 3);
        QCOMPARE(formats[0].index, 1);
        QCOMPARE(formats[0].format, std::string("H264"));
        QCOMPARE(formats[0].width, 1080);
        QCOMPARE(formats[0].height, 1920);
        QCOMPARE(formats[0].fps, 30);
        QCOMPARE(formats[1].index, 3);
        QCOMPARE(formats[2].index, 4);
        QCOMPARE(formats[2].fps, 15);
        QVERIFY(log.count("uvcCamera initial name(Lumora X8)\n") == 1);
        QVERIFY(log.count("---pin 0---\n") == 1);
        QVERIFY(log.count("0: 640x480(16) 333333 30.000030[fps] 3231564E\n") == 1);
        QVERIFY(log.count("2: 320x240(16) 333333 30.000030[fps] RGB24\n") == 1);
        QVERIFY(log.count("---GetMjpgHD -1---\n") == 1);
        // The current list was replaced and points at the matched device.
        QCOMPARE(ewc_currentFormatList().deviceIndex, 0);
        QCOMPARE(ewc_currentFormatList().pins.at(0).count(), 5);
    }

    void initialWithoutNameMatchesNothing() {
        fake::install({camera("@device:pnp:x", "Lumora X8")});
        LogCapture log;
        UvcCamera cam;
        std::vector<RESOLUTION_LIST> formats;
        QCOMPARE(cam.initial(nullptr, formats), -1);
        QVERIFY(formats.empty());
        QCOMPARE(log.count("uvcCamera initial id(-1)\n"), 1);
    }

    void defaultMjpgWithoutConfiguredDefaults() {
        fake::install({camera("@device:pnp:x", "Lumora X8",
                              {fake::capability(kSubtypeMJPG, 3520, 1104, {333333, 666666}),
                               fake::capability(kSubtypeYUY2, 3520, 1104, {333333}),
                               fake::capability(kSubtypeMJPG, 3520, 1104, {333333})})});
        UvcCamera cam;
        std::vector<RESOLUTION_LIST> formats;
        // The last qualifying MJPG entry wins; YUY2 never qualifies.
        QCOMPARE(cam.initial("Lumora", formats), 3);
    }

    void defaultMjpgFollowsConfiguredDefaults() {
        fake::install({camera("@device:pnp:x", "Lumora X8",
                              {fake::capability(kSubtypeMJPG, 3520, 1104, {333333}),
                               fake::capability(kSubtypeMJPG, 1920, 1080, {333333, 666666}),
                               fake::capability(kSubtypeH264, 1920, 1080, {666666})})});
        appConfig().defaultWidth = 1920;
        appConfig().defaultHeight = 1080;
        appConfig().defaultFps = 15;
        UvcCamera cam;
        std::vector<RESOLUTION_LIST> formats;
        QCOMPARE(cam.initial("Lumora", formats), 2);
        // Only one dimension configured: the built-in default applies.
        appConfig().defaultHeight = 0;
        formats.clear();
        QCOMPARE(cam.initial("Lumora", formats), 0);
        // Configured but absent: none.
        appConfig().defaultHeight = 1080;
        appConfig().defaultFps = 60;
        formats.clear();
        QCOMPARE(cam.initial("Lumora", formats), -1);
    }
};

QTEST_GUILESS_MAIN(FormatListTest)
#include "tst_format_list.moc"
