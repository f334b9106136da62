// A firmware update's steps on the simulated camera, as a table: each row an image and a
// fault or a user's action at some step; the steps the update goes through, how it ends
// and the firmware the camera runs afterwards. Every row also holds that the camera gets a
// start command exactly when the user confirmed, that a late confirm sends nothing, and
// that an update that never started leaves the camera out of update mode. Beside it: the
// block layout of an image, and the version rules.
#include <QtTest>
#include <memory>

#include "base/app_config.h"
#include "device/sim/sim_camera.h"
#include "firmware/firmware_update.h"
#include "fw_test_images.h"
#include "support/log_capture.h"
#include "xu/uvc_xu_manager.h"

using namespace device;
using namespace fwtest;
using Step = FirmwareUpdate::Step;
using Ending = FirmwareUpdate::Ending;

namespace {
constexpr int kTransferSize = 264;

enum Image { Newer, Older, Foreign, Damaged, Missing, Build77 };
enum Fault {
    NoFault,
    Force,            // the check takes an image that is not newer
    BadTransferSize,  // the camera's transfer size cannot carry a header packet
    PacketFails,      // from 40 % on, every packet fails
    Unplug,           // at 40 % the camera leaves the bus (and comes back)
    StatusStuck,      // from 40 % on, the camera answers status 2: a block is never stored
    Cancel,           // the user cancels at 40 %
    Stop,             // the program quits while the start question waits
    Status15,         // the camera answers status 15 while the start question waits
    UnplugAtStart,    // the camera leaves while the start question waits
    StartAnswerLost,  // the camera takes the start command and leaves before answering it
    StartRefused,     // the start command fails and the camera stays
    FlashFails,       // the camera reports status 15 after the start
    FlashTimeOut,     // the camera never leaves after the start
    OldFirmwareBack,  // the camera reboots into the firmware it had
};

const QString kToStart = QStringLiteral("Checking Transferring AwaitingStart");
const QString kToReturn = kToStart + QStringLiteral(" Flashing AwaitingReturn");

int countSets(const std::vector<sim::XuRecord>& records, uint32_t selector) {
    int n = 0;
    for (const auto& r : records)
        n += r.selector == selector && r.set ? 1 : 0;
    return n;
}

QString stepName(Step step) {
    return QString::fromLatin1(QMetaEnum::fromType<Step>().valueToKey(int(step)));
}
}  // namespace
Q_DECLARE_METATYPE(Image)
Q_DECLARE_METATYPE(Fault)

class FirmwareUpdateTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LogCapture> log_;
    std::shared_ptr<sim::SimCamera> camera_;
    QTemporaryDir dir_;

    void installCamera(bool startAnswerLost = false) {
        UVCXUManager::instance().setEnableCommand(false);
        sim::SimOptions options;
        options.rebootAbsenceMs = 50;
        options.startAnswerLost = startAnswerLost;
        camera_ = sim::installSimulatedCamera(options);
        UVCXUManager::instance().setEnableCommand(true);
        QVERIFY(UVCXUManager::instance().haveDevice());
        camera_->clearXuRequests();
    }

    // The camera back from its reboot, its version read as the session reads it.
    std::string versionAfterReturn() {
        if (!QTest::qWaitFor([this] { return camera_->isPlugged(); }, 5000))
            return "(not back)";
        UVCXUManager::instance().setEnableCommand(false);
        UVCXUManager::instance().setEnableCommand(true);
        char version[kXuTextLength] = {};
        UVCXUManager::instance().getFwVersion(version);
        return version;
    }

private slots:
    void init() {
        log_ = std::make_unique<LogCapture>();
        appConfig().setDeviceName("Lumora X8");
    }
    void cleanup() {
        UVCXUManager::instance().setEnableCommand(false);
        camera_.reset();
        log_.reset();
    }

    void steps_data() {
        QTest::addColumn<Image>("image");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<QString>("firmware");  // the camera's at the end
        const QString failed = QStringLiteral(" Failed");
        const QString back = QStringLiteral(" Verifying");
        auto row = [](const char* name, Image image, Fault fault, const QString& steps, Ending ending,
                      const char* firmware) {
            QTest::newRow(name) << image << fault << steps << ending << QString::fromLatin1(firmware);
        };
        row("update", Newer, NoFault, kToReturn + back + " Done", Ending::Updated, "1.2.4");
        row("version text is a build name", Build77, NoFault, kToReturn + back + " Done", Ending::Updated,
            "Build 77");
        row("not newer", Older, NoFault, "Checking Idle", Ending::NotNewer, "1.2.3");
        row("not newer, forced", Older, Force, kToReturn + back + " Done", Ending::Updated, "1.0.0");
        row("file missing", Missing, NoFault, "Checking Idle", Ending::FileRefused, "1.2.3");
        row("transfer size unusable", Newer, BadTransferSize, "Checking Idle", Ending::CheckUnanswered,
            "1.2.3");
        row("not the camera's format", Foreign, NoFault, "Checking Idle", Ending::CheckRefused, "1.2.3");
        row("payload damaged", Damaged, NoFault, "Checking Transferring" + failed, Ending::ImageRefused,
            "1.2.3");
        row("packets fail", Newer, PacketFails, "Checking Transferring" + failed, Ending::TransferFailed,
            "1.2.3");
        row("block never stored", Newer, StatusStuck, "Checking Transferring" + failed,
            Ending::TransferFailed, "1.2.3");
        row("unplugged during the transfer", Newer, Unplug, "Checking Transferring" + failed,
            Ending::CameraVanished, "1.2.3");
        row("cancelled during the transfer", Newer, Cancel, "Checking Transferring" + failed,
            Ending::Cancelled, "1.2.3");
        row("quit at the start question", Newer, Stop, kToStart + " Idle", Ending::Cancelled, "1.2.3");
        row("status 15 at the start question", Newer, Status15, kToStart + failed, Ending::CameraFailed,
            "1.2.3");
        row("unplugged at the start question", Newer, UnplugAtStart, kToStart + failed,
            Ending::CameraVanished, "1.2.3");
        row("start answer lost to the reboot", Newer, StartAnswerLost, kToReturn + back + " Done",
            Ending::Updated, "1.2.4");
        row("start refused", Newer, StartRefused, kToStart + " Flashing" + failed, Ending::StartFailed,
            "1.2.3");
        row("flashing fails", Newer, FlashFails, kToStart + " Flashing" + failed, Ending::CameraFailed,
            "1.2.3");
        row("camera never leaves", Newer, FlashTimeOut, kToStart + " Flashing" + failed, Ending::TimedOut,
            "1.2.3");
        row("old firmware back", Newer, OldFirmwareBack, kToReturn + back + failed, Ending::OldFirmware,
            "1.2.3");
    }
    void steps() {
        QFETCH(Image, image);
        QFETCH(Fault, fault);
        QFETCH(QString, steps);
        QFETCH(Ending, ending);
        QFETCH(QString, firmware);
        installCamera(fault == StartAnswerLost);
        std::vector<uint8_t> bytes = imageOf(1, 2, 4, 5000, image == Build77 ? "Build 77" : "");
        if (image == Older)
            bytes = imageOf(1, 0, 0, 5000);
        if (image == Foreign)
            bytes = payloadOf(5000);
        if (image == Damaged)
            bytes[3000] ^= 0x40;
        const QString path =
            image == Missing ? dir_.filePath("missing.bin") : writeFile(dir_, "fw.bin", bytes);
        camera_->setFlashFails(fault == FlashFails || fault == FlashTimeOut);
        camera_->setRebootKeepsFirmware(fault == OldFirmwareBack);
        if (fault == StartRefused)
            camera_->failAlways("XuNodeControl::property:10", kGenFailure);
        if (fault == Cancel)
            camera_->setLatency("XuNodeControl::property:17", 20);  // the cancel comes long before the end

        FirmwareUpdate update;
        update.engine().setTiming(fastTiming(4096));
        QStringList seen;
        connect(&update, &FirmwareUpdate::stepChanged, this, [&](Step step) {
            seen << stepName(step);
            if (step != Step::AwaitingStart)
                return;
            if (fault == Stop)
                update.stop();
            if (fault == Status15)
                camera_->forceStatus(15);
            if (fault == UnplugAtStart)
                camera_->unplug();
            if (fault == FlashTimeOut)
                camera_->forceStatus(6);  // "stored", for ever
            if (fault != Stop && fault != Status15 && fault != UnplugAtStart)
                QVERIFY(update.confirm());
        });
        bool struck = false;  // on the update thread only
        connect(
            &update.engine(), &UpdateFWbyUsbFunc::updateProgress, this,
            [&](double percent) {
                if (struck || percent < 40)
                    return;
                struck = true;
                if (fault == PacketFails)
                    camera_->failAlways("XuNodeControl::property:17", kGenFailure);
                if (fault == Unplug)
                    camera_->unplug();
                if (fault == StatusStuck)
                    camera_->forceStatus(2);
                if (fault == Cancel)
                    QMetaObject::invokeMethod(&update, [&update] { update.cancel(); });
            },
            Qt::DirectConnection);

        const int transferSize =
            fault == BadTransferSize ? UpdateFWbyUsbFunc::kMinTransferSize - 1 : kTransferSize;
        if (update.start(path, "1.2.3", transferSize, fault == Force)) {
            QVERIFY(QTest::qWaitFor([&] { return !update.holdsCamera(); }, 10000));
        }
        camera_->clearFaults();
        camera_->forceStatus(-1);
        if (update.step() == Step::AwaitingReturn)
            update.cameraReturned(versionAfterReturn());
        else if (!camera_->isPlugged())
            camera_->plug();

        QCOMPARE(seen.join(' '), steps);
        QCOMPARE(update.ending(), ending);
        QCOMPARE(QString::fromStdString(camera_->firmware().version), firmware);
        const int starts = camera_->callCount("XuNodeControl::property:10");
        QCOMPARE(starts, steps.contains("Flashing") ? 1 : 0);
        QVERIFY(!update.confirm());
        QCOMPARE(camera_->callCount("XuNodeControl::property:10"), starts);
        if (ending == Ending::FileRefused || fault == BadTransferSize)
            QCOMPARE(countSets(camera_->xuRequests(), 17), 0);  // no byte of the image was sent
        if (ending == Ending::Cancelled || steps == "Checking Idle")
            QVERIFY(!camera_->firmware().updateMode);
    }

    // The image in blocks of the smallest multiple of 16 packets holding minBlockBytes; the
    // last block ends with the packet of the rest (none left: a packet of 0 bytes).
    void blockLayout_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<uint32_t>("minBlockBytes");
        QTest::addColumn<std::vector<uint32_t>>("blocks");
        QTest::addColumn<int>("packets");  // header packet included
        QTest::newRow("full size, a byte over a block")
            << 10485761 << 0xA00000u << std::vector<uint32_t>{10485760, 1} << 1 + 40960 + 1;
        QTest::newRow("exactly two blocks")
            << 8192 << 4000u << std::vector<uint32_t>{4096, 4096} << 1 + 16 + 17;
        QTest::newRow("two blocks and a byte")
            << 8193 << 4096u << std::vector<uint32_t>{4096, 4096, 1} << 1 + 16 + 16 + 1;
    }
    void blockLayout() {
        QFETCH(int, size);
        QFETCH(uint32_t, minBlockBytes);
        QFETCH(std::vector<uint32_t>, blocks);
        QFETCH(int, packets);
        installCamera();
        const std::vector<uint8_t> image = imageOf(1, 2, 4, size_t(size));
        FirmwareUpdate update;
        update.engine().setTiming(fastTiming(minBlockBytes));
        connect(&update, &FirmwareUpdate::stepChanged, this, [&](Step step) {
            if (step == Step::AwaitingStart)
                update.confirm();
        });
        QVERIFY(update.start(writeFile(dir_, "fw.bin", image), "1.2.3", kTransferSize));
        QVERIFY(QTest::qWaitFor([&] { return update.step() == Step::AwaitingReturn; }, 30000));
        update.cameraReturned(versionAfterReturn());
        QCOMPARE(update.step(), Step::Done);
        QCOMPARE(camera_->storedImage(), image);
        const auto records = camera_->xuRequests();
        std::vector<uint32_t> sent;
        for (const auto& r : records) {
            if (r.selector == 9 && r.set)
                sent.push_back(sim::getLe32(r.bytes.data()));
            if (r.selector == 17 && r.set)
                QCOMPARE(r.length, uint32_t(kTransferSize));
        }
        QCOMPARE(sent, blocks);
        QCOMPARE(countSets(records, 17), packets);
    }

    void versionRules_data() {
        QTest::addColumn<QString>("before");  // the camera's version text before the update
        QTest::addColumn<QString>("after");   // and after it ("": none read back)
        QTest::addColumn<bool>("newer");      // the image 1.2.4 is newer than before
        QTest::addColumn<bool>("updated");    // the camera runs the image 1.2.4 after
        QTest::newRow("plain") << "1.2.3"
                               << "1.2.4" << true << true;
        QTest::newRow("prefixed") << "v1.2.3"
                                  << "v1.2.4" << true << true;  // "v1" reads as 0
        QTest::newRow("equal, forced") << "1.2.4"
                                       << "1.2.4" << false << true;
        QTest::newRow("formal decides") << "0.9.9"
                                        << "1.2.4" << true << true;
        QTest::newRow("older") << "1.3.0"
                               << "1.3.0" << false << false;
        QTest::newRow("two parts repeat the last") << "1.2"
                                                   << "1.2.4" << true << true;  // 1.2.2
        QTest::newRow("a build name") << "Build 76"
                                      << "Build 77" << true << true;  // 0.0.0
        QTest::newRow("old build name back") << "Build 76"
                                             << "Build 76" << true << false;
        QTest::newRow("1.2.40 is not 1.2.4") << "1.2.40"
                                             << "1.2.40" << false << false;
        QTest::newRow("nothing read back") << "1.2.3"
                                           << "" << true << false;
        QTest::newRow("huge part") << "99999999999999.0.0"
                                   << "1.2.4" << false << true;
    }
    void versionRules() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, newer);
        QFETCH(bool, updated);
        const FwVersion image{1, 2, 4};
        QCOMPARE(isNewerVersion(image, parseRunningVersion(before.toStdString())), newer);
        QCOMPARE(runsUpdatedFirmware(before.toStdString(), after.toStdString(), image), updated);
    }
};

QTEST_GUILESS_MAIN(FirmwareUpdateTest)
#include "tst_firmware_update.moc"
