// The information page on the simulated camera: files the host cannot send (refused with
// their own message before anything reaches the camera), an image the camera refuses (told
// as the camera's refusal) and one that is not newer, each ending the update as given up;
// the licence notices. (The reset through the page: tst_mode_flows.)
#include <sys/stat.h>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>
#include <functional>
#include <memory>

#include "base/app_config.h"
#include "device/sim/sim_camera.h"
#include "engine/current_values.h"
#include "firmware/firmware_update.h"
#include "firmware/fw_dialog_driver.h"
#include "firmware/fw_test_images.h"
#include "support/log_capture.h"
#include "tabs/info_tab.h"
#include "widgets/popup_license_layout.h"
#include "xu/uvc_xu_manager.h"

using namespace device;
using namespace fwtest;

namespace {
using FileMaker = std::function<QString(const QTemporaryDir&)>;
using Image = std::vector<uint8_t>;

// A valid image for this camera, changed by edit.
FileMaker edited(void (*edit)(Image&)) {
    return [edit](const QTemporaryDir& dir) {
        Image image = imageOf(1, 2, 4, 3000);
        edit(image);
        return writeFile(dir, QStringLiteral("fw.bin"), image);
    };
}

}  // namespace
Q_DECLARE_METATYPE(FileMaker)

class InfoTabTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<LogCapture> log_;
    std::shared_ptr<sim::SimCamera> camera_;
    std::unique_ptr<FirmwareUpdate> update_;
    std::unique_ptr<QWidget> parent_;
    InfoTab* tab_ = nullptr;

private slots:
    void init() {
        log_ = std::make_unique<LogCapture>();
        appConfig().setDeviceName("Lumora X8");
        appConfig().debug = false;
        camera_ = sim::installSimulatedCamera();
        UVCXUManager& xu = UVCXUManager::instance();
        xu.setEnableCommand(true);
        QVERIFY(xu.haveDevice());
        CurrentValues& values = currentValues();
        QVERIFY(xu.getFwVersion(values.fwVersion));
        QVERIFY(xu.getSerialNumber(values.serialNumber));
        values.transferSize = int32_t(xu.getTransferSize());
        update_ = std::make_unique<FirmwareUpdate>();
        parent_ = std::make_unique<QWidget>();
        tab_ = new InfoTab(*update_, parent_.get());
        tab_->updateFromState();
        camera_->clearXuRequests();
    }
    void cleanup() {
        parent_.reset();
        update_.reset();
        UVCXUManager::instance().setEnableCommand(false);
        camera_.reset();
        log_.reset();
    }

    // What the host can know refuses a file before anything is sent; the image itself is
    // the camera's to judge: its refusal (status 15 at the header) is told as the camera's.
    void refusedFileOrImage_data() {
        QTest::addColumn<FileMaker>("file");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("headerSent");
        const QString invalid = QStringLiteral("Invalid Firmware File");
        const QString failed = QStringLiteral("Firmware Update Failed");
        const QString refused =
            QStringLiteral("The camera did not accept the firmware file.\n Please try again.");
        QTest::newRow("unreadable path")
            << FileMaker([](const QTemporaryDir& d) { return d.path() + QStringLiteral("/missing.bin"); })
            << invalid << "The file cannot be read." << false;
        QTest::newRow("pipe") << FileMaker([](const QTemporaryDir& d) {
            const QString path = d.path() + QStringLiteral("/fifo.bin");
            return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? path : QString();
        }) << invalid << "The selected path is not a file."
                              << false;
        QTest::newRow("empty") << edited([](Image& i) { i.clear(); }) << invalid << "The file is empty."
                               << false;
        QTest::newRow("shorter than the header packet")
            << edited([](Image& i) { i.resize(127); }) << invalid
            << "The file is shorter than a firmware header (128 bytes)." << false;
        QTest::newRow("not the camera's format")
            << edited([](Image& i) { i[0] = 'X'; }) << failed << refused << true;
        QTest::newRow("not newer") << edited([](Image& i) { i = imageOf(1, 2, 3, 3000); }) << failed
                                   << "Please check if it is the latest version." << true;
    }
    void refusedFileOrImage() {
        QFETCH(FileMaker, file);
        QFETCH(QString, title);
        QFETCH(QString, message);
        QFETCH(bool, headerSent);
        QTemporaryDir dir;
        const QString path = file(dir);
        QVERIFY(!path.isEmpty());
        int chosen = 0;
        tab_->setFileChooser([&](QWidget*) { return chosen++ == 0 ? path : QString(); });
        // Yes to the update question, Cancel to the refusal.
        DialogDriver driver([](const ShownDialog& d) { return d.title == QLatin1String("Firmware Update"); });
        QStringList steps;
        connect(update_.get(), &FirmwareUpdate::stepChanged, this, [&](FirmwareUpdate::Step step) {
            steps << QMetaEnum::fromType<FirmwareUpdate::Step>().valueToKey(int(step));
        });

        tab_->fwUpdateBtnClicked();
        QCOMPARE(driver.titles(), QStringList({"Firmware Update", title}));
        QCOMPARE(driver.shown.last().content, message);
        QCOMPARE(camera_->firmware().bytesReceived, uint64_t(headerSent ? 128 : 0));
        QVERIFY(!camera_->firmware().updateMode);  // left again after a refusal
        // Checked once, then given up (the file chooser's cancel): no transfer.
        QCOMPARE(steps.join(' '), QStringLiteral("Checking Idle Failed"));
        QCOMPARE(update_->ending(), FirmwareUpdate::Ending::Cancelled);
        QVERIFY(!tab_->isUpdateFlowActive());
    }

    // The program's own notice (with the libraries it uses) is shipped beside the program
    // and shown under its title; the camera's is not shipped, and the viewer says so (and
    // logs it) instead of showing nothing. Closed, the viewer is gone for good.
    void licenceButtonsShowTheNoticeOrSayItIsMissing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("software") << "toolLicenseButton"
                                  << "Open Source Licenses (PC Tool)"
                                  << QStringList{"GNU General Public License", "Qt 5.15", "libjpeg-turbo",
                                                 "libavcodec, libavutil, libswscale"};
        QTest::newRow("camera") << "camLicenseButton"
                                << "Open Source Licenses (Camera)"
                                << QStringList{"(Camera)_LEGAL COMMENT.htm is not installed"};
    }
    void licenceButtonsShowTheNoticeOrSayItIsMissing() {
        QFETCH(QString, button);
        QFETCH(QString, title);
        QFETCH(QStringList, shown);
        QTest::mouseClick(parent_->findChild<QPushButton*>(button), Qt::LeftButton);
        const QList<PopupLicenseLayout*> viewers = parent_->findChildren<PopupLicenseLayout*>();
        QCOMPARE(viewers.size(), 1);
        QPointer<PopupLicenseLayout> viewer = viewers.first();
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->findChild<QLabel*>(QStringLiteral("titleLabel"))->text(), title);
        const QString text = viewer->findChild<QTextBrowser*>()->toPlainText();
        for (const QString& part : shown)
            QVERIFY2(text.contains(part), qPrintable(part));
        QCOMPARE(log_->count("open failed\n"), shown.size() == 1 ? 1 : 0);
        QTest::mouseClick(viewer->findChild<QPushButton*>(QStringLiteral("closeButton")), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!viewer);
    }
};

QTEST_MAIN(InfoTabTest)
#include "tst_info_tab.moc"
