// A firmware update's steps on the simulated camera, as a table: each row an image and a
// fault or a user's action at some step; the steps the update goes through, how it ends
// and the firmware the camera runs afterwards. Every row also holds that the camera gets a
// start command exactly when the user confirmed, that a late confirm sends nothing, and
// that an update given up before the start leaves the camera out of update mode. Beside
// it: the block layout of an image, and the version rules.
#include <QtTest>
#include <functional>
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
const char* const kStart = "XuNodeControl::property:10";
const char* const kPacket = "XuNodeControl::property:17";

// Images the camera refuses: Foreign (not its format), BadChecksum (of the header), Longer
// (than its header says), OtherModel (sealed for another camera), Damaged (payload).
enum Image { Newer, Older, Missing, Build77, Foreign, BadChecksum, Longer, OtherModel, Damaged };
// Faults at 40 % of the transfer: PacketFails, Unplug (and back), StatusStuck (status 2: a
// block is never stored), Cancel. At the start question: Stop (the program quits),
// Status15, UnplugAtStart. After the start: StartRefused (the command fails, the camera
// stays), FlashFails (status 15), FlashTimeOut (the camera never leaves), OldFirmwareBack.
// clang-format off
enum Fault { NoFault, Force, BadTransferSize, PacketFails, Unplug, StatusStuck, Cancel, Stop, Status15,
             UnplugAtStart, StartAnswerLost, StartRefused, FlashFails, FlashTimeOut, OldFirmwareBack };
// clang-format on

int countSets(const std::vector<sim::XuRecord>& records, uint32_t selector) {
    int n = 0;
    for (const auto& r : records)
        n += r.selector == selector && r.set ? 1 : 0;
    return n;
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

    // Starts the update and follows it to its end as the window does: at the start question
    // the user confirms unless atStart answers false; the camera back from its reboot is
    // read again and handed over. Answers the steps seen.
    QString follow(
        FirmwareUpdate& update, const QString& path, int transferSize, bool force,
        const std::function<bool()>& atStart = [] { return true; }) {
        QStringList seen;
        connect(&update, &FirmwareUpdate::stepChanged, this, [&](Step step) {
            seen << QMetaEnum::fromType<Step>().valueToKey(int(step));
            if (step == Step::AwaitingStart && atStart())
                QVERIFY(update.confirm());
        });
        if (update.start(path, "1.2.3", transferSize, force) &&
            !QTest::qWaitFor([&] { return !update.holdsCamera(); }, 30000))
            seen << "(no end)";
        camera_->clearFaults();
        camera_->forceStatus(-1);
        if (update.step() != Step::AwaitingReturn) {
            if (!camera_->isPlugged())
                camera_->plug();
        } else if (QTest::qWaitFor([this] { return camera_->isPlugged(); }, 5000)) {
            UVCXUManager::instance().setEnableCommand(false);
            UVCXUManager::instance().setEnableCommand(true);
            char version[kXuTextLength] = {};
            UVCXUManager::instance().getFwVersion(version);
            update.cameraReturned(version);
        }
        disconnect(&update, &FirmwareUpdate::stepChanged, this, nullptr);
        return seen.join(' ');
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
        const QString refused = "Checking Idle", transferFails = "Checking Transferring Failed";
        const QString toStart = "Checking Transferring AwaitingStart", startFails = toStart + " Failed";
        const QString flashFails = toStart + " Flashing Failed";
        const QString back = toStart + " Flashing AwaitingReturn Verifying", done = back + " Done";
        auto row = [](const char* name, Image image, Fault fault, const QString& steps, Ending ending,
                      const char* firmware) {
            QTest::newRow(name) << image << fault << steps << ending << QString::fromLatin1(firmware);
        };
        row("update", Newer, NoFault, done, Ending::Updated, "1.2.4");
        row("version text a build name", Build77, NoFault, done, Ending::Updated, "Build 77");
        row("not newer", Older, NoFault, refused, Ending::NotNewer, "1.2.3");
        row("not newer, forced", Older, Force, done, Ending::Updated, "1.0.0");
        row("file missing", Missing, NoFault, refused, Ending::FileRefused, "1.2.3");
        row("transfer size unusable", Newer, BadTransferSize, refused, Ending::CheckUnanswered, "1.2.3");
        row("not the camera's format", Foreign, NoFault, refused, Ending::CheckRefused, "1.2.3");
        row("header checksum wrong", BadChecksum, NoFault, refused, Ending::CheckRefused, "1.2.3");
        row("longer than its header says", Longer, NoFault, refused, Ending::CheckRefused, "1.2.3");
        row("another model's image", OtherModel, NoFault, refused, Ending::CheckRefused, "1.2.3");
        row("payload damaged", Damaged, NoFault, transferFails, Ending::ImageRefused, "1.2.3");
        row("packets fail", Newer, PacketFails, transferFails, Ending::TransferFailed, "1.2.3");
        row("block never stored", Newer, StatusStuck, transferFails, Ending::TransferFailed, "1.2.3");
        row("unplugged in the transfer", Newer, Unplug, transferFails, Ending::CameraVanished, "1.2.3");
        row("cancelled in the transfer", Newer, Cancel, transferFails, Ending::Cancelled, "1.2.3");
        row("quit at the start question", Newer, Stop, toStart + " Idle", Ending::Cancelled, "1.2.3");
        row("status 15 at the start question", Newer, Status15, startFails, Ending::CameraFailed, "1.2.3");
        row("unplugged at the start question", Newer, UnplugAtStart, startFails, Ending::CameraVanished,
            "1.2.3");
        row("start answer lost to the reboot", Newer, StartAnswerLost, done, Ending::Updated, "1.2.4");
        row("start refused", Newer, StartRefused, flashFails, Ending::StartFailed, "1.2.3");
        row("flashing fails", Newer, FlashFails, flashFails, Ending::CameraFailed, "1.2.3");
        row("camera never leaves", Newer, FlashTimeOut, flashFails, Ending::TimedOut, "1.2.3");
        row("old firmware back", Newer, OldFirmwareBack, back + " Failed", Ending::OldFirmware, "1.2.3");
    }
    void steps() {
        QFETCH(Image, image);
        QFETCH(Fault, fault);
        QFETCH(QString, steps);
        QFETCH(Ending, ending);
        QFETCH(QString, firmware);
        installCamera(fault == StartAnswerLost);
        std::vector<uint8_t> bytes = imageOf(1, image == Older ? 0 : 2, image == Older ? 0 : 4, 5000,
                                             image == Build77 ? "Build 77" : "");
        if (image == Foreign)
            bytes = payloadOf(5000);
        if (image == BadChecksum || image == Damaged)
            bytes[image == Damaged ? 3000 : 30] ^= 0x40;
        if (image == Longer)
            bytes.push_back(0);
        if (image == OtherModel) {
            std::copy_n("Lumora X9", 9, bytes.begin() + 52);
            sim::putLe32(bytes.data() + 124, sim::crc32(bytes.data(), 124));
        }
        const QString path =
            image == Missing ? dir_.filePath("missing.bin") : writeFile(dir_, "fw.bin", bytes);
        camera_->setFlashFails(fault == FlashFails || fault == FlashTimeOut);
        camera_->setRebootKeepsFirmware(fault == OldFirmwareBack);
        if (fault == StartRefused)
            camera_->failAlways(kStart, kGenFailure);
        if (fault == Cancel)
            camera_->setLatency(kPacket, 20);  // the cancel comes long before the transfer's end

        FirmwareUpdate update;
        update.engine().setTiming(fastTiming(4096));
        bool struck = false;  // on the update thread only
        connect(
            &update.engine(), &UpdateFWbyUsbFunc::updateProgress, this,
            [&](double percent) {
                if (struck || percent < 40)
                    return;
                struck = true;
                if (fault == PacketFails)
                    camera_->failAlways(kPacket, kGenFailure);
                if (fault == Unplug)
                    camera_->unplug();
                if (fault == StatusStuck)
                    camera_->forceStatus(2);
                if (fault == Cancel)
                    QMetaObject::invokeMethod(&update, [&update] { update.cancel(); });
            },
            Qt::DirectConnection);
        const QString seen = follow(
            update, path, fault == BadTransferSize ? UpdateFWbyUsbFunc::kMinTransferSize - 1 : kTransferSize,
            fault == Force, [&] {
                if (fault == Stop)
                    update.stop();
                if (fault == Status15 || fault == FlashTimeOut)
                    camera_->forceStatus(fault == Status15 ? 15 : 6);
                if (fault == UnplugAtStart)
                    camera_->unplug();
                return fault != Stop && fault != Status15 && fault != UnplugAtStart;
            });

        QCOMPARE(seen, steps);
        QCOMPARE(update.ending(), ending);
        QCOMPARE(QString::fromStdString(camera_->firmware().version), firmware);
        const int starts = camera_->callCount(kStart);
        QCOMPARE(starts, steps.contains("Flashing") ? 1 : 0);
        QVERIFY(!update.confirm());
        QCOMPARE(camera_->callCount(kStart), starts);
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
        follow(update, writeFile(dir_, "fw.bin", image), kTransferSize, false);
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
        const auto row = [](const char* name, const char* before, const char* after, bool newer,
                            bool updated) {
            QTest::newRow(name) << QString(before) << QString(after) << newer << updated;
        };
        row("prefixed, \"v1\" reads as 0", "v1.2.3", "v1.2.4", true, true);
        row("equal, forced", "1.2.4", "1.2.4", false, true);
        row("formal decides", "0.9.9", "1.2.4", true, true);
        row("two parts repeat the last", "1.2", "1.2.4", true, true);  // 1.2.2
        row("1.2.40 is not 1.2.4", "1.2.40", "1.2.40", false, false);
        row("nothing read back", "1.2.3", "", true, false);
        row("huge part", "99999999999999.0.0", "1.2.4", false, true);
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
