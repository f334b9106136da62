// The program itself, started as a user would: its start-up log on a pipe, in order and
// line by line, its configuration beside the executable, and a clean end on SIGTERM and
// SIGINT (the event loop returns and the process exits with 0). Each case runs a copy of the program in a
// folder of its own, so that its APSet.ini touches nothing else.
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

namespace {
const char* const kProgram = "lumora-x8-settings";

// A folder holding the program, its customisation library and its translations.
class Install {
public:
    Install() {
        const QString bin = QCoreApplication::applicationDirPath();
        ok_ = dir_.isValid() && place(bin + "/" + kProgram, program()) &&
              place(bin + "/libProjectCustomize.so", dir_.filePath("libProjectCustomize.so")) &&
              QDir(dir_.path()).mkdir("languages") &&
              place(bin + "/languages/rk38p20_ja.qm", dir_.filePath("languages/rk38p20_ja.qm"));
    }
    bool ok() const { return ok_; }
    QString path() const { return dir_.path(); }
    QString program() const { return dir_.filePath(kProgram); }
    void writeIni(const QByteArray& content) {
        QFile file(dir_.filePath("APSet.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

private:
    // A hard link where the file system allows it (the program finds its folder through
    // the operating system, which reports the link's own path), else a copy.
    static bool place(const QString& from, const QString& to) {
        if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
            return true;
        return QFile::copy(from, to);
    }

    QTemporaryDir dir_{QCoreApplication::applicationDirPath() + "/startup-XXXXXX"};
    bool ok_ = false;
};

class Run {
public:
    Run(const Install& install, const QString& lang = QStringLiteral("C")) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LUMORA_CAMERA", "simulated");
        env.insert("LUMORA_SIM_SCRIPT", "unplugged");
        env.remove("LC_ALL");
        env.remove("LC_MESSAGES");
        env.remove("LANGUAGE");
        env.insert("LANG", lang);
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(install.program(), QStringList());
    }
    ~Run() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    QProcess& process() { return process_; }

    // Reads standard output until a line that starts with prefix arrived; everything read
    // is kept.
    bool waitForLine(const QByteArray& prefix, int timeoutMs = 30000) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            while (process_.canReadLine()) {
                const QByteArray next = process_.readLine();
                lines_ << next;
                if (next.startsWith(prefix))
                    return true;
            }
            if (process_.state() == QProcess::NotRunning && !process_.canReadLine())
                return false;
            process_.waitForReadyRead(100);
        }
        return false;
    }
    QList<QByteArray> lines() const { return lines_; }
    QByteArray rest() {
        while (process_.canReadLine())
            lines_ << process_.readLine();
        return process_.readAllStandardOutput();
    }

private:
    QProcess process_;
    QList<QByteArray> lines_;
};

// Position of the first line that starts with prefix, -1 when none.
int indexOf(const QList<QByteArray>& lines, const QByteArray& prefix) {
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(prefix))
            return i;
    return -1;
}
}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void startupLogArrivesInOrderLineByLine() {
        Install install;
        QVERIFY(install.ok());
        install.writeIni("[Config]\ndebug=7\ndefaultWidth=1280\n");
        Run run(install);
        // The program is still running when the scale line arrives: nothing waits for
        // the end of the process to reach the pipe.
        QVERIFY(run.waitForLine("disableWindow \n"));
        QVERIFY(run.process().state() == QProcess::Running);
        QVERIFY(run.waitForLine("getScaleSize "));
        const QList<QByteArray> lines = run.lines();
        QCOMPARE(lines.value(0), "iniFilePath: " + QFile::encodeName(install.path()) + "/APSet.ini\n");
        QCOMPARE(lines.value(1), QByteArray("debugMode: 1\n"));
        const int version = lines.indexOf("AP_VERSION 1.00.00 \n");
        const int name = lines.indexOf("DeviceName : Lumora X8, PCToolName : Lumora X8 Setting Software\n");
        const int uac = indexOf(lines, "UAC VID: ");
        const int storage = indexOf(lines, "MassStorage VID: ");
        const int locale = lines.indexOf("locale: C\n");
        const int scale = indexOf(lines, "getScaleSize ");
        QVERIFY(version > 1);
        QVERIFY(version < name && name + 1 == uac && uac + 1 == storage && storage < locale &&
                locale < scale);
        QVERIFY(
            QRegularExpression("^getScaleSize [0-9]+\\.[0-9]{6}\n$").match(QString(lines[scale])).hasMatch());
        QVERIFY(
            QRegularExpression("^UAC VID: [0-9]+, PID : [0-9]+\n$").match(QString(lines[uac])).hasMatch());
    }

    void endsCleanlyOnSignal_data() {
        QTest::addColumn<int>("signo");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void endsCleanlyOnSignal() {
        QFETCH(int, signo);
        Install install;
        QVERIFY(install.ok());
        Run run(install);
        QVERIFY(run.waitForLine("disableWindow \n"));
        QCOMPARE(::kill(pid_t(run.process().processId()), signo), 0);
        QVERIFY(run.process().waitForFinished(30000));
        QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.process().exitCode(), 0);
        run.rest();
        QVERIFY(run.lines().contains("quit on signal " + QByteArray::number(signo) + "\n"));
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
