// The camera's side of the firmware transfer where the update never takes it (the update's
// steps, block layouts and the camera's refusals of images run end to end in
// tests/firmware), the image layout, selectors and reset.
#include <QtTest>

#include "device/sim/fw_image.h"
#include "sim_test_helpers.h"

using namespace device;
using namespace simtest;

namespace {
constexpr uint32_t kTransferSize = 264;

std::vector<uint8_t> info(uint8_t kind, int32_t count) {
    std::vector<uint8_t> b(256, 0);
    b[0] = kind;
    sim::putLe32(b.data() + 4, uint32_t(count));
    return b;
}
}  // namespace

class TstSimFirmware : public QObject {
    Q_OBJECT

    std::unique_ptr<SimRig> rig_;
    XuClient xu;

private slots:
    void init() {
        rig_ = std::make_unique<SimRig>();
        QVERIFY(xu.open(port()));
    }
    void cleanup() {
        xu.close();
        rig_.reset();
    }

    void imageFormatWireLayout() {
        const uint32_t v = sim::makeHeaderVersion(1, 0x51, 0x234);
        auto image = sim::buildFwImage(v, "1.81.564", std::vector<uint8_t>(1000, 0x5A));
        // Little-endian word: 34 12 05 01 is formal 1, major 0x051, minor 0x234.
        QCOMPARE(std::vector<uint8_t>(image.begin() + 8, image.begin() + 12),
                 (std::vector<uint8_t>{0x34, 0x12, 0x05, 0x01}));
        QCOMPARE(sim::crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    }

    void packetsAndInfoBlocksAreChecked() {
        // Data before any block: the device stalls.
        std::vector<uint8_t> packet(kTransferSize, 0);
        QCOMPARE(xu.set(17, packet), kGenFailure);
        // An info block outside update mode answers a non-zero status byte.
        QCOMPARE(xu.set(16, info(2, 128)), kOk);
        std::vector<uint8_t> b;
        QCOMPARE(xu.get(16, b, 256), kOk);
        QVERIFY(b[0] != 0);
        // In update mode: a packet of the wrong length, or beyond its block, fails.
        QCOMPARE(xu.set(4, {1, 0, 0, 1, 0}), kOk);
        QCOMPARE(xu.set(16, info(2, 100)), kOk);
        QCOMPARE(xu.get(16, b, 256), kOk);
        QCOMPARE(int(b[0]), 0);
        QCOMPARE(xu.set(17, std::vector<uint8_t>(kTransferSize - 1, 0)), kInvalidArg);
        packet[4] = 101;  // 101 bytes into a block of 100
        QCOMPARE(xu.set(17, packet), kInvalidArg);
        // Closing with another count than announced is refused through the status byte.
        QCOMPARE(xu.set(16, info(0, 99)), kOk);
        QCOMPARE(xu.get(16, b, 256), kOk);
        QVERIFY(b[0] != 0);
        // A partial-file read of an incomplete block fails by status.
        QCOMPARE(xu.set(16, info(0, 100)), kOk);
        QCOMPARE(xu.set(9, le32(100)), kOk);
        QCOMPARE(xu.status(), 15);
    }

    void selectorsLengthsAndPropertySet() {
        // Every selector answers its length to the zero-length query.
        const std::vector<std::pair<uint32_t, uint32_t>> lengths = {
            {1, 1},  {2, 1},  {3, 1},  {4, 5},    {5, 1},
            {6, 60}, {7, 60}, {8, 4},  {9, 4},    {10, 1},
            {11, 1}, {13, 1}, {14, 1}, {16, 256}, {17, kTransferSize}};
        for (auto [selector, length] : lengths) {
            uint32_t returned = 0;
            QCOMPARE(xu.call(selector, kKsPropertyGet, nullptr, 0, returned), kMoreData);
            QCOMPARE(returned, length);
        }
        std::vector<uint8_t> b;
        QCOMPARE(xu.get(12, b, 1), kNotFound);
        QCOMPARE(xu.get(15, b, 1), kNotFound);
        QCOMPARE(xu.get(1, b, 2), kInvalidArg);
        QCOMPARE(xu.set(1, {2}), kGenFailure);  // only 0 or 1
        QCOMPARE(xu.set(5, {1, 0}), kInvalidArg);

        QCOMPARE(xu.set(14, {0xFE}), kOk);  // sensitivity -2
        QCOMPARE(xu.set(13, {4}), kOk);
        QCOMPARE(xu.set(1, {1}), kOk);
        QCOMPARE(rig_->camera->xuControls().sensitivity, int8_t(-2));
        QCOMPARE(xu.get(14, b, 1), kOk);
        QCOMPARE(int(b[0]), 0xFE);
        QCOMPARE(xu.set(13, {5}), kGenFailure);

        // The other device-specific node belongs to another unit.
        XuClient other;
        QVERIFY(other.open(port(), 1));
        QCOMPARE(other.get(1, b, 1), kSetNotFound);
    }

    void resetRestoresEveryDefault() {
        ControlPort* c = rig_->controls;
        QCOMPARE(c->set(ControlGroup::VideoProcAmp, kProcBrightness, 150, kFlagsManual), kOk);
        QCOMPARE(c->set(ControlGroup::CameraControl, kCamExposure, -3, kFlagsManual), kOk);
        QCOMPARE(c->set(ControlGroup::CameraControl, kCamZoom, 300, kFlagsManual), kOk);
        QCOMPARE(c->ksSet(kKsPowerlineFrequency, 1, kFlagsManual), kOk);
        QCOMPARE(xu.set(2, {1}), kOk);
        QCOMPARE(xu.set(3, {1}), kOk);

        QCOMPARE(xu.set(5, {1}), kOk);
        QCOMPARE(rig_->camera->resetCount(), 1);
        QVERIFY(rig_->camera->isPlugged());  // by default the camera stays on the bus
        long v = 0, f = 0;
        QCOMPARE(c->get(ControlGroup::VideoProcAmp, kProcBrightness, v, f), kOk);
        QCOMPARE(v, 100L);
        QCOMPARE(c->get(ControlGroup::CameraControl, kCamExposure, v, f), kOk);
        QCOMPARE(v, -5L);
        QCOMPARE(f, long(kFlagsAuto));
        QCOMPARE(rig_->camera->control(ControlGroup::CameraControl, kCamZoom).value, 100L);
        QCOMPARE(rig_->camera->powerLineFrequency(), 2L);
        QCOMPARE(rig_->camera->xuControls().autoFrame, uint8_t(0));
        QCOMPARE(rig_->camera->xuControls().tracking, uint8_t(0));
    }
};

QTEST_GUILESS_MAIN(TstSimFirmware)
#include "tst_sim_firmware.moc"
