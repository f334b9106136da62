// The vendor command set against the simulated camera: what each command puts on the
// wire byte for byte, how answers become values, the failure values, and the log lines.
#include <QtTest>
#include <cstring>
#include <functional>

#include "base/app_config.h"
#include "device/sim/sim_camera.h"
#include "fake_xu_system.h"
#include "support/log_capture.h"
#include "xu/uvc_xu_manager.h"
#include "xu/xu_header_version.h"
#include "xu/xu_payloads.h"

using device::sim::SimCamera;
using device::sim::SimOptions;
using device::sim::XuRecord;
using Bytes = std::vector<uint8_t>;

class TestXuCommands : public QObject {
    Q_OBJECT

    std::shared_ptr<SimCamera> camera;
    static UVCXUManager& xu() { return UVCXUManager::instance(); }

    void connectTo(SimOptions options = {}) {
        camera = device::sim::installSimulatedCamera(options);
        xu().setEnableCommand(false);
        xu().setEnableCommand(true);
        QVERIFY(xu().haveDevice());
        camera->clearXuRequests();
    }

private slots:
    void init() {
        appConfig().setDeviceName("Lumora X8");
        SimOptions options;
        options.transferSize = 300;
        options.serialNumber = std::string(75, 'S');  // longer than the buffers
        options.firmwareVersion = std::string(60, '9');
        connectTo(options);
    }
    void cleanup() {
        xu().setEnableCommand(false);
        camera.reset();
    }

    // The bytes of the sets whose edges no end-to-end run reaches: the plain control sets
    // reach the camera in tst_setting_engine everyControlRoundTrips, the update's steps in
    // tst_firmware_engine (the simulated camera checks each one).
    void setsPutTheirEdgeBytesOnTheWire() {
        const struct {
            std::function<bool()> send;
            uint32_t selector;
            uint32_t length;
            Bytes bytes;
        } wires[] = {
            {[] { return xu().setAutoFrameZoomLevel(0x103); }, 13, 1, {3}},  // only the low byte
            {[] { return xu().setAutoSensitive(-2); }, 14, 1, {0xFE}},
            {[] { return xu().setUpdateMode(0, -2); }, 4, 5, {0x00, 0xFE, 0xFF, 0xFF, 0xFF}},
            {[] { return xu().startReadPartialFile(10485760); }, 9, 4, {0x00, 0x00, 0xA0, 0x00}},
        };
        for (const auto& wire : wires) {
            camera->clearXuRequests();
            wire.send();  // the camera may refuse a step out of its protocol: the bytes count here
            const std::vector<XuRecord> records = camera->xuRequests();
            QCOMPARE(records.size(), size_t(1));
            QVERIFY(records[0].set && records[0].selector == wire.selector);
            QCOMPARE(records[0].length, wire.length);
            QCOMPARE(records[0].bytes, wire.bytes);
        }
    }

    // The values the pages and the command line show are read end to end by
    // tst_page_wiring and tst_command_line; here the edge: 0xFF is unsigned for automatic
    // framing, signed for its sensitivity.
    void answersBecomeValues() {
        device::sim::XuControls controls;
        controls.autoFrame = 0xFF;
        controls.sensitivity = -1;
        camera->setXuControls(controls);
        QCOMPARE(xu().getAutoFrame(), uint16_t(255));
        QCOMPARE(xu().getAutoSensitive(), -1);
    }

    // The text reads log their buffer before the request: one not terminated yet is printed
    // within its length. A long text is cut within its buffer.
    void logLines() {
        static char serial[kXuTextLength + 1], version[kXuTextLength + 1] = "old";
        std::memset(serial, 'x', kXuTextLength);               // not terminated before the read
        serial[kXuTextLength] = version[kXuTextLength] = '#';  // guard bytes just past the buffers
        const struct {
            std::function<void()> call;
            std::string first, later;  // the log starts with first and holds later
        } rows[] = {
            {[] { QCOMPARE(xu().getTransferSize(), 300u); },
             "***************getTransferSize***************\ngetXUTransferSize: 1 \n", "transferSize: 300\n"},
            {[] { QVERIFY(xu().getSerialNumber(serial)); }, "",
             "Data " + std::string(60, 'x') + " \n0x78 \n"},
            {[] { xu().getFwVersion(version); }, "", "Data old \nsendRequestDirectly: 1 \n"},
        };
        for (const auto& row : rows) {
            LogCapture log;
            row.call();
            QVERIFY2(log.text().rfind(row.first, 0) == 0, log.text().c_str());
            QVERIFY2(log.contains(row.later), log.text().c_str());
        }
        QCOMPARE(std::string(serial, sizeof serial), std::string(59, 'S') + '\0' + '#');
        QCOMPARE(std::string(version, sizeof version), std::string(59, '9') + '\0' + '#');
    }

    void transferPacketsAndHeaderVersion() {
        const uint8_t few[3] = {7, 8, 9};
        QVERIFY(makeXuTransferPacket(0, few, 293, 300).empty());
        const Bytes packet = makeXuTransferPacket(-1, few, 3, 300);
        QCOMPARE(packet.size(), size_t(300));
        QCOMPARE(Bytes(packet.begin(), packet.begin() + 11),
                 Bytes({0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 7, 8, 9}));
        QVERIFY(std::all_of(packet.begin() + 11, packet.end(), [](uint8_t b) { return b == 0; }));

        const uint8_t answer[4] = {0x34, 0x12, 0x05, 0x01};
        const XuHeaderVersion v = decodeXuHeaderVersion(answer);
        QCOMPARE(v.formal, 1u);
        QCOMPARE(v.major, 81u);
        QCOMPARE(v.minor, 564u);
    }

    // A failing device and a disabled channel give the same failure values; a disabled
    // channel reaches nothing and says so for each command.
    void failuresGiveFailureValues_data() {
        QTest::addColumn<bool>("disabled");
        QTest::newRow("device fails") << false;
        QTest::newRow("channel disabled") << true;
    }
    void failuresGiveFailureValues() {
        QFETCH(bool, disabled);
        camera->setXuControls({1, 1, 1, 2, 2});  // HDR, Auto Zoom, tracking, zoom level, sensitivity
        camera->forceStatus(15);
        if (disabled)
            xu().setEnableCommand(false);
        else
            camera->failAlways("XuNodeControl::property", device::kGenFailure);
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
        const bool sets[] = {xu().setHdr(true),
                             xu().setAutoFrame(true),
                             xu().setTrackingActive(true),
                             xu().setAutoFrameZoomLevel(2),
                             xu().setAutoSensitive(1),
                             xu().setUpdateMode(1, 5),
                             xu().resetToDefault(),
                             xu().getSerialNumber(text),
                             xu().getFwVersion(text),
                             xu().startReadHeader(),
                             xu().getHeaderVersion(header),
                             xu().startReadPartialFile(4096),
                             xu().setFwUpdateStart(1),
                             xu().setTransferDataInfo(block.data()),
                             xu().setTransferData(packet, sizeof(packet))};
        QVERIFY(std::none_of(std::begin(sets), std::end(sets), [](bool sent) { return sent; }));
        if (!disabled) {
            QVERIFY(log.contains("getCameraSatatus res: 0, 0 \n"));
            QVERIFY(log.contains(
                "info: Function: UVCXU::sendRequest, ks_control->KsProperty(...) (Flag:TYPE_SET) "
                "failed, Error code: 0x8007001f \n"));
            return;
        }
        QCOMPARE(xu().getTransferSize(), 0u);
        QCOMPARE(text[kXuTextLength - 1], '\0');
        QCOMPARE(log.count("not connected\n"), 23);
        QCOMPARE(log.count("sendRequestDirectly: 0 \n"), 22);
        QCOMPARE(log.count("getXUTransferSize: 0 \n"), 1);
        for (const char* line : {"sendRequest: A", "getCameraSatatus res", "hex ", "transferSize:"})
            QVERIFY2(!log.contains(line), line);
        QCOMPARE(camera->callCount("XuNodeControl::property"), propertyCalls);
        QVERIFY(camera->xuRequests().empty());
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
