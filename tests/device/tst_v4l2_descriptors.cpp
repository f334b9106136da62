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
        QCOMPARE(unitOf(walk(blob), kUserModeUnitGuid), 6);
        QCOMPARE(unitOf(walk(blob, 0), kUserModeUnitGuid), 6);
        QCOMPARE(unitOf(walk(blob, 2), kUserModeUnitGuid), 9);
        QCOMPARE(unitOf(walk(blob, 1), kUserModeUnitGuid), -1);  // streaming interface: no units
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
        // A zero bLength would loop for ever: the walk stops there.
        auto zero =
            UsbDescriptorBuilder().configuration().videoControlInterface(0).raw({0, 0x24, 0x06}).bytes();
        DescriptorWalk w = walk(zero);
        QVERIFY(!w.complete);
        QVERIFY(w.entities.empty());

        // An extension unit too short for its GUID, one whose pin count runs past its
        // length, and one with unit ID 0 are skipped; a good one after them is found.
        std::vector<uint8_t> shortUnit = {10, 0x24, 0x06, 5, 'A', 'B', '_', 'U', 'S', 'E'};
        std::vector<uint8_t> badPins(26, 0);
        badPins[0] = 26;
        badPins[1] = 0x24;
        badPins[2] = 0x06;
        badPins[3] = 6;
        std::copy(kUserModeUnitGuid.begin(), kUserModeUnitGuid.end(), badPins.begin() + 4);
        badPins[21] = 200;  // bNrInPins
        auto zeroId = UsbDescriptorBuilder().extensionUnit(0, kUserModeUnitGuid, 1).bytes();
        auto blob = UsbDescriptorBuilder()
                        .configuration()
                        .videoControlInterface(0)
                        .raw(shortUnit)
                        .raw(badPins)
                        .raw(zeroId)
                        .extensionUnit(8, kUserModeUnitGuid, 1)
                        .bytes();
        w = walk(blob);
        QVERIFY(w.complete);
        QCOMPARE(w.rejected, 3);
        QCOMPARE(unitOf(w, kUserModeUnitGuid), 8);

        // A descriptor claiming more bytes than are left ends the walk.
        auto overlong =
            UsbDescriptorBuilder().configuration().videoControlInterface(0).raw({60, 0x24, 0x06, 4}).bytes();
        w = walk(overlong);
        QVERIFY(!w.complete);
        QVERIFY(w.entities.empty());

        // Nothing at all.
        w = walkVideoControlDescriptors(nullptr, 100);
        QVERIFY(w.complete);
        QVERIFY(w.entities.empty());
    }

    void guidTextReadsTheBytesAsThePlatformGuid() {
        QCOMPARE(QString::fromStdString(guidText(kUserModeUnitGuid)),
                 QStringLiteral("{555F4241-4553-5F52-4D4F-444500000000}"));
    }
};

QTEST_GUILESS_MAIN(TestV4l2Descriptors)
#include "tst_v4l2_descriptors.moc"
