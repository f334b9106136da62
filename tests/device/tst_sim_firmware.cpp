// The camera's side of the firmware transfer where the update never takes it (the update's
// steps, block layouts and the camera's refusals of images run end to end in
// tests/firmware), the image layout, and the reset to factory defaults. (The unit's
// selector lengths are met by every command of tst_xu_commands.)
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

    // The reset (selector 5) brings every kind of control back: standard, automatic flag,
    // power line, vendor; the camera stays on the bus.
    void resetRestoresEveryDefault() {
        ControlPort* c = rig_->controls;
        QCOMPARE(c->set(ControlGroup::VideoProcAmp, kProcBrightness, 150, kFlagsManual), kOk);
        QCOMPARE(c->set(ControlGroup::CameraControl, kCamExposure, -3, kFlagsManual), kOk);
        QCOMPARE(c->ksSet(kKsPowerlineFrequency, 1, kFlagsManual), kOk);
        QCOMPARE(xu.set(2, {1}), kOk);
        QCOMPARE(xu.set(5, {1}), kOk);
        QVERIFY(rig_->camera->isPlugged());
        const auto state = [this](ControlGroup g, long p) { return rig_->camera->control(g, p); };
        QCOMPARE(state(ControlGroup::VideoProcAmp, kProcBrightness).value, 100L);
        QCOMPARE(state(ControlGroup::CameraControl, kCamExposure).flags, long(kFlagsAuto));
        QCOMPARE(rig_->camera->powerLineFrequency(), 2L);
        QCOMPARE(rig_->camera->xuControls().autoFrame, uint8_t(0));
    }
};

QTEST_GUILESS_MAIN(TstSimFirmware)
#include "tst_sim_firmware.moc"
