// The main window as built: its widget tree, the construction's log lines, the disabled
// start, the slot table and the program's command line.
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMetaMethod>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "base/scale_size.h"
#include "tst_mainwindow_fixture.h"
#include "widgets/dark_effect_layout.h"

using namespace window_test;

class MainWindowUiTest : public QObject {
    Q_OBJECT

private slots:
    void widgetTreeHasItsNamesSizesAndStyles();
    void constructionLogsVersionCustomisationAndScale();
    void startsDisabledWithTheCover();
    void enableAndDisableToggleCoverAndDarkening();
    void timersDefaultToTheirIntervals();
    void slotTableKeepsItsOrder();
    void hideButtonTogglesThePagePanel();
    void commandLineAnswersVersionAndRejectsUnknownBackend();
};

void MainWindowUiTest::widgetTreeHasItsNamesSizesAndStyles() {
    Rig rig;
    mainwindow& w = *rig.window;
    QCOMPARE(w.objectName(), QStringLiteral("mainwindowClass"));
    QCOMPARE(w.minimumSize(), QSize(1280, 650));
    QCOMPARE(w.font().family(), QStringLiteral("Calibri"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Lumora X8 Setting Software"));
    QVERIFY(!w.windowIcon().isNull());

    QWidget* central = w.findChild<QWidget*>(QStringLiteral("centralWidget"));
    QVERIFY(central);
    QCOMPARE(central, w.centralWidget());
    QCOMPARE(central->styleSheet(), QStringLiteral("background-color: rgb(34, 40, 48);"));
    auto* working = w.findChild<DarkEffectLayout*>(QStringLiteral("horizontalWidget"));
    QVERIFY(working);
    QWidget* strip = w.findChild<QWidget*>(QStringLiteral("verticalWidget"));
    QVERIFY(strip);
    QCOMPARE(strip->maximumWidth(), 60);
    QCOMPARE(strip->styleSheet(), QStringLiteral("background-color: rgb(48, 55, 66);"));
    auto* hide = w.findChild<QPushButton*>(QStringLiteral("hideBtn"));
    QVERIFY(hide);
    QCOMPARE(hide->size(), QSize(60, 60));
    QCOMPARE(hide->iconSize(), QSize(24, 24));
    QVERIFY(hide->text().isEmpty());
    auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    // The page panel is 310 wide at 96 dpi, fitted to the screen's scale.
    const int tabsWidth = static_cast<int>(310 * getScaleSize());
    QCOMPARE(tabs->minimumSize(), QSize(tabsWidth, 650));
    QCOMPARE(tabs->tabPosition(), QTabWidget::West);
    QVERIFY(!tabs->tabBar()->isVisible());
    auto* box = w.findChild<QGroupBox*>(QStringLiteral("verticalGroupBox"));
    QVERIFY(box);
    QCOMPARE(box->styleSheet(), QStringLiteral("background-color: rgb(40, 46, 56);"));
    // The preview box takes what the strip and the pages leave of the window.
    QCOMPARE(box->minimumSize(), QSize(1280 - tabsWidth - 60, 650));
    QVERIFY(box->isVisible());
    auto* label = w.findChild<CustomImageLabel*>(QStringLiteral("streamLabel"));
    QVERIFY(label);
    QCOMPARE(label->parentWidget(), box);
    QCOMPARE(label->text(), QStringLiteral("streamLabel"));
    QVERIFY(w.findChild<QLayout*>(QStringLiteral("horizontalLayout_3")));
    QVERIFY(w.findChild<QLayout*>(QStringLiteral("verticalLayout_2")));
    QCOMPARE(w.findChild<QGridLayout*>(QStringLiteral("gridLayout"))->spacing(), 6);
}

void MainWindowUiTest::constructionLogsVersionCustomisationAndScale() {
    Rig rig;
    const LogCapture& log = *rig.log;
    QCOMPARE(log.count("AP_VERSION 1.00.00 \n"), 1);
    QCOMPARE(log.count("DeviceName : Lumora X8, PCToolName : Lumora X8 Setting Software\n"), 1);
    QCOMPARE(log.count("UAC VID: 11898, PID : 3080\n"), 1);
    QCOMPARE(log.count("MassStorage VID: 11898, PID : 3081\n"), 1);
    QVERIFY(log.contains("locale: "));
    QCOMPARE(log.count(QString::asprintf("getScaleSize %f\n", rig.window->getScaleSize()).toStdString()), 1);
    QCOMPARE(QByteArray(appConfig().deviceName), QByteArray("Lumora X8"));
    // (The order of the start-up lines is checked on the running program, tst_startup.)
}

void MainWindowUiTest::startsDisabledWithTheCover() {
    SettingTaskEngine::instance().deleteCamera();
    // Whatever the flags were, a new window starts Searching.
    connectEnabled = false;
    cameraReady = true;
    Rig rig;
    QVERIFY(isSearching());
    QVERIFY(isCovered(*rig.window));
    QCOMPARE(rig.window->overlay()->parentWidget(), rig.window->centralWidget());
    QCOMPARE(rig.window->overlay()->size(), rig.window->size());
    QVERIFY(isDarkened(*rig.window));
    QCOMPARE(rig.log->count("disableWindow \n"), 1);
}

void MainWindowUiTest::enableAndDisableToggleCoverAndDarkening() {
    Rig rig;
    rig.window->enableWindow();
    QVERIFY(!rig.window->overlay()->isVisible());
    QVERIFY(!isDarkened(*rig.window));
    QCOMPARE(rig.log->count("enableWindow \n"), 1);

    rig.window->disableWindowWithoutText();
    QVERIFY(isCovered(*rig.window));
    QVERIFY(!rig.window->overlay()->textLabel()->isVisible());
    QVERIFY(isDarkened(*rig.window));
    QCOMPARE(rig.log->count("disableWindowWithoutText \n"), 1);

    rig.window->enableWindow();
    connectEnabled = false;
    cameraReady = true;
    rig.window->disableWindowAndReconnect();
    QVERIFY(isSearching());
    QVERIFY(isCovered(*rig.window));
    QVERIFY(rig.window->overlay()->textLabel()->isVisible());
    QVERIFY(isDarkened(*rig.window));
}

void MainWindowUiTest::timersDefaultToTheirIntervals() {
    resetProcessState();
    auto camera = device::sim::installSimulatedCamera();
    LogCapture log;
    {
        mainwindow window;
        QCOMPARE(window.previewTimerObject()->interval(), 33);
        QCOMPARE(window.connectTimerObject()->interval(), 2000);
        QVERIFY(window.previewTimerObject()->isActive());
        QVERIFY(window.connectTimerObject()->isActive());
        QCOMPARE(window.timing().deviceRetrySleepMs, 500);
    }
    resetProcessState();
}

void MainWindowUiTest::slotTableKeepsItsOrder() {
    const QStringList expected = {
        "hiddenBtnClicked()",     "tabSelected(int)",
        "updateImage()",          "connectCamera()",
        "controlEptzSlider(int)", "controlPan(int)",
        "controlTilt(int)",       "controlExpMode(bool)",
        "controlGain(int)",       "controlExpValue(int)",
        "controlWBMode(bool)",    "controlWBValue(int)",
        "controlBrightness(int)", "controlContrast(int)",
        "controlHue(int)",        "controlSaturation(int)",
        "controlSharpness(int)",  "controlGamma(int)",
        "controlBCMode(bool)",    "controlAntiFlickerMode(int)",
        "channgeMode(int)",       "channgeResolution(RESOLUTION_LIST)",
        "resetSettings()",
    };
    const QMetaObject& meta = mainwindow::staticMetaObject;
    QCOMPARE(QString(meta.className()), QStringLiteral("mainwindow"));
    QStringList found;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Slot)
            found << meta.method(i).methodSignature();
    }
    QCOMPARE(found, expected);
}

void MainWindowUiTest::hideButtonTogglesThePagePanel() {
    Rig rig;
    QTabWidget* tabs = rig.window->form().tabWidget;
    QVERIFY(tabs->isVisible());
    rig.window->form().hideBtn->click();
    QVERIFY(!tabs->isVisible());
    QCOMPARE(rig.log->count("hiddenBtnClicked 1\n"), 1);
    rig.window->form().hideBtn->click();
    QVERIFY(tabs->isVisible());
    QCOMPARE(rig.log->count("hiddenBtnClicked 0\n"), 1);
}

void MainWindowUiTest::commandLineAnswersVersionAndRejectsUnknownBackend() {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/lumora-x8-settings");
    QVERIFY2(QFileInfo::exists(program), "the program is built beside the tests");

    QProcess version;
    version.start(program, {QStringLiteral("--version")});
    QVERIFY(version.waitForFinished(20000));
    QCOMPARE(version.exitCode(), 0);
    QVERIFY(version.readAllStandardOutput().contains("lumora-x8-settings 1.00.00"));

    QProcess unknown;
    unknown.start(program, {QStringLiteral("--camera=nonesuch")});
    QVERIFY(unknown.waitForFinished(20000));
    QCOMPARE(unknown.exitStatus(), QProcess::NormalExit);
    QCOMPARE(unknown.exitCode(), 2);
    QVERIFY(unknown.readAllStandardError().contains("nonesuch"));
}

QTEST_MAIN(MainWindowUiTest)
#include "tst_mainwindow_ui.moc"
