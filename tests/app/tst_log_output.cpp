// Nothing logged is lost: a reader of the program's standard output sees every line as soon
// as it is logged. The child side runs in a process of its own, started from this same
// executable with a role argument. (The program's clean end on SIGINT and SIGTERM is
// tst_startup's.)
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "app/quit_on_signal.h"
#include "base/debug_log.h"
#include "support/log_capture.h"

namespace {
const char* const kRoleLines = "--child-lines";

// Logs a line, then waits for the parent to say it has seen it before logging the next.
int childLines() {
    std::string reply;
    for (int i = 1; i <= 3; ++i) {
        if (i % 2)
            debugLog("line %d \n", i);
        else
            writeStdout("line " + std::to_string(i) + " \n");
        if (!std::getline(std::cin, reply) || reply != "seen")
            return 3;
    }
    return 0;
}

}  // namespace

class LogOutputTest : public QObject {
    Q_OBJECT

    QTemporaryDir locales_;
    bool localesCompiled_ = false;

private slots:
    // The child is blocked until it hears from us, so a line cannot come from a flush at
    // exit.
    void eachLineArrivesAtOnce_data() {
        QTest::addColumn<bool>("toFile");
        QTest::newRow("pipe") << false;
        QTest::newRow("file") << true;
    }
    void eachLineArrivesAtOnce() {
        QFETCH(bool, toFile);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("log.txt")));
        QProcess child;
        if (toFile)
            child.setStandardOutputFile(file.fileName());
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kRoleLines)});
        QVERIFY(child.waitForStarted(10000));
        QByteArray expected;
        QByteArray content;
        for (int i = 1; i <= 3; ++i) {
            expected += "line " + QByteArray::number(i) + " \n";
            QElapsedTimer clock;
            clock.start();
            while (content != expected && clock.elapsed() < 20000) {
                if (toFile && file.open(QIODevice::ReadOnly)) {
                    content = file.readAll();
                    file.close();
                } else if (!toFile) {
                    child.waitForReadyRead(10);
                    content += child.readAllStandardOutput();
                }
                if (content != expected)
                    QTest::qWait(10);
            }
            QCOMPARE(content, expected);
            child.write("seen\n");
        }
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitCode(), 0);
    }

    // The application object takes the user's locale for the C library; in a comma-decimal
    // one the log printed "getScaleSize 1,041667". The locale is compiled into a folder of
    // the test's own (LOCPATH), so that no installed locale is needed.
    void logNumbersKeepTheCFormat_data() {
        QTest::addColumn<bool>("onWorkerThread");
        QTest::newRow("GUI thread") << false;
        QTest::newRow("worker thread") << true;
    }
    void logNumbersKeepTheCFormat() {
        QFETCH(bool, onWorkerThread);
        if (!localesCompiled_) {
            QProcess localedef;
            localedef.start(QStringLiteral("localedef"),
                            {"-i", "de_DE", "-f", "UTF-8", locales_.filePath(QStringLiteral("de_DE.UTF-8"))});
            QVERIFY2(localedef.waitForFinished(180000) && localedef.exitCode() == 0,
                     "localedef (Debian package locales) could not compile de_DE.UTF-8");
            localesCompiled_ = true;
        }
        qputenv("LOCPATH", QFile::encodeName(locales_.path()));
        QVERIFY(std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr);
        char comma[16];
        std::snprintf(comma, sizeof comma, "%.1f", 1.5);
        const std::string localeShows = comma;

        LogCapture log;
        const auto write = [] { debugLog("getScaleSize %f, fps : %lf \n", 1.0416666, 30.00003); };
        onWorkerThread ? std::thread(write).join() : write();
        std::setlocale(LC_ALL, "C");
        qunsetenv("LOCPATH");
        QCOMPARE(localeShows, std::string("1,5"));  // the locale really uses commas
        QCOMPARE(log.text(), std::string("getScaleSize 1.041667, fps : 30.000030 \n"));
    }

    void handlersAreRemovedWithTheObject() {
        const auto handled = [](int signo) {
            struct sigaction current = {};
            return ::sigaction(signo, nullptr, &current) == 0 && current.sa_handler != SIG_DFL;
        };
        {
            QuitOnSignal quit;
            QVERIFY(quit.isActive() && handled(SIGTERM));
        }
        QVERIFY(!handled(SIGTERM) && !handled(SIGINT));
    }
};

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kRoleLines)
        return childLines();
    QCoreApplication app(argc, argv);
    LogOutputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_log_output.moc"
