// Named framings: any name survives the stored file; saving over a name, renaming and
// deleting in the window's row; a framing applied after the camera was replugged and
// listed by a new window; a read-back the camera did not keep. (The command line's
// --save-preset and --preset: tst_command_line's rows.)
#include <QComboBox>
#include <QInputDialog>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include "session/framing_store.h"
#include "tabs/control_binding.h"
#include "tabs/framing_row.h"
#include "tabs/setting_tab.h"
#include "tabs/tst_setting_tab_drive.h"
#include "tst_mainwindow_fixture.h"

namespace {
const QString kSerial = QStringLiteral("LX8A2412000137");
constexpr auto kCam = device::ControlGroup::CameraControl;

QStringList namesIn(const QString& path) {
    QStringList names;
    for (const Framing& f : loadFramings(path))
        names << f.name;
    return names;
}

// Sets zoom, pan and tilt on the simulated camera as its own values.
void holdFraming(device::sim::SimCamera& camera, long zoom, long pan, long tilt) {
    camera.setControl(kCam, device::kCamZoom, {zoom, device::kFlagsManual});
    camera.setControl(kCam, device::kCamPan, {pan, device::kFlagsManual});
    camera.setControl(kCam, device::kCamTilt, {tilt, device::kFlagsManual});
}

QString heldFraming(const device::sim::SimCamera& camera) {
    return QStringLiteral("%1,%2,%3")
        .arg(camera.control(kCam, device::kCamZoom).value)
        .arg(camera.control(kCam, device::kCamPan).value)
        .arg(camera.control(kCam, device::kCamTilt).value);
}

}  // namespace

class FramingsTest : public QObject {
    Q_OBJECT

    QTemporaryDir profiles_;
    QString path() const { return framingsPathFor(kSerial); }

private slots:
    void initTestCase() { qputenv("LUMORA_PROFILE_DIR", profiles_.path().toUtf8()); }
    void init() { QFile::remove(path()); }

    // Whatever the name holds (the file's own separators, line ends, percent signs, other
    // scripts), it comes back whole, beside the framings already there, and renames and
    // deletes find it.
    void anyNameRoundTrips_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("separators") << "a=b;c #d,1";
        QTest::newRow("section") << "[framing]";
        QTest::newRow("line end") << "two\nlines\r";
        QTest::newRow("percent") << "%41 100%";
        QTest::newRow("Japanese") << QStringLiteral("会議室 全体");
    }
    void anyNameRoundTrips() {
        QFETCH(QString, name);
        QVERIFY(storeFraming(path(), kSerial, {"before", 120, 1, 2}, nullptr));
        QVERIFY(storeFraming(path(), kSerial, {name, 250, -7, 4}, nullptr));
        QVERIFY(storeFraming(path(), kSerial, {"after", 130, 3, -1}, nullptr));
        QCOMPARE(namesIn(path()), (QStringList{"before", name, "after"}));
        const Framing stored = loadFramings(path())[1];
        QCOMPARE(QStringLiteral("%1,%2,%3").arg(stored.zoom).arg(stored.pan).arg(stored.tilt),
                 QStringLiteral("250,-7,4"));
        // Saved again under the same name: replaced where it stands.
        QVERIFY(storeFraming(path(), kSerial, {name, 300, 0, 0}, nullptr));
        QCOMPARE(findFraming(loadFramings(path()), name)->zoom, 300);
        QCOMPARE(namesIn(path()).size(), 3);
        // Renamed onto an existing name, it takes that one's place.
        QVERIFY(renameFraming(path(), kSerial, name, "after", nullptr));
        QCOMPARE(namesIn(path()), (QStringList{"before", "after"}));
        QCOMPARE(findFraming(loadFramings(path()), "after")->zoom, 300);
        QVERIFY(renameFraming(path(), kSerial, "after", name, nullptr));
        QVERIFY(deleteFraming(path(), kSerial, name, nullptr));
        QString error;
        QVERIFY(!deleteFraming(path(), kSerial, name, &error));
        QVERIFY(error.contains("no framing is named"));
        QCOMPARE(namesIn(path()), QStringList{"before"});
    }

    // The window's row: save (over an existing name after asking), apply after a replug,
    // a read-back the camera did not keep, rename and delete; a new window lists them.
    void windowFramingsSurviveReplugAndRestart() {
        using namespace window_test;
        using namespace setting_drive;
        // The camera keeps pan and tilt at 0 at the lowest zoom: the zoom must come first.
        device::sim::SimOptions digitalPtz;
        digitalPtz.panTiltNeedZoom = true;
        {
            Rig rig(digitalPtz);
            QVERIFY(rig.connect());
            SettingTab& page = *rig.window->settingPage();
            FramingRow& row = *page.form().framingRow;
            const auto save = [&](const QString& name) {
                row.combo->setEditText(name);
                QTest::mouseClick(row.saveButton, Qt::LeftButton);
            };
            holdFraming(*rig.camera, 100, 0, 0);
            control_binding::sendChange(EPTZ_ZOOM, 250);
            control_binding::sendChange(EWC_PAN, 6);
            control_binding::sendChange(EWC_TILT, -4);
            QVERIFY(SettingTaskEngine::instance().waitUntilIdle(std::chrono::seconds(2)));
            save("Desk view");
            QCOMPARE(row.status(), QStringLiteral("Saved \"Desk view\""));
            QCOMPARE(row.names(), QStringList{"Desk view"});
            control_binding::sendChange(EWC_PAN, 2);
            QVERIFY(SettingTaskEngine::instance().waitUntilIdle(std::chrono::seconds(2)));
            save("Desk view");  // asked first; "Cancel" keeps the old one
            QCOMPARE(openDialogTitle(), QStringLiteral("Replace Framing"));
            answer("leftBtn");
            QCOMPARE(findFraming(loadFramings(path()), "Desk view")->pan, 6);
            save("Desk view");
            answer("rightBtn");
            QCOMPARE(findFraming(loadFramings(path()), "Desk view")->pan, 2);

            rig.camera->unplug();
            QVERIFY(tickUntil(*rig.window, [&] { return isSearching(*rig.window); }));
            holdFraming(*rig.camera, 100, 0, 0);  // back with its own framing
            rig.camera->plug();
            QVERIFY(rig.connect());
            QCOMPARE(row.names(), QStringList{"Desk view"});
            row.combo->setEditText("Desk view");
            QTest::mouseClick(row.applyButton, Qt::LeftButton);
            QTRY_COMPARE(row.status(), QStringLiteral("Applied \"Desk view\""));
            QCOMPARE(heldFraming(*rig.camera), QStringLiteral("250,2,-4"));
            QCOMPARE(page.digitalZoom(), 250);
            QCOMPARE(page.viewPanTilt(), (framing::PanTilt{2, -4}));

            // The camera refuses the zoom: the row says what it holds.
            control_binding::sendChange(EPTZ_ZOOM, 100);
            QVERIFY(SettingTaskEngine::instance().waitUntilIdle(std::chrono::seconds(2)));
            rig.camera->failNext("ControlPort::set", device::kFail);
            QTest::mouseClick(row.applyButton, Qt::LeftButton);
            QTRY_VERIFY(row.status().contains("zoom=250 was not kept: the camera holds 100"));

            // Rename through the menu's name dialog, then a new window lists the new name.
            row.moreButton->menu()->findChild<QAction*>("framingRename")->trigger();
            auto* dialog = row.findChild<QInputDialog*>("framingNameDialog");
            QVERIFY(dialog != nullptr);
            dialog->setTextValue("Podium");
            dialog->accept();
            QCOMPARE(row.names(), QStringList{"Podium"});
        }
        {
            Rig rig;
            QVERIFY(rig.connect());
            FramingRow& row = *rig.window->settingPage()->form().framingRow;
            QCOMPARE(row.names(), QStringList{"Podium"});
            row.combo->setEditText("Podium");
            row.moreButton->menu()->findChild<QAction*>("framingDelete")->trigger();
            QCOMPARE(openDialogTitle(), QStringLiteral("Delete Framing"));
            answer("rightBtn");
            QVERIFY(row.names().isEmpty() && namesIn(path()).isEmpty());
        }
    }
};

QTEST_MAIN(FramingsTest)
#include "tst_framings.moc"
