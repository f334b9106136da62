// The information page on the simulated camera: every kind of file that is not an image
// for this camera (refused with its own message before anything reaches the camera), an
// image that is not newer, and the reset with its message after the camera's return.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QtTest>
#include <functional>
#include <memory>

#include "base/app_config.h"
#include "device/sim/sim_camera.h"
#include "engine/current_values.h"
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

QString make(const QTemporaryDir& dir, const Image& bytes) {
    return writeFile(dir, QStringLiteral("fw.bin"), bytes);
}

// A valid image for this camera, changed by edit.
FileMaker edited(void (*edit)(Image&)) {
    return [edit](const QTemporaryDir& dir) {
        Image image = imageOf(1, 2, 4, 3000);
        edit(image);
        return make(dir, image);
    };
}

// The update commands of the extension unit: none may reach the camera for a bad file.
bool anyUpdateCommand(const std::vector<sim::XuRecord>& records) {
    for (const auto& r : records)
        if (r.set && (r.selector == 4 || r.selector == 8 || r.selector == 9 || r.selector == 10 ||
                      r.selector == 16 || r.selector == 17))
            return true;
    return false;
}
}  // namespace
Q_DECLARE_METATYPE(FileMaker)

class InfoTabTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<LogCapture> log_;
    std::shared_ptr<sim::SimCamera> camera_;
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
        parent_ = std::make_unique<QWidget>();
        tab_ = new InfoTab(parent_.get());
        tab_->updateFromState();
        camera_->clearXuRequests();
    }
    void cleanup() {
        parent_.reset();
        UVCXUManager::instance().setEnableCommand(false);
        camera_.reset();
        log_.reset();
    }

    void badFileIsRefusedBeforeAnythingIsSent_data() {
        QTest::addColumn<FileMaker>("file");
        QTest::addColumn<QString>("message");
        const QString notAnImage = QStringLiteral("The file is not a firmware image.");
        const QString incomplete = QStringLiteral("The file is incomplete.");
        QTest::newRow("unreadable path")
            << FileMaker([](const QTemporaryDir& d) { return d.path() + QStringLiteral("/missing.bin"); })
            << "The file cannot be read.";
        QTest::newRow("directory") << FileMaker([](const QTemporaryDir& d) { return d.path(); })
                                   << "The selected path is not a file.";
        QTest::newRow("empty") << edited([](Image& i) { i.clear(); }) << "The file is empty.";
        QTest::newRow("shorter than a header") << edited([](Image& i) { i.resize(100); }) << incomplete;
        QTest::newRow("truncated") << edited([](Image& i) { i.pop_back(); }) << incomplete;
        QTest::newRow("wrong magic") << edited([](Image& i) {
            i[0] = 'X';
            resealHeader(i);
        }) << notAnImage;
        QTest::newRow("header checksum") << edited([](Image& i) { i[20] ^= 1; }) << notAnImage;
        QTest::newRow("other model") << edited([](Image& i) {
            std::memcpy(i.data() + 52, "Lumora X9", 9);
            resealHeader(i);
        }) << "The firmware image is for another camera model.";
        QTest::newRow("wrong size") << edited([](Image& i) { i.push_back(0); })
                                    << "The file size does not match the firmware image.";
        QTest::newRow("checksum mismatch") << edited([](Image& i) { i[2000] ^= 0x40; })
                                           << "The firmware image is damaged (checksum mismatch).";
    }
    void badFileIsRefusedBeforeAnythingIsSent() {
        QFETCH(FileMaker, file);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = file(dir);
        int chosen = 0;
        tab_->setFileChooser([&](QWidget*) { return chosen++ == 0 ? path : QString(); });
        // Yes to the update question, Cancel to the refusal.
        DialogDriver driver([](const ShownDialog& d) { return d.title == QLatin1String("Firmware Update"); });
        QSignalSpy started(tab_, &InfoTab::fwUpdateStart);
        QSignalSpy done(tab_, &InfoTab::fwUpdateDone);

        tab_->fwUpdateBtnClicked();
        QCOMPARE(driver.titles(), QStringList({"Firmware Update", "Invalid Firmware File"}));
        QCOMPARE(driver.shown.last().content, message);
        QVERIFY(!anyUpdateCommand(camera_->xuRequests()));
        QCOMPARE(started.count(), 0);
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().at(0).toInt(), -1);
        QVERIFY(!tab_->isUpdateFlowActive());
    }

    // An image that is not newer: the camera leaves update mode and the user is told.
    void olderImageEndsInTheReselectMessage() {
        QTemporaryDir dir;
        const QString path = make(dir, imageOf(1, 2, 3, 3000));
        tab_->setFileChooser([path](QWidget*) { return path; });
        DialogDriver driver([](const ShownDialog& d) { return d.title == QLatin1String("Firmware Update"); });
        tab_->fwUpdateBtnClicked();
        QCOMPARE(driver.shown.last().content, QStringLiteral("Please check if it is the latest version."));
        QVERIFY(!camera_->firmware().updateMode);
        QCOMPARE(camera_->firmware().bytesReceived, uint64_t(128));
    }

    // The reset reaches the camera; the next refresh (the camera is back) says so. (That it
    // says so once, and not after a lost camera: tst_mode_flows.)
    void resetIsReportedAfterTheRefresh() {
        DialogDriver driver([](const ShownDialog& d) { return d.title == QLatin1String("Reset"); });
        QSignalSpy reset(tab_, &InfoTab::resetAllSettings);
        tab_->resetBtnClicked();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(camera_->resetCount(), 1);
        tab_->updateFromState();
        QTRY_COMPARE(driver.titles(), QStringList({"Reset", "Reset Succesfully"}));
    }

    // The program's own notice (with the libraries it uses) is shipped beside the program
    // and shown; the camera's is not shipped, and the viewer says so instead of showing
    // nothing.
    void licenceButtonsShowTheNoticeOrSayItIsMissing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("software") << "toolLicenseButton"
                                  << QStringList{"GNU General Public License", "Qt 5.15", "libjpeg-turbo",
                                                 "libavcodec, libavutil, libswscale"};
        QTest::newRow("camera") << "camLicenseButton"
                                << QStringList{"(Camera)_LEGAL COMMENT.htm is not installed"};
    }
    void licenceButtonsShowTheNoticeOrSayItIsMissing() {
        QFETCH(QString, button);
        QFETCH(QStringList, shown);
        auto* clicked = parent_->findChild<QPushButton*>(button);
        QVERIFY(clicked);
        QTest::mouseClick(clicked, Qt::LeftButton);
        const QList<PopupLicenseLayout*> viewers = parent_->findChildren<PopupLicenseLayout*>();
        QCOMPARE(viewers.size(), 1);
        QVERIFY(viewers.first()->isVisible());
        const QString text = viewers.first()->findChild<QTextBrowser*>()->toPlainText();
        for (const QString& part : shown)
            QVERIFY2(text.contains(part), qPrintable(part));
    }
};

QTEST_MAIN(InfoTabTest)
#include "tst_info_tab.moc"
