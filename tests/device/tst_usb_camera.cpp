// The Lumora X8 emulated on the USB wire (tools/vm/usbcam), at the edges the kernel's
// uvcvideo does not reach in tools/vm/usb-camera-check.sh (which walks its descriptors,
// lists, gets and sets every control and streams through it): the class requests of its
// units against the camera model with their refusals, the stream negotiation, the
// payloads and the USB/IP messages.
#include <QtTest>

#include <array>
#include <cstring>

#include "device/sim/sim_extension_unit.h"
#include "usb_camera.h"
#include "usbip_wire.h"

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
    // Length and capabilities of each extension-unit selector as the host asks them
    // (GET_LEN, GET_INFO) before it sends anything.
    void extensionUnitSelectors() {
        // selector, length (0: no such control, a stall), info (1 GET, 2 SET)
        const int rows[][3] = {{1, 1, 3},  {2, 1, 3},  {3, 1, 3},  {4, 5, 2},    {5, 1, 2},    {6, 60, 1},
                               {7, 60, 1}, {8, 4, 3},  {9, 4, 2},  {10, 1, 2},   {11, 1, 1},   {12, 0, 0},
                               {13, 1, 3}, {14, 1, 3}, {15, 0, 0}, {16, 256, 3}, {17, 264, 3}, {18, 0, 0}};
        for (const auto& [selector, length, info] : rows) {
            UsbCamera camera(kOptions);
            const auto request = [&](uint8_t r, uint16_t n = 64) {
                return classRequest(camera, kExtensionUnitId, uint8_t(selector), r, {}, n);
            };
            const ControlAnswer len = request(kGetLen), inf = request(kGetInfo);
            QVERIFY2(len.stall == (length == 0) && inf.stall == (length == 0),
                     qPrintable(QString::number(selector)));
            if (length == 0) {
                QCOMPARE(int(camera.units().lastError()), int(kErrorInvalidControl));
                continue;
            }
            QCOMPARE(len.data, le(length, 2));
            QCOMPARE(inf.data, Bytes{uint8_t(info)});
            // A GET of a write-only control stalls, as the in-process unit refuses it.
            QCOMPARE(request(kGetCur, uint16_t(length)).stall, !(info & 1));
        }
    }

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
        // The reset to factory defaults (selector 5) reaches the standard controls and asks
        // the emulation to restart the camera.
        const ControlAnswer reset = classRequest(camera, kExtensionUnitId, 5, kSetCur, le(1, 1));
        QVERIFY(!reset.stall);
        QCOMPARE(int(reset.action), int(device::sim::ExtensionUnit::Action::RebootAfterReset));
        QCOMPARE(table.state(C, device::kCamExposure).flags, long(device::kFlagsAuto));
        QCOMPARE(classRequest(camera, kCameraTerminalId, 0x02, kGetCur, {}, 1).data, le(8, 1));
    }

    // The probe: a format and frame the camera has, the nearest interval of the frame.
    void probeNegotiation() {
        // format, frame, interval asked; format, frame, interval answered
        const int rows[][6] = {
            {1, 4, 666666, 1, 4, 666666},  // 640x360 at 15
            {1, 2, 390000, 1, 2, 400000},  // the nearest interval
            {1, 3, 0, 1, 3, 333333},       // the default interval
            {2, 9, 0, 2, 1, 1000000},      // an unknown frame
            {7, 1, 0, 1, 1, 333333},       // an unknown format
        };
        for (const auto& [format, frame, interval, wantFormat, wantFrame, wantInterval] : rows) {
            UsbCamera camera(kOptions);
            Bytes probe(kProbeLength, 0);
            probe[2] = uint8_t(format);
            probe[3] = uint8_t(frame);
            std::memcpy(probe.data() + 4, le(interval, 4).data(), 4);
            const uint8_t set[8] = {0x21, kSetCur, 0, 2, kStreamingInterface, 0, uint8_t(kProbeLength), 0};
            QVERIFY(!camera.control(set, probe).stall);
            QVERIFY(camera.stream().streaming());
            const uint8_t get[8] = {0xA1, kGetCur, 0, 2, kStreamingInterface, 0, uint8_t(kProbeLength), 0};
            const Bytes got = camera.control(get, {}).data;
            QCOMPARE(int(got[2]), wantFormat);
            QCOMPARE(int(got[3]), wantFrame);
            QCOMPARE(Bytes(got.begin() + 4, got.begin() + 8), le(wantInterval, 4));
            QCOMPARE(Bytes(got.begin() + 18, got.begin() + 22),
                     le(camera.stream().frame().maxFrameBytes(), 4));
            QCOMPARE(Bytes(got.begin() + 22, got.begin() + 26), le(kPayloadSize, 4));
            // The host ends a bulk stream with CLEAR_FEATURE(ENDPOINT_HALT) on the endpoint.
            const uint8_t halt[8] = {0x02, 0x01, 0, 0, kStreamingEndpoint, 0, 0, 0};
            QVERIFY(camera.control(halt, {}).streamStopped);
            QVERIFY(!camera.stream().streaming());
        }
    }

    // Frames cut into payloads: the bytes in order, end of frame on the last payload
    // only, one frame ID per frame, toggled by the next.
    void payloads() {
        // frame bytes, payload length, payloads: three; exactly full; one byte over
        for (const auto& [frameBytes, maxLength, payloads] :
             {std::array{40000, 16384, 3}, {16382, 16384, 1}, {16383, 16384, 2}}) {
            PayloadCutter cutter;
            Bytes frame(static_cast<size_t>(frameBytes));
            for (size_t i = 0; i < frame.size(); ++i)
                frame[i] = uint8_t(i * 7);
            uint8_t lastId = 0xFF;
            for (int round = 0; round < 2; ++round) {
                cutter.newFrame(frame);
                Bytes joined;
                int count = 0;
                uint8_t id = 0xFF;
                Bytes payload(static_cast<size_t>(maxLength));
                while (size_t n = cutter.next(payload.data(), payload.size())) {
                    ++count;
                    QCOMPARE(int(payload[0]), 2);
                    QCOMPARE(bool(payload[1] & 0x02), !cutter.hasData());
                    if (id != 0xFF)
                        QCOMPARE(payload[1] & 1, int(id));
                    id = payload[1] & 1;
                    joined.insert(joined.end(), payload.begin() + 2, payload.begin() + long(n));
                }
                QCOMPARE(count, payloads);
                QCOMPARE(joined, frame);
                QVERIFY(id != lastId);
                lastId = id;
            }
        }
    }

    // The USB/IP messages: a submit read from its big-endian header, answers laid out
    // with the IN data after the header only.
    void usbipMessages() {
        uint8_t h[kUsbipHeaderSize] = {};
        const uint32_t words[] = {kCmdSubmit, 77, 0x10002, kDirIn, 1, 0, 16384};
        for (size_t i = 0; i < 7; ++i)
            for (int b = 0; b < 4; ++b)
                h[i * 4 + size_t(b)] = uint8_t(words[i] >> (24 - 8 * b));
        h[40] = 0xA1;
        UsbipCommand c;
        QVERIFY(parseCommand(h, c));
        QCOMPARE(c.seqnum, 77u);
        QCOMPARE(c.endpoint, 1u);
        QCOMPARE(c.length, 16384u);
        QCOMPARE(c.outLength(), 0u);
        QCOMPARE(int(c.setup[0]), 0xA1);
        const uint8_t data[3] = {1, 2, 3};
        const Bytes in = submitAnswer(c, 0, data, 3);
        QCOMPARE(in.size(), kUsbipHeaderSize + 3);
        QCOMPARE(Bytes(in.begin(), in.begin() + 8), Bytes({0, 0, 0, 3, 0, 0, 0, 77}));
        QCOMPARE(Bytes(in.begin() + 24, in.begin() + 28), Bytes({0, 0, 0, 3}));
        c.direction = kDirOut;
        const Bytes stall = submitAnswer(c, kStatusStall, data, 3);
        QCOMPARE(stall.size(), kUsbipHeaderSize);
        QCOMPARE(Bytes(stall.begin() + 20, stall.begin() + 24), Bytes({0xFF, 0xFF, 0xFF, 0xE0}));
        h[3] = 9;  // no such command
        QVERIFY(!parseCommand(h, c));
        h[3] = kCmdSubmit;
        h[24] = 0x7F;  // an absurd transfer length
        QVERIFY(!parseCommand(h, c));
    }
};

QTEST_GUILESS_MAIN(TestUsbCamera)
#include "tst_usb_camera.moc"
