// The vendor command set against the simulated camera: what each command puts on the
// wire byte for byte, how answers become values, the failure values, and the log lines.
#include <QtTest>
#include <cstring>

#include "app/app_config.h"
#include "device/sim/sim_camera.h"
#include "fake_xu_system.h"
#include "support/log_capture.h"
#include "xu/uvc_xu_manager.h"
#include "xu/xu_header_version.h"
#include "xu/xu_payloads.h"

using device::sim::SimCamera;
using device::sim::SimOptions;
using device::sim::XuRecord;

namespace {

std::vector<uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values)
        out.push_back(uint8_t(v));
    return out;
}

UVCXUManager& xu() {
    return UVCXUManager::instance();
}

}  // namespace

class TestXuCommands : public QObject {
    Q_OBJECT

    std::shared_ptr<SimCamera> camera;

    void connectTo(SimOptions options = {}) {
        camera = device::sim::installSimulatedCamera(options);
        xu().setEnableCommand(false);
        xu().setEnableCommand(true);
        QVERIFY(xu().haveDevice());
        camera->clearXuRequests();
    }

    XuRecord onlyRequest() {
        const auto records = camera->xuRequests();
        if (records.size() != 1) {
            qWarning("expected one request, got %d", int(records.size()));
            return {};
        }
        return records[0];
    }

private slots:
    void init() {
        appConfig().setDeviceName("Lumora X8");
        connectTo();
    }
    void cleanup() {
        xu().setEnableCommand(false);
        camera.reset();
    }

    void oneByteControlsRoundTrip() {
        QVERIFY(xu().setHdr(true));
        QVERIFY(xu().setAutoFrame(true));
        QVERIFY(xu().setTrackingActive(true));
        QVERIFY(xu().setAutoFrameZoomLevel(0x103));  // only the low byte travels
        QVERIFY(xu().setAutoSensitive(-2));
        const auto records = camera->xuRequests();
        QCOMPARE(records.size(), size_t(5));
        const uint32_t selectors[] = {1, 2, 3, 13, 14};
        const uint8_t sent[] = {1, 1, 1, 3, 0xFE};
        for (size_t i = 0; i < 5; ++i) {
            QCOMPARE(records[i].selector, selectors[i]);
            QVERIFY(records[i].set);
            QCOMPARE(records[i].length, 1u);
            QCOMPARE(records[i].bytes, std::vector<uint8_t>{sent[i]});
        }
        QCOMPARE(xu().getHdr(), uint16_t(1));
        QCOMPARE(xu().getAutoFrame(), uint16_t(1));
        QCOMPARE(xu().getTrackingActive(), uint16_t(1));
        QCOMPARE(xu().getAutoFrameZoomLevel(), uint16_t(3));
        QCOMPARE(xu().getAutoSensitive(), -2);
        QVERIFY(xu().setHdr(false));
        QCOMPARE(xu().getHdr(), uint16_t(0));
    }

    void signedAndUnsignedAnswers() {
        device::sim::XuControls controls;
        controls.autoFrame = 0xFF;
        controls.sensitivity = -1;
        camera->setXuControls(controls);
        LogCapture log;
        QCOMPARE(xu().getAutoFrame(), uint16_t(255));
        QCOMPARE(xu().getAutoSensitive(), -1);
        QVERIFY(log.contains("getAutoSensitive\n"));
        QVERIFY(log.contains("hex ff\ndec -1\n"));
    }

    void oneByteLogLines() {
        LogCapture log;
        xu().getHdr();
        const auto writes = log.writes();
        QVERIFY(writes.size() >= 3);
        QCOMPARE(writes[0], std::string("Data 0, 0 \n"));
        QCOMPARE(writes[1], std::string("sendRequestDirectly: 1 \n"));
        QCOMPARE(writes[2], std::string("sendRequest: A \n"));
        QVERIFY(log.contains(" wValue: 1 Flag: 268435457 wLength: 1\n"));
        log.clear();
        xu().setTrackingActive(true);
        QCOMPARE(log.writes()[0], std::string("Data 1, 1 \n"));
        log.clear();
        xu().resetToDefault();
        QCOMPARE(log.writes()[0], std::string("Data 1, 1 \n"));
        QCOMPARE(log.count("Data 1, 1 \n"), 1);
        QVERIFY(log.contains(" wValue: 5 Flag: 268435458 wLength: 1\n"));
        QCOMPARE(camera->resetCount(), 1);
    }

    void updateModePayload() {
        LogCapture log;
        xu().setUpdateMode(1, 1048576);
        const XuRecord r = onlyRequest();
        QCOMPARE(r.selector, 4u);
        QVERIFY(r.set);
        QCOMPARE(r.bytes, bytes({0x01, 0x00, 0x00, 0x10, 0x00}));
        QVERIFY(log.text().rfind("setUpdateMode 1, 1048576, 4 \n1 0 0 10 0\n0x01 \n0x00 0x00 0x10 0x00 "
                                 "sendRequestDirectly: 1 \n",
                                 0) == 0);
        camera->clearXuRequests();
        xu().setUpdateMode(0, -2);
        QCOMPARE(onlyRequest().bytes, bytes({0x00, 0xFE, 0xFF, 0xFF, 0xFF}));
    }

    void firmwareStepPayloads() {
        LogCapture log;
        xu().startReadPartialFile(10485760);
        xu().startReadHeader();
        xu().setFwUpdateStart(1);
        const auto records = camera->xuRequests();
        QCOMPARE(records.size(), size_t(3));
        QCOMPARE(records[0].selector, 9u);
        QCOMPARE(records[0].bytes, bytes({0x00, 0x00, 0xA0, 0x00}));
        QCOMPARE(records[1].selector, 8u);
        QCOMPARE(records[1].bytes, bytes({0x01, 0x00, 0x00, 0x00}));
        QCOMPARE(records[2].selector, 10u);
        QCOMPARE(records[2].bytes, bytes({0x01}));
        QVERIFY(log.contains("startReadPartialFile\nData 0, 10485760 \nsendRequestDirectly: 1 \n"));
        QVERIFY(log.contains("startReadHeader\nData 1, 1 \nsendRequestDirectly: 1 \n"));
        QVERIFY(log.contains("setFwUpdateStart 1\nData 1, 1 \nsendRequestDirectly: 1 \n"));
    }

    void transferInfoBlock() {
        const auto block = makeXuTransferInfo(kXuTransferAnnounce, 0x01020304);
        xu().setTransferDataInfo(block.data());
        const XuRecord r = onlyRequest();
        QCOMPARE(r.selector, 16u);
        QVERIFY(r.set);
        QCOMPARE(r.length, 256u);
        QCOMPARE(r.bytes.size(), size_t(256));
        std::vector<uint8_t> expected(256, 0);
        expected[0] = 2;
        expected[4] = 0x04;
        expected[5] = 0x03;
        expected[6] = 0x02;
        expected[7] = 0x01;
        QCOMPARE(r.bytes, expected);
        QCOMPARE(makeXuTransferInfo(kXuTransferClose, 128)[0], uint8_t(0));
        QCOMPARE(makeXuTransferInfo(kXuTransferClose, 128)[4], uint8_t(128));
    }

    void transferSizeAndDataPacket() {
        SimOptions options;
        options.transferSize = 300;
        connectTo(options);
        LogCapture log;
        const uint32_t size = xu().getTransferSize();
        QCOMPARE(size, 300u);
        QVERIFY(log.text().rfind("***************getTransferSize***************\ngetXUTransferSize: 1 \n",
                                 0) == 0);
        QVERIFY(log.contains("returnByte: 300\n"));
        QCOMPARE(log.writes().back(), std::string("transferSize: 300\n"));
        QVERIFY(!log.contains("sendRequestDirectly"));

        QCOMPARE(xuPacketCapacity(size), 292u);
        std::vector<uint8_t> data(292);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(0xA0 + i);
        const auto packet = makeXuTransferPacket(0x00012345, data.data(), 292, size);
        QCOMPARE(packet.size(), size_t(300));
        QVERIFY(makeXuTransferPacket(0, data.data(), 293, size).empty());
        camera->clearXuRequests();
        xu().setTransferData(packet.data(), uint32_t(packet.size()));
        const XuRecord r = onlyRequest();
        QCOMPARE(r.selector, 17u);
        QCOMPARE(r.length, 300u);
        QCOMPARE(r.bytes, bytes({0x45, 0x23, 0x01, 0x00, 0x24, 0x01, 0, 0, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5,
                                 0xA6, 0xA7}));

        const uint8_t few[3] = {7, 8, 9};
        const auto shortPacket = makeXuTransferPacket(-1, few, 3, size);
        QCOMPARE(shortPacket.size(), size_t(300));
        QCOMPARE(std::vector<uint8_t>(shortPacket.begin(), shortPacket.begin() + 12),
                 bytes({0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 7, 8, 9, 0}));
        QVERIFY(std::all_of(shortPacket.begin() + 11, shortPacket.end(), [](uint8_t b) { return b == 0; }));
    }

    void textsAreReadAndTerminated() {
        char serial[kXuTextLength];
        std::memset(serial, 'x', sizeof(serial));  // not terminated before the read
        LogCapture log;
        QVERIFY(xu().getSerialNumber(serial));
        QCOMPARE(QString(serial), QString("LX8A2412000137"));
        QVERIFY(log.contains("Data " + std::string(60, 'x') + " \n0x78 \n"));
        // 60 bytes dumped, line ends after bytes 0, 16, 32 and 48.
        int dumped = 0, breaks = 0;
        for (const std::string& w : log.writes()) {
            dumped += w == "0x78 " ? 1 : 0;
            breaks += w == "\n" ? 1 : 0;
        }
        QCOMPARE(dumped, 60);
        QCOMPARE(breaks, 4);

        char version[kXuTextLength] = "old";
        QVERIFY(xu().getFwVersion(version));
        QCOMPARE(QString(version), QString("1.2.3"));
        QVERIFY(log.contains("Data old \nsendRequestDirectly: 1 \n"));
    }

    void longTextIsCutWithinItsBuffer() {
        SimOptions options;
        options.serialNumber = std::string(75, 'S');
        options.firmwareVersion = std::string(60, '9');
        connectTo(options);
        char serial[kXuTextLength + 1];
        serial[kXuTextLength] = '#';  // guard byte just past the buffer
        xu().getSerialNumber(serial);
        QCOMPARE(strnlen(serial, kXuTextLength), size_t(59));
        QCOMPARE(serial[kXuTextLength], '#');
        char version[kXuTextLength + 1];
        version[kXuTextLength] = '#';
        xu().getFwVersion(version);
        QCOMPARE(strnlen(version, kXuTextLength), size_t(59));
        QCOMPARE(version[kXuTextLength], '#');
    }

    void headerVersionDecoding() {
        const uint8_t answer[4] = {0x34, 0x12, 0x05, 0x01};
        const XuHeaderVersion v = decodeXuHeaderVersion(answer);
        QCOMPARE(v.formal, 1u);
        QCOMPARE(v.major, 81u);
        QCOMPARE(v.minor, 564u);
        const XuHeaderVersion top = decodeXuHeaderVersion(0xFFFFFFFFu);
        QCOMPARE(top.formal, 255u);
        QCOMPARE(top.major, 4095u);
        QCOMPARE(top.minor, 4095u);

        uint8_t buffer[4] = {0xde, 0xad, 0xbe, 0xef};
        LogCapture log;
        QVERIFY(xu().getHeaderVersion(buffer));
        QVERIFY(log.text().rfind("getHeaderVersion\nde ad be ef\nsendRequestDirectly: 1 \n", 0) == 0);
        const XuRecord r = onlyRequest();
        QCOMPARE(r.selector, 8u);
        QVERIFY(!r.set);
        QCOMPARE(r.length, 4u);
        QCOMPARE(std::vector<uint8_t>(buffer, buffer + 4), r.bytes);
    }

    void cameraStatus() {
        camera->forceStatus(15);
        LogCapture log;
        QCOMPARE(xu().getCameraSatatus(), 15);
        QVERIFY(log.contains("getCameraSatatus res: 1, 15 \n"));
        camera->forceStatus(-1);
        camera->failAlways("XuNodeControl::property", device::kGenFailure);
        log.clear();
        QCOMPARE(xu().getCameraSatatus(), 65535);
        QVERIFY(log.contains("getCameraSatatus res: 0, 0 \n"));
        QVERIFY(
            log.contains("info: Function: UVCXU::sendRequest, ks_control->KsProperty(...) (Flag:TYPE_SET) "
                         "failed, Error code: 0x8007001f \n"));
    }

    void deviceFailuresGiveFailureValues() {
        device::sim::XuControls controls;
        controls.hdr = 1;
        controls.autoFrame = 1;
        controls.sensitivity = 2;
        camera->setXuControls(controls);
        camera->failAlways("XuNodeControl::property", device::kGenFailure);
        char text[kXuTextLength] = "keep";
        QCOMPARE(xu().getHdr(), uint16_t(0));
        QCOMPARE(xu().getAutoFrame(), uint16_t(0));
        QCOMPARE(xu().getAutoSensitive(), 0);
        QCOMPARE(xu().getTransferDataInfoSatatus(), 1);
        QVERIFY(!xu().setHdr(true));
        QVERIFY(!xu().getSerialNumber(text));
        QVERIFY(!xu().setTransferDataInfo(makeXuTransferInfo(2, 1).data()));
    }

    void transferStatusPresetReadsMinusOne() {
        // A camera that answers selector 16 without writing byte 0.
        auto fakePort = fake::install({{"Lumora X8", "", device::kOk, {device::kNodeTypeDevSpecific}}});
        xu().setEnableCommand(false);
        xu().setEnableCommand(true);
        fakePort->answer = [](const device::KsNodeProperty&, void* data, uint32_t length,
                              uint32_t& returned) {
            std::memset(static_cast<uint8_t*>(data) + 1, 0x55, length - 1);
            returned = length;
            return device::kOk;
        };
        QCOMPARE(xu().getTransferDataInfoSatatus(), -1);
        fakePort->answer = [](const device::KsNodeProperty&, void* data, uint32_t, uint32_t& returned) {
            static_cast<uint8_t*>(data)[0] = 0x05;
            returned = 1;
            return device::kOk;
        };
        QCOMPARE(xu().getTransferDataInfoSatatus(), 5);
        QCOMPARE(fakePort->requests().back().length, 256u);
    }

    void disabledChannelSendsNothing() {
        xu().setEnableCommand(false);
        const int propertyCalls = camera->callCount("XuNodeControl::property");
        LogCapture log;
        char text[kXuTextLength];
        std::memset(text, 'z', sizeof(text));
        uint8_t header[4] = {};
        const auto block = makeXuTransferInfo(2, 1);
        const uint8_t packet[16] = {};

        QCOMPARE(xu().getHdr(), uint16_t(0));
        QCOMPARE(xu().getAutoFrame(), uint16_t(0));
        QCOMPARE(xu().getTrackingActive(), uint16_t(0));
        QCOMPARE(xu().getAutoFrameZoomLevel(), uint16_t(0));
        QCOMPARE(xu().getAutoSensitive(), 0);
        QCOMPARE(xu().getCameraSatatus(), 65535);
        QCOMPARE(xu().getTransferDataInfoSatatus(), 1);
        QCOMPARE(xu().getTransferSize(), 0u);
        QVERIFY(!xu().setHdr(true));
        QVERIFY(!xu().setAutoFrame(true));
        QVERIFY(!xu().setTrackingActive(true));
        QVERIFY(!xu().setAutoFrameZoomLevel(2));
        QVERIFY(!xu().setAutoSensitive(1));
        QVERIFY(!xu().setUpdateMode(1, 5));
        QVERIFY(!xu().resetToDefault());
        QVERIFY(!xu().getSerialNumber(text));
        QCOMPARE(text[kXuTextLength - 1], '\0');
        QVERIFY(!xu().getFwVersion(text));
        QVERIFY(!xu().startReadHeader());
        QVERIFY(!xu().getHeaderVersion(header));
        QVERIFY(!xu().startReadPartialFile(4096));
        QVERIFY(!xu().setFwUpdateStart(1));
        QVERIFY(!xu().setTransferDataInfo(block.data()));
        QVERIFY(!xu().setTransferData(packet, sizeof(packet)));

        QCOMPARE(log.count("not connected\n"), 23);
        QCOMPARE(log.count("sendRequestDirectly: 0 \n"), 22);
        QCOMPARE(log.count("getXUTransferSize: 0 \n"), 1);
        QVERIFY(!log.contains("sendRequest: A"));
        QVERIFY(!log.contains("getCameraSatatus res"));
        QVERIFY(!log.contains("hex "));
        QVERIFY(!log.contains("transferSize:"));
        QCOMPARE(camera->callCount("XuNodeControl::property"), propertyCalls);
        QVERIFY(camera->xuRequests().empty());
    }

    void presenceFollowsTheBus() {
        QVERIFY(xu().checkUVCDeviceExist());
        camera->unplug();
        LogCapture log;
        QVERIFY(!xu().checkUVCDeviceExist());
        QVERIFY(log.contains("\n*******checkUVCDeviceExist******* 0\n"));
        camera->plug();
        QVERIFY(xu().checkUVCDeviceExist());
    }
};

QTEST_GUILESS_MAIN(TestXuCommands)
#include "tst_xu_commands.moc"
