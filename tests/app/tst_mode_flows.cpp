// The stream-format change and the reset on the simulated Lumora X8: every format the
// camera offers in turn with the picture it brings, then the default-format request, both
// reset paths end to end, and faults at each step ending in a usable window.
#include <QGroupBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <functional>
#include <tuple>

#include "capture/preview_scale.h"
#include "firmware/fw_dialog_driver.h"
#include "tabs/info_tab.h"
#include "tabs/mode_tab.h"
#include "tabs/tst_setting_tab_drive.h"
#include "tst_mainwindow_fixture.h"
#include "widgets/busy_progress.h"

using namespace window_test;
using setting_drive::openDialog;

namespace {
bool sameStream(const RESOLUTION_LIST& a, const RESOLUTION_LIST& b) {
    return a.index == b.index && a.width == b.width && a.height == b.height && a.fps == b.fps &&
           a.format == b.format;
}

// The camera's list entry of that format, size and rate; an empty record when none.
RESOLUTION_LIST entry(const std::string& format, int width, int height, int fps) {
    for (const RESOLUTION_LIST& r : appConfig().resolutionList)
        if (r.format == format && r.width == width && r.height == height && r.fps == fps)
            return r;
    return RESOLUTION_LIST();
}

// Answers the open message with its right button, as the user would.
void closeMessage() {
    if (openDialog())
        setting_drive::answer("rightBtn");
}
}  // namespace

class TestModeFlows : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Rig> rig;

    void start(device::sim::SimOptions options = {}, bool debug = true) {
        rig.reset();  // the pages of the window before go first
        appConfig().debug = debug;
        options.frameRateMultiplier = 4;
        mainwindow::Timing timing = manualTiming();
        timing.session.resetCompletionMs = 300;
        timing.session.resetSettleMs = timing.session.resetAntiFlickerMs = 10;
        timing.session.resetWaitLimitMs = 1500;
        rig = std::make_unique<Rig>(options, timing);
        QVERIFY(rig->connect());
    }
    mainwindow& window() { return *rig->window; }

    // The format runs: the window is Ready and shows a picture of its size.
    void expectRunning(const RESOLUTION_LIST& r) {
        QVERIFY(isReady(window()));
        QVERIFY(!isCovered(window()));
        QVERIFY(sameStream(currentValues().resolution, r));
        QVERIFY(sameStream(window().modePage()->appliedResolution(), r));
        QCOMPARE(window().session().frameImage().width(), r.width);
        QCOMPARE(window().session().frameImage().height(), r.height);
        window().form().streamLabel->clear();
        // The preview shows the frame at the label's size (or a few percent less: the DCT
        // scale's own size), in the frame's aspect.
        QVERIFY2(tickUntil(window(),
                           [this, &r] {
                               const QSize shown = shownPicture(window()).size();
                               return !shown.isEmpty() &&
                                      showsUnscaled(shown, window().form().streamLabel->shownSize()) &&
                                      qAbs(double(shown.width()) / shown.height() -
                                           double(r.width) / r.height) < 0.02;
                           }),
                 r.format.c_str());
        // The label takes the frame's aspect and stays inside the preview box, filling one side.
        CustomImageLabel& label = *window().form().streamLabel;
        QCOMPARE(label.aspectRatio(), float(r.width) / float(r.height));
        const QSize box = window().form().verticalGroupBox->size();
        const QSize shown = shownPicture(window()).size();
        QVERIFY(label.width() <= box.width() && label.height() <= box.height());
        QVERIFY(shown.width() > box.width() * 9 / 10 || shown.height() > box.height() * 9 / 10);
    }

    // Runs a reset flow with both ticks running, while the busy dialog keeps the event loop.
    void withTicks(const std::function<void()>& flow) {
        QTimer ticks;
        connect(&ticks, &QTimer::timeout, [this] { window().updateImage(), window().connectCamera(); });
        ticks.start(20);
        flow();
    }

    // Runs what once the reset's busy time has begun.
    void duringTheReset(std::function<void()> what) {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll, what] {
            if (!window().infoPage()->busyProgress()->isVisible())
                return;
            poll->deleteLater();
            QTimer::singleShot(10, what);
        });
        poll->start(5);
    }

    // The reset through the information page, its question answered; answers the titles of
    // the page's modal messages (the confirmation of a done reset comes later, left open).
    QStringList resetThroughThePage() {
        const QRegularExpression question(QStringLiteral("^Reset( Failed)?$"));
        fwtest::DialogDriver driver(
            [](const fwtest::ShownDialog&) { return true; },
            [&](const fwtest::ShownDialog& d) { return !question.match(d.title).hasMatch(); });
        withTicks([this] { window().infoPage()->resetBtnClicked(); });
        return driver.titles().filter(question);
    }

private slots:
    void cleanup() {
        while (QWidget* dialog = openDialog())
            dialog->close();
        rig.reset();
        appConfig().debug = false;
    }

    void everyFormatInTurn() {
        start();
        const std::vector<RESOLUTION_LIST> formats = appConfig().resolutionList;
        QCOMPARE(entry("H264", 1080, 1920, 30).format, std::string("H264"));  // portrait
        // (The same format again and a new one as session transitions: tests/session.)
        for (const RESOLUTION_LIST& r : formats) {
            emit window().modePage()->onResolutionChanged(r);
            expectRunning(r);
            QVERIFY2(openDialog() == nullptr, r.format.c_str());
        }
        // The default-format request and the modes, from the last format.
        const RESOLUTION_LIST mjpg = entry("MJPG", 3520, 1104, 30);
        QVERIFY(!sameStream(currentValues().resolution, mjpg));
        window().changeDefaultResolution();
        expectRunning(mjpg);
        window().channgeMode(1);
        expectRunning(entry("H264", 3520, 1104, 30));
        window().channgeMode(7);
        QCOMPARE(rig->log->count("mode error with 7 \n"), 1);
        window().channgeMode(2);
        expectRunning(mjpg);
    }

    // From a format other than the default: the camera kept keeps it; a camera opened
    // again runs the default MJPG entry with its native samples.
    void resetEndToEnd_data() {
        QTest::addColumn<bool>("debug");
        QTest::addColumn<int>("absenceMs");
        QTest::addColumn<bool>("commandFails");  // the camera does not take the reset command
        QTest::addColumn<bool>("confirmed");     // the information page says the reset is done
        QTest::addColumn<bool>("formatKept");
        QTest::newRow("camera kept") << false << 0 << false << true << true;
        QTest::newRow("debug, camera stays") << true << 0 << false << true << false;
        QTest::newRow("debug, camera drops off") << true << 300 << false << false << false;
        QTest::newRow("reset command fails") << false << 0 << true << false << true;
        QTest::newRow("debug, reset command fails") << true << 0 << true << false << false;
    }
    void resetEndToEnd() {
        QFETCH(bool, debug);
        QFETCH(int, absenceMs);
        QFETCH(bool, commandFails);
        QFETCH(bool, confirmed);
        QFETCH(bool, formatKept);
        device::sim::SimOptions options;
        options.resetAbsenceMs = absenceMs;
        start(options, debug);
        rig->camera->setControl(device::ControlGroup::VideoProcAmp, device::kProcBrightness,
                                {150, device::kFlagsManual});
        const RESOLUTION_LIST h264 = entry("H264", 1280, 720, 30);
        emit window().modePage()->onResolutionChanged(h264);  // the values are read again
        QCOMPARE(currentValues().brightness.load(), 150);
        const int reads = rig->log->count("getDefaultValue\n");

        if (commandFails)
            rig->camera->failAlways("XuNodeControl::property:5", device::kGenFailure);
        const QStringList answered = resetThroughThePage();
        rig->camera->clearFaults();
        QCOMPARE(answered, commandFails ? QStringList({"Reset", "Reset Failed"}) : QStringList({"Reset"}));
        QVERIFY(!window().infoPage()->busyProgress()->isVisible());
        QCOMPARE(rig->camera->resetCount(), commandFails ? 0 : 1);
        if (!isReady(window())) {
            QVERIFY(isCovered(window()));
            QVERIFY(window().overlay()->textLabel()->isVisible());
            QTRY_VERIFY_WITH_TIMEOUT((window().connectCamera(), isReady(window())), 5000);
        }
        QVERIFY(rig->log->count("getDefaultValue\n") > reads);
        QCOMPARE(currentValues().brightness.load(), commandFails ? 150 : 100);
        QCOMPARE(window().form().tabWidget->currentIndex(), 0);
        QTest::qWait(0);  // a re-open and the confirmation are queued behind the reconnection
        QCOMPARE(openDialog() != nullptr, confirmed);
        if (confirmed)
            QCOMPARE(setting_drive::openDialogTitle(), QStringLiteral("Reset Succesfully"));
        closeMessage();
        expectRunning(formatKept ? h264 : entry("MJPG", 3520, 1104, 30));
    }

    // Faults at each step: the window ends Ready on the previous format, or covered and
    // Searching until the camera can be opened again. (A refused format, a format change
    // that loses the extension unit and a camera that does not return from a reset are
    // the session's transitions, tests/session; the window draws them as these rows.)
    void faultsLeaveAUsableWindow_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("outcome");  // "previous" (with a message), "covered" or "kept"
        for (const auto& [name, fault, outcome] : std::vector<std::tuple<const char*, QString, QString>>{
                 {"format not in the list", "unlisted", "previous"},
                 {"camera gone before the change", "unplug", "covered"},
                 {"camera gone during the reset", "reset-unplug", "covered"},
                 {"format chosen during a reset", "reset-choice", "kept"}})
            QTest::newRow(name) << fault << outcome;
    }
    void faultsLeaveAUsableWindow() {
        QFETCH(QString, fault);
        QFETCH(QString, outcome);
        start({}, false);
        const RESOLUTION_LIST previous = entry("H264", 1280, 720, 30);
        emit window().modePage()->onResolutionChanged(previous);
        expectRunning(previous);
        RESOLUTION_LIST chosen = entry("MJPG", 640, 360, 15);

        if (fault == "unlisted")
            chosen = {42, 800, 600, 30, "MJPG"};
        else if (fault == "unplug")
            rig->camera->unplug();
        if (fault.startsWith("reset")) {
            if (fault == "reset-unplug")
                duringTheReset([this] { rig->camera->unplug(); });
            if (fault == "reset-choice")
                duringTheReset([this, chosen] { emit window().modePage()->onResolutionChanged(chosen); });
            resetThroughThePage();
        } else {
            emit window().modePage()->onResolutionChanged(chosen);
        }

        QVERIFY(window().session().state() != SessionState::Reopening);
        if (outcome == "kept") {
            QCOMPARE(rig->log->count("channgeResolution refused, running: 1 \n"), 1);
            expectRunning(previous);
        } else if (outcome == "previous") {
            QVERIFY(openDialog() != nullptr);
            closeMessage();
            expectRunning(previous);
        } else {
            QVERIFY(isSearching(window()));
            QVERIFY(isCovered(window()));
            QVERIFY(window().overlay()->textLabel()->isVisible());
            QVERIFY(!window().infoPage()->busyProgress()->isVisible());
            rig->camera->plug();
            QTRY_VERIFY_WITH_TIMEOUT((window().connectCamera(), isReady(window())), 5000);
            QTest::qWait(0);
            QVERIFY(openDialog() == nullptr);  // no reset confirmation after a lost camera
            expectRunning(entry("MJPG", 3520, 1104, 30));
        }
    }
};

QTEST_MAIN(TestModeFlows)
#include "tst_mode_flows.moc"
