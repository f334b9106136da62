// The extension unit over uvcvideo: the walk over the raw USB descriptors that finds it, the
// driver's errors as result codes, shutdown (requests reaching the unit's controls:
// tst_device_conformance).
#include <QtTest>

#include <linux/uvcvideo.h>

#include "device/fake/usb_descriptor_builder.h"
#include "device/v4l2/uvc_descriptors.h"
#include "tst_v4l2_helpers.h"

using namespace device;
using namespace device::v4l2;
using namespace v4l2test;

namespace {

struct Channel : Rig, XuClient {
    using Rig::Rig;
    bool discover() { return open(port); }
};

bool noted(const std::string& part) {
    return describe().find(part) != std::string::npos;
}

const GuidBytes kOther = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

DescriptorWalk walk(const std::vector<uint8_t>& blob, int interfaceNumber = -1) {
    return walkVideoControlDescriptors(blob.data(), blob.size(), interfaceNumber);
}

int unitOf(const DescriptorWalk& w, const GuidBytes& guid) {
    const VideoControlEntity* e = findExtensionUnit(w, guid);
    return e ? e->id : -1;
}

}  // namespace

class TestV4l2Xu : public QObject {
    Q_OBJECT

private slots:
    void findsTheUnitOfTheCamerasPropertySet() {
        Channel c;
        QVERIFY(c.discover());
        // Terminal 1, processing unit 2, foreign unit 3, our unit 4, terminal 5: node 3 is ours
        // and the only device-specific one.
        uint32_t count = 0;
        QCOMPARE(c.source->nodeCount(count), kOk);
        QCOMPARE(count, 5u);
        QCOMPARE(c.node, 3u);
        Guid type;
        QCOMPARE(c.source->nodeType(2, type), kOk);
        QVERIFY(type != kNodeTypeDevSpecific);
        QVERIFY(failed(c.source->nodeType(5, type)));
        QVERIFY(
            noted("extension unit: /dev/video0 \"Lumora X8\": VideoControl interface 0, unit 4 "
                  "{555F4241-4553-5F52-4D4F-444500000000}"));
    }

    void kernelErrorsBecomeFailures() {
        Channel c;
        QVERIFY(c.discover());
        uint8_t data[64] = {};
        uint32_t returned = 0;
        const struct {
            uint32_t selector, flags, length;
            int error;  // what the driver answers, 0: its own answer to the request
            HResult result;
        } rows[] = {
            {8, kKsPropertyGet, 4, EPIPE, kGenFailure},
            {8, kKsPropertySet, 4, EBUSY, kBusy},
            {8, kKsPropertySet, 4, ERANGE, kInvalidArg},
            {30, kKsPropertyGet, 4, 0, kNotFound},  // ENOENT: a selector no unit has
            {8, kKsPropertyGet, 3, 0, kMoreData},   // ENOBUFS
        };
        for (const auto& row : rows) {
            if (row.error)
                c.fake->failNextIoctl(UVCIOC_CTRL_QUERY, row.error);
            QCOMPARE(c.call(row.selector, row.flags, data, row.length, returned), row.result);
        }
        QCOMPARE(returned, 0u);
        // A selector that is no byte, a SET without data: refused here (another set, GET and
        // SET at once: tst_device_conformance).
        c.fake->clearCalls();
        QCOMPARE(c.call(256, kKsPropertyGet, data, 4, returned), kInvalidArg);
        QCOMPARE(c.call(8, kKsPropertySet, nullptr, 0, returned), kInvalidArg);
        QVERIFY(c.fake->calls().empty());
        c.fake->unplug(0);  // the size query too
        QCOMPARE(c.call(8, kKsPropertyGet, nullptr, 0, returned), kNotConnected);
    }

    // Shut down while another thread sends requests: none reaches the closed descriptor.
    void shutdownWhileRequestsRunNeverReachesAClosedDescriptor() {
        for (int round = 0; round < 20; ++round) {
            Channel c;
            QVERIFY(c.discover());
            std::atomic<bool> go{true};
            std::thread requests([&] {
                uint8_t data[4] = {};
                uint32_t returned = 0;
                while (go)
                    c.call(8, kKsPropertyGet, data, 4, returned);
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            c.source->shutdown();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            go = false;
            requests.join();
            // The node is closed; the source refuses what needs it; a second shutdown is harmless.
            QCOMPARE(c.fake->openDescriptors(), 0);
            std::unique_ptr<XuNodeControl> again;
            QVERIFY(failed(c.source->queryTopology()) && failed(c.source->createNodeControl(c.node, again)));
            c.close();
            QCOMPARE(c.fake->misuses(), 0);
        }
    }

    void cameraWithoutTheUnitOrDescriptorsHasNoDeviceSpecificNode() {
        FakeCamera foreign = fakeLumoraCamera(), bare = foreign;
        foreign.descriptors = typicalCameraDescriptors(kOther);
        QVERIFY(!Channel(foreign).discover());
        QVERIFY(noted("no unit {555F4241-4553-5F52-4D4F-444500000000} among 5 terminals and units"));
        bare.descriptors.clear();  // no sysfs descriptors (not a USB camera)
        Channel b(bare);
        QVERIFY(!b.discover());
        QCOMPARE(b.source->queryTopology(), kNoInterface);
        QVERIFY(noted("no USB descriptors readable"));
    }

    // The unit is looked for in the node's own video-control interface only: two camera
    // functions in one device, each with a unit of the same GUID, and an audio-control
    // interface whose class-specific descriptor looks like an extension unit.
    void theUnitIsLookedForInTheNodesOwnInterface() {
        const auto blob = UsbDescriptorBuilder()
                              .device(0x2e7e, 0x0801)
                              .configuration()
                              .interface(3, 0x01, 0x01)
                              .extensionUnit(3, kOther, 1)
                              .videoControlInterface(0)
                              .vcHeader()
                              .inputTerminal(1)
                              .extensionUnit(6, kUserModeUnitGuid, 1)
                              .videoStreamingInterface(1)
                              .vsFormatMjpeg()
                              .videoControlInterface(2)
                              .vcHeader()
                              .inputTerminal(1)
                              .extensionUnit(9, kUserModeUnitGuid, 1)
                              .bytes();
        // Any interface: the first; then by number (1 is the streaming interface: no units).
        for (auto [interfaceNumber, unit] : {std::pair{-1, 6}, {0, 6}, {2, 9}, {1, -1}, {3, -1}})
            QCOMPARE(unitOf(walk(blob, interfaceNumber), kUserModeUnitGuid), unit);
        QCOMPARE(unitOf(walk(blob), kOther), -1);
    }

    void everyTruncationIsRejectedSafely() {
        const auto full = typicalCameraDescriptors(kUserModeUnitGuid);
        // Every cut, as a heap copy of exactly the cut length so that a read beyond it is
        // caught (ASan). The unit is only reported once all of its descriptor is there.
        size_t needed = 0;
        for (size_t cut = 0; cut <= full.size(); ++cut) {
            std::unique_ptr<uint8_t[]> exact(new uint8_t[cut]);
            std::copy(full.begin(), full.begin() + long(cut), exact.get());
            const bool found = unitOf(walkVideoControlDescriptors(exact.get(), cut), kUserModeUnitGuid) == 4;
            if (needed == 0 && found)
                needed = cut;
            QCOMPARE(found, needed != 0);
        }
        QVERIFY(needed > 0 && needed < full.size());
        QVERIFY(walk(full).complete && walk(full).rejected == 0);
        for (size_t cut = needed - 27; cut < needed; ++cut) {  // inside the unit's 28 bytes
            const DescriptorWalk w = walkVideoControlDescriptors(full.data(), cut);
            QVERIFY(!w.complete);
            QVERIFY(!w.problem.empty());
        }
    }

    void malformedLengthsEndOrSkipSafely() {
        // A zero bLength would loop for ever, a descriptor claiming more bytes than are left
        // would read past them: the walk ends there.
        for (const std::vector<uint8_t>& bad : {std::vector<uint8_t>{0, 0x24, 0x06}, {60, 0x24, 0x06, 4}}) {
            const DescriptorWalk w =
                walk(UsbDescriptorBuilder().configuration().videoControlInterface(0).raw(bad).bytes());
            QVERIFY(!w.complete);
            QVERIFY(w.entities.empty());
        }
        // An extension unit too short for its GUID, one whose pin count runs past its
        // length, and one with unit ID 0 are skipped; a good one after them is found.
        auto badPins = UsbDescriptorBuilder().extensionUnit(6, kUserModeUnitGuid, 1).bytes();
        badPins[21] = 200;  // bNrInPins
        const DescriptorWalk w = walk(UsbDescriptorBuilder()
                                          .configuration()
                                          .videoControlInterface(0)
                                          .raw({10, 0x24, 0x06, 5, 'A', 'B', '_', 'U', 'S', 'E'})
                                          .raw(badPins)
                                          .extensionUnit(0, kUserModeUnitGuid, 1)
                                          .extensionUnit(8, kUserModeUnitGuid, 1)
                                          .bytes());
        QVERIFY(w.complete);
        QCOMPARE(w.rejected, 3);
        QCOMPARE(unitOf(w, kUserModeUnitGuid), 8);
        QVERIFY(walkVideoControlDescriptors(nullptr, 100).complete);  // nothing at all
        QVERIFY(walkVideoControlDescriptors(nullptr, 100).entities.empty());
    }
};

QTEST_GUILESS_MAIN(TestV4l2Xu)
#include "tst_v4l2_xu.moc"
