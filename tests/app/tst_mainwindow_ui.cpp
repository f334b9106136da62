// The main window as built: the page panel fitted to the screen, the construction's log
// lines, the disabled start, the running timers and the program's command line.
#include <QGroupBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "base/scale_size.h"
#include "tst_mainwindow_fixture.h"

using namespace window_test;

class MainWindowUiTest : public QObject {
    Q_OBJECT

private slots:
    void widgetTreeFitsThePagePanelToTheScreen();
    void constructionLogsVersionCustomisationAndScale();
    void startsDisabledWithTheCover();
    void enableAndDisableToggleCoverAndDarkening();
    void timersRunWithoutATest();
    void hideButtonTogglesThePagePanel();
    void commandLineAnswersVersionAndRejectsUnknownBackend();
};

void MainWindowUiTest::widgetTreeFitsThePagePanelToTheScreen() {
    Rig rig;
    mainwindow& w = *rig.window;
    // Dialogs find the window by this name to dim it.
    QCOMPARE(w.objectName(), QStringLiteral("mainwindowClass"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Lumora X8 Setting Software"));
    // The page panel is 310 wide at 96 dpi, fitted to the screen's scale; the preview box
    // takes what the 60-wide strip and the pages leave of the window.
    const int tabsWidth = static_cast<int>(310 * getScaleSize());
    QCOMPARE(w.form().tabWidget->minimumSize(), QSize(tabsWidth, 650));
    auto* box = w.findChild<QGroupBox*>(QStringLiteral("verticalGroupBox"));
    QCOMPARE(box->minimumSize(), QSize(1280 - tabsWidth - 60, 650));
    QCOMPARE(w.form().streamLabel->parentWidget(), box);
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

void MainWindowUiTest::timersRunWithoutATest() {
    resetProcessState();
    auto camera = device::sim::installSimulatedCamera();
    LogCapture log;
    {
        mainwindow window;
        QVERIFY(window.previewTimerObject()->isActive());
        QVERIFY(window.connectTimerObject()->isActive());
    }
    resetProcessState();
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
