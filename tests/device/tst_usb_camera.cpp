// The Lumora X8 emulated on the USB wire (tools/vm/usbcam): the class requests of its
// units against the camera model with their refusals, which the kernel's uvcvideo never
// sends in tools/vm/usb-camera-check.sh (that run walks its descriptors, lists, gets and
// sets every control and streams through it, so its negotiation, payloads and USB/IP
// messages are exercised there).
#include <QtTest>

#include <cstring>

#include "device/sim/sim_extension_unit.h"
#include "usb_camera.h"

using namespace usbcam;
using Bytes = std::vector<uint8_t>;

namespace {

const device::sim::SimOptions kOptions{};

// A class request to the video-control interface through the whole control endpoint.
ControlAnswer classRequest(UsbCamera& camera, uint8_t entity, uint8_t selector, uint8_t request,
                           const Bytes& sent = {}, uint16_t length = 64) {
    const bool in = request & 0x80;
    const uint8_t setup[8] = {uint8_t(in ? 0xA1 : 0x21),
                              request,
                              0,
                              selector,
                              kControlInterface,
                              entity,
                              uint8_t(in ? length : sent.size()),
                              uint8_t((in ? length : sent.size()) >> 8)};
    return camera.control(setup, sent);
}

Bytes joined(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes le(int64_t v, size_t n) {
    Bytes b;
    for (size_t i = 0; i < n; ++i)
        b.push_back(uint8_t(uint64_t(v) >> (8 * i)));
    return b;
}

}  // namespace

class TestUsbCamera : public QObject {
    Q_OBJECT

private slots:
    // The standard controls in USB video units, and a SET landing in the model in its own
    // units; a refused value stalls with the error code the host then reads.
    void unitRequests() {
        const int PU = kProcessingUnitId, CT = kCameraTerminalId, XU = kExtensionUnitId;
        Bytes version(60, 0);
        std::memcpy(version.data(), "1.2.3", 5);
        const struct {
            const char* name;
            int entity, selector, request;
            Bytes sent;
            int error;  // -1: no stall
            Bytes answer;
        } rows[] = {
            {"white balance res", PU, 0x0A, kGetRes, {}, -1, le(10, 2)},
            {"hue beyond max", PU, 0x06, kSetCur, le(181, 2), 4, {}},
            {"short set", PU, 0x02, kSetCur, le(5, 1), 7, {}},
            {"power line 3", PU, 0x05, kSetCur, le(3, 1), 4, {}},
            {"exposure default, 100 us", CT, 0x04, kGetDef, {}, -1, le(313, 4)},
            {"ae modes offered", CT, 0x02, kGetRes, {}, -1, le(9, 1)},
            {"ae shutter priority", CT, 0x02, kSetCur, le(4, 1), 4, {}},
            {"pan/tilt res", CT, 0x0D, kGetRes, {}, -1, joined(le(3600, 4), le(3600, 4))},
            {"pan beyond", CT, 0x0D, kSetCur, joined(le(21 * 3600, 4), le(0, 4)), 4, {}},
            {"no such unit", 9, 0x02, kGetCur, {}, 5, {}},
            {"no such control", PU, 0x0C, kGetCur, {}, 6, {}},
            {"hdr refuses 2", XU, 1, kSetCur, le(2, 1), 0xFF, {}},
            {"version text", XU, 7, kGetCur, {}, -1, version},
            {"serial set", XU, 6, kSetCur, Bytes(60, 0), 7, {}},
        };
        for (const auto& row : rows) {
            UsbCamera camera(kOptions);
            const ControlAnswer a =
                classRequest(camera, uint8_t(row.entity), uint8_t(row.selector), uint8_t(row.request),
                             row.sent, uint16_t(row.answer.size() ? row.answer.size() : 64));
            const ControlAnswer code = classRequest(camera, 0, 0x02, kGetCur, {}, 1);
            QVERIFY2(
                a.stall == (row.error >= 0) && code.data == Bytes{uint8_t(row.error >= 0 ? row.error : 0)},
                row.name);
            QVERIFY2(row.answer.empty() || a.data == row.answer, row.name);
        }
    }

    // SETs change the model in its own units; the picture and the in-process camera see them.
    void setsReachTheModel() {
        UsbCamera camera(kOptions);
        const auto C = device::ControlGroup::CameraControl;
        QVERIFY(!classRequest(camera, kCameraTerminalId, 0x02, kSetCur, le(1, 1)).stall);
        QVERIFY(!classRequest(camera, kCameraTerminalId, 0x04, kSetCur, le(1250, 4)).stall);
        QVERIFY(
            !classRequest(camera, kCameraTerminalId, 0x0D, kSetCur, joined(le(5 * 3600, 4), le(-2 * 3600, 4)))
                 .stall);
        QVERIFY(!classRequest(camera, kExtensionUnitId, 14, kSetCur, le(-2, 1)).stall);
        const auto& table = camera.model().controls;
        QCOMPARE(table.state(C, device::kCamExposure).value, -3L);
        QCOMPARE(table.state(C, device::kCamExposure).flags, long(device::kFlagsManual));
        QCOMPARE(table.state(C, device::kCamPan).value, 5L);
        QCOMPARE(table.state(C, device::kCamTilt).value, -2L);
        QCOMPARE(camera.model().picture().sensitivity, -2);
        QCOMPARE(classRequest(camera, kCameraTerminalId, 0x04, kGetCur, {}, 4).data, le(1250, 4));
        // The reset to factory defaults (selector 5) reaches every control and asks
        // the emulation to restart the camera.
        QVERIFY(!classRequest(camera, kProcessingUnitId, 0x05, kSetCur, le(1, 1)).stall);  // 50 Hz
        QVERIFY(!classRequest(camera, kExtensionUnitId, 2, kSetCur, le(1, 1)).stall);      // Auto Zoom
        const ControlAnswer reset = classRequest(camera, kExtensionUnitId, 5, kSetCur, le(1, 1));
        QVERIFY(!reset.stall);
        QCOMPARE(int(reset.action), int(device::sim::ExtensionUnit::Action::RebootAfterReset));
        QCOMPARE(table.state(C, device::kCamExposure).flags, long(device::kFlagsAuto));
        QCOMPARE(classRequest(camera, kCameraTerminalId, 0x02, kGetCur, {}, 1).data, le(8, 1));
        QCOMPARE(classRequest(camera, kProcessingUnitId, 0x05, kGetCur, {}, 1).data, le(2, 1));
        QCOMPARE(classRequest(camera, kExtensionUnitId, 2, kGetCur, {}, 1).data, le(0, 1));
    }
};

QTEST_GUILESS_MAIN(TestUsbCamera)
#include "tst_usb_camera.moc"
