// Closing the window ends it promptly whatever it is doing, in each state where the GUI
// thread or a worker waits (extension-unit checks, a stream open's first-frame wait, a
// settings job on a slow camera, the value read after a connection on a slow camera,
// where only a signal reaches the busy GUI thread): the wait in progress is cut short and
// no further step runs. No connect starts after the request. (A signal to the program:
// tst_startup.)
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "base/quit_request.h"
#include "tabs/control_binding.h"
#include "tst_mainwindow_fixture.h"

using namespace window_test;

namespace {
// Before, a quit waited out every retry, the whole first-frame wait or every queued job.
enum class Slow { ExtensionUnit, FirstFrame, Job, ValueRead };
}  // namespace

Q_DECLARE_METATYPE(Slow)

class QuitPromptlyTest : public QObject {
    Q_OBJECT

private slots:
    void closingTheWindowEndsIt_data() {
        QTest::addColumn<Slow>("slow");
        QTest::addColumn<QString>("reached");
        QTest::newRow("extension-unit checks")
            << Slow::ExtensionUnit << "\n*******No device, check again with count: 1 *******\n";
        QTest::newRow("first-frame wait") << Slow::FirstFrame << "ewc_OpenStream ewc_hr:0, evCode: 0\n";
        QTest::newRow("job on a slow camera") << Slow::Job << "controlBrightness 3 \n";
        QTest::newRow("value read on a slow camera") << Slow::ValueRead << "";
    }
    void closingTheWindowEndsIt() {
        QFETCH(Slow, slow);
        QFETCH(QString, reached);
        clearQuitRequest();
        mainwindow::Timing timing = manualTiming();
        timing.session.connectIntervalMs = 20;
        timing.session.deviceRetrySleepMs = 500;
        Rig rig({}, timing);
        LogCapture& log = *rig.log;
        device::sim::SimCamera* camera = rig.camera.get();
        std::unique_ptr<mainwindow>& window = rig.window;
        camera->setExtensionUnitFromActivation(slow == Slow::ExtensionUnit ? 0 : 1);
        camera->setNeverDeliverFrames(slow == Slow::FirstFrame);
        if (slow == Slow::ValueRead)
            camera->setLatency("ControlPort::get", 300);
        if (slow == Slow::Job) {
            window->connectCamera();
            QVERIFY(isReady(*window));
            camera->setLatency("ControlPort::set", 300);
            for (int value = 1; value <= 10; ++value)
                control_binding::sendChange(ADJ_BRIGHTNESS, value);
        }

        // Another thread sees the state and asks for the close, as the window system would:
        // the request waits for the GUI thread unless the GUI thread keeps handling events.
        int setsAtClose = -1;
        std::atomic<bool> stop{false};
        std::thread watch([&] {
            while (!stop) {
                const char* counted = slow == Slow::ValueRead ? "ControlPort::get" : "ControlPort::set";
                const bool there = slow == Slow::Job || slow == Slow::ValueRead
                                       ? camera->callCount(counted) >= 2
                                       : log.contains(reached.toStdString());
                if (there) {
                    setsAtClose = camera->callCount(counted);
                    if (slow == Slow::ValueRead)  // the GUI thread reads: only a signal gets through
                        requestQuitFromSignalHandler();
                    QMetaObject::invokeMethod(window.get(), "close", Qt::QueuedConnection);
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        QTimer giveUp;
        giveUp.setSingleShot(true);
        connect(&giveUp, &QTimer::timeout, qApp, &QCoreApplication::quit);
        giveUp.start(30000);
        QApplication::exec();
        stop = true;
        watch.join();
        QVERIFY2(setsAtClose >= 0, "the state was never reached");
        const SessionState atEnd = window->session().state();
        window.reset();  // what the program does after its event loop; joins the worker
        QVERIFY(quitRequested());
        QCOMPARE(log.count("\n-----open RGB-----\n"), 1);
        // The wait in progress ends at the request; nothing after it runs.
        if (slow == Slow::ExtensionUnit)
            QCOMPARE(log.count("\n*******No device, check again with count: 3 *******\n"), 0);
        if (slow == Slow::FirstFrame)
            QCOMPARE(log.count("first frame wait ended: quit requested \n"), 1);
        if (slow == Slow::Job)  // the job in progress ends; no further job is applied
            QVERIFY(camera->callCount("ControlPort::set") <= setsAtClose + 1);
        if (slow == Slow::ValueRead) {  // the read in progress ends; the connection is given up
            // At most the rest of the group of reads under way (seven at the most).
            QVERIFY(camera->callCount("ControlPort::get") <= setsAtClose + 7);
            QCOMPARE(log.count("\n--------getDefaultValue info: "), 0);
            QCOMPARE(log.count("quit requested: connection abandoned \n"), 1);
            QCOMPARE(atEnd, SessionState::Closed);
        }
        clearQuitRequest();
    }
};

QTEST_MAIN(QuitPromptlyTest)
#include "tst_quit_promptly.moc"
