// The walk over a camera's raw USB descriptors that finds its extension unit.
#include <QtTest>

#include "device/fake/usb_descriptor_builder.h"
#include "device/v4l2/uvc_descriptors.h"
#include "device/v4l2/v4l2_xu.h"

using namespace device::v4l2;

namespace {

const GuidBytes kOther = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

DescriptorWalk walk(const std::vector<uint8_t>& blob, int interfaceNumber = -1) {
    return walkVideoControlDescriptors(blob.data(), blob.size(), interfaceNumber);
}

int unitOf(const DescriptorWalk& w, const GuidBytes& guid) {
    const VideoControlEntity* e = findExtensionUnit(w, guid);
    return e ? e->id : -1;
}

}  // namespace

class TestV4l2Descriptors : public QObject {
    Q_OBJECT

private slots:
    void findsTheUnitAmongSeveralUnitsAndInterfaces() {
        const DescriptorWalk w = walk(typicalCameraDescriptors(kUserModeUnitGuid));
        QVERIFY(w.complete);
        QCOMPARE(w.rejected, 0);
        // camera terminal, processing unit, two extension units, output terminal; the
        // streaming interface's MJPEG format (also subtype 6) is not a unit.
        QCOMPARE(int(w.entities.size()), 5);
        QCOMPARE(unitOf(w, kUserModeUnitGuid), 4);
        QCOMPARE(findExtensionUnit(w, kUserModeUnitGuid)->interfaceNumber, 0);
        QCOMPARE(unitOf(w, kOther), -1);
    }

    void theUnitIsLookedForInTheNodesOwnInterface() {
        // Two camera functions in one device, each with a unit of the same GUID.
        const auto blob = UsbDescriptorBuilder()
                              .device(0x2e7e, 0x0801)
                              .configuration()
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
        for (auto [interfaceNumber, unit] : {std::pair{-1, 6}, {0, 6}, {2, 9}, {1, -1}})
            QCOMPARE(unitOf(walk(blob, interfaceNumber), kUserModeUnitGuid), unit);
    }

    void unitsOutsideVideoControlDoNotCount() {
        // An audio-control interface whose class-specific descriptor looks like an extension unit.
        const auto blob = UsbDescriptorBuilder()
                              .configuration()
                              .interface(0, 0x01, 0x01)
                              .extensionUnit(3, kUserModeUnitGuid, 1)
                              .videoControlInterface(1)
                              .extensionUnit(7, kOther, 1)
                              .bytes();
        const DescriptorWalk w = walk(blob);
        QCOMPARE(unitOf(w, kUserModeUnitGuid), -1);
        QCOMPARE(unitOf(w, kOther), 7);
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

    void guidTextReadsTheBytesAsThePlatformGuid() {
        QCOMPARE(QString::fromStdString(guidText(kUserModeUnitGuid)),
                 QStringLiteral("{555F4241-4553-5F52-4D4F-444500000000}"));
    }
};

QTEST_GUILESS_MAIN(TestV4l2Descriptors)
#include "tst_v4l2_descriptors.moc"
