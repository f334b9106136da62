// The diagnostic bundle on the simulated camera: the log's ring of last lines, the archive's
// members as tar reads them (nothing more, nothing of the user's home folder, no other
// camera's serial number) as --diagnose writes them, and the bundle from the information
// page's button, where targets that are refused or fail leave no file.
#include <sys/stat.h>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <map>
#include <thread>
#include <vector>

#include "app/cli_request.h"
#include "app/cli_run.h"
#include "app/diagnostic_bundle.h"
#include "app/diagnostic_save.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "base/log_ring.h"
#include "base/read_config.h"
#include "device/sim/sim_camera.h"
#include "engine/control_table.h"
#include "engine/setting_task_engine.h"
#include "session/camera_session.h"
#include "support/log_capture.h"
#include "tabs/info_tab.h"
#include "xu/uvc_xu_manager.h"

namespace {
const QStringList kMembers{"log.txt", "versions.txt", "camera.json", "profile.ini", "APSet.ini"};
const char kSerial[] = "LX8A2412000137";  // the simulated camera's
const char kOtherSerial[] = "LX8B9900000042";

QByteArray tar(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("tar"), arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return "tar failed: " + process.readAllStandardError();
    return process.readAllStandardOutput();
}
QStringList membersOf(const QString& archive) {
    return QString::fromUtf8(tar({"-tzf", archive})).split('\n', Qt::SkipEmptyParts);
}
QByteArray memberOf(const QString& archive, const QString& name) {
    return tar({"-xzOf", archive, name});
}
QJsonObject cameraJsonOf(const QString& archive) {
    return QJsonDocument::fromJson(memberOf(archive, "camera.json")).object();  // empty when unparsed
}

void writeFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
}
}  // namespace

class DiagnosticBundleTest : public QObject {
    Q_OBJECT

    QTemporaryDir home_;
    QByteArray realHome_ = qgetenv("HOME");
    LogCapture quiet_;  // keeps the test's output readable; the ring sees everything

    // A home folder with the configuration file and the camera's profile in it.
    void prepareHome() {
        qputenv("HOME", QFile::encodeName(home_.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.path() + "/.config"));
        qputenv("LUMORA_PROFILE_DIR", QFile::encodeName(home_.path() + "/profiles"));
        writeFile(home_.path() + "/.config/lumora-x8-settings/APSet.ini",
                  "[Config]\ndebug=0\n; copied from " + QFile::encodeName(home_.path()) + "/Downloads\n");
        writeFile(home_.path() + "/profiles/" + kSerial + ".ini",
                  QByteArray("[profile]\nformat=1\nserial=") + kSerial + "\n[controls]\nbrightness=120\n");
        readConfigFor((home_.path() + "/bin/lumora-x8-settings").toStdString());
    }

private slots:
    void cleanupTestCase() {
        qputenv("HOME", realHome_);
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("LUMORA_PROFILE_DIR");
    }

    void ringKeepsTheLastWholeLines_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<QString>("kept");
        QTest::newRow("fewer than it holds") << 3 << QStringList{"a\n", "b\n"} << "a\nb\n";
        QTest::newRow("the last ones only") << 3 << QStringList{"1\n2\n", "3\n4\n5\n"} << "3\n4\n5\n";
        QTest::newRow("parts of a line join") << 2 << QStringList{"x", "y\nz", "\n", "w"} << "xy\nz\nw";
        QTest::newRow("a long line is cut")
            << 2 << QStringList{QString(3000, 'a') + "\nb", "c\n"}
            << QString(int(LogRing::kMaxLineBytes), 'a') + " [line cut]\nbc\n";
    }
    void ringKeepsTheLastWholeLines() {
        QFETCH(int, capacity);
        QFETCH(QStringList, writes);
        QFETCH(QString, kept);
        LogRing ring{size_t(capacity)};
        for (const QString& write : writes)
            ring.append(write.toStdString());
        QCOMPARE(QString::fromStdString(ring.text()), kept);
    }

    // Written from several threads at once, the log keeps its last lines whole: of each
    // thread, the lines it wrote last, in order.
    void logKeepsItsLastLinesFromEveryThread() {
        const int each = int(kRecentLogLines) / 2;
        std::vector<std::thread> writers;
        for (int t = 0; t < 4; ++t)
            writers.emplace_back([t, each] {
                for (int i = 0; i < each; ++i)
                    debugLog("ring %d %d end\n", t, i);
            });
        for (std::thread& writer : writers)
            writer.join();
        const QStringList lines = QString::fromStdString(recentLog()).split('\n');
        QCOMPARE(lines.size(), int(kRecentLogLines) + 1);
        QVERIFY(lines.last().isEmpty());
        const QRegularExpression line(QStringLiteral("^ring (\\d) (\\d+) end$"));
        std::map<int, int> lastOf;
        for (int n = 0; n < lines.size() - 1; ++n) {
            const QRegularExpressionMatch match = line.match(lines[n]);
            QVERIFY2(match.hasMatch(), qPrintable(lines[n]));
            const int t = match.captured(1).toInt(), i = match.captured(2).toInt();
            QVERIFY(lastOf.count(t) == 0 || lastOf[t] == i - 1);
            lastOf[t] = i;
        }
        for (const auto& [t, last] : lastOf)
            QCOMPARE(last, each - 1);
    }

    // --diagnose, run as the command line runs it, on a camera whose extension unit answers,
    // is silent, or on no camera at all.
    void membersSayWhatTheCameraHolds_data() {
        QTest::addColumn<int>("unitFrom");  // -1: no camera plugged in
        QTest::newRow("extension unit answers") << 1;
        QTest::newRow("extension unit silent") << 0;
        QTest::newRow("no camera") << -1;
    }
    void membersSayWhatTheCameraHolds() {
        QFETCH(int, unitFrom);
        prepareHome();
        debugLog("setSN: %s\n", kOtherSerial);
        debugLog("setSN: %s\n", kSerial);
        SettingTaskEngine::instance().deleteCamera();
        UVCXUManager::instance().setEnableCommand(false);
        appConfig().setDeviceName("Lumora X8");
        device::sim::SimOptions options;
        options.pluggedAtStart = unitFrom >= 0;
        auto camera = device::sim::installSimulatedCamera(options);
        camera->setExtensionUnitFromActivation(std::max(unitFrom, 0));
        CliRequest request;
        request.action = CliRequest::Action::Diagnose;
        request.file = home_.path() + "/bundle.tar.gz";
        QCOMPARE(runCommandLine(request), int(kExitDone));
        const QString archive = request.file;

        QCOMPARE(membersOf(archive), kMembers);
        for (const QString& name : kMembers) {
            const QByteArray text = memberOf(archive, name);
            QVERIFY2(!text.contains(QFile::encodeName(home_.path())), qPrintable(name));
            QVERIFY2(!text.contains(kOtherSerial), qPrintable(name));
        }
        const bool unit = unitFrom > 0;
        const QByteArray log = memberOf(archive, "log.txt");
        QVERIFY(log.contains("iniFilePath: ~/.config/lumora-x8-settings/APSet.ini\n"));
        QVERIFY(log.contains("setSN: (another camera)\n"));
        QCOMPARE(log.contains(QByteArray("setSN: ") + kSerial), unit);  // only this camera's
        QCOMPARE(memberOf(archive, "APSet.ini"),
                 QByteArray("[Config]\ndebug=0\n; copied from ~/Downloads\n"));
        QCOMPARE(memberOf(archive, "profile.ini").contains("brightness=120"), unit);
        QVERIFY(memberOf(archive, "versions.txt").contains("\nlibavcodec: "));

        const QJsonObject json = cameraJsonOf(archive);
        QCOMPARE(json["connected"].toBool(), unitFrom >= 0);
        if (unitFrom < 0) {
            QCOMPARE(json["why"].toString(), QStringLiteral("no Lumora X8 found"));
            return;
        }
        QCOMPARE(json["serial"].toString(), unit ? QString(kSerial) : QString());
        QCOMPARE(json["extensionUnit"].toBool(), unit);
        QVERIFY(!json["formats"].toArray().isEmpty());
        const QJsonArray controls = json["controls"].toArray();
        QCOMPARE(controls.size(), int(controlTable().size()));
        for (const QJsonValue& c : controls) {
            const ControlRow* row = findControl(c["name"].toString().toStdString());
            if (row == nullptr)
                continue;  // a control only the settings page shows
            QCOMPARE(c["answered"].toBool(), unit || !isVendorControl(*row));
            QVERIFY(!c["answered"].toBool() ||
                    (c["min"].toInt() <= c["value"].toInt() && c["value"].toInt() <= c["max"].toInt()));
        }
    }

    // From the information page's button: the window asks for the file, writes it off the
    // GUI thread and says how it went; a target refused or failed leaves nothing behind and
    // the message says why. (The other refused targets, shared with the profile's export:
    // tst_command_line.)
    void writtenFromThePage_data() {
        QTest::addColumn<QString>("target");  // in a fresh folder
        QTest::addColumn<QString>("why");     // the message's reason, after the path
        const auto row = [](const char* name, const char* target, const char* why) {
            QTest::newRow(name) << QString(target) << QString(why);
        };
        row("written", "b.tar.gz", "");
        row("a named pipe", "pipe", "it exists and is not a regular file");
        row("a file system that takes no file", "/proc/b.tar.gz", "");
    }
    void writtenFromThePage() {
        QFETCH(QString, target);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString path = target.startsWith('/') ? target : dir.filePath(target);
        const bool written = target == "b.tar.gz";
        if (target == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        CameraSession session(CameraSession::Use::Window);
        QWidget window;
        auto* page = new InfoTab(session.firmwareUpdate(), &window);
        auto* save = new DiagnosticSave(page, session, &window);
        save->setFileChooser([&path](QWidget*, const QString&) { return path; });
        QSignalSpy finished(save, &DiagnosticSave::finished);
        auto* button = page->findChild<QPushButton*>("diagnoseButton");
        button->click();
        QVERIFY(finished.count() == 1 || finished.wait(30000));
        QCOMPARE(finished[0][0].toBool(), written);
        QVERIFY(button->isEnabled());
        const QString title = written ? "Diagnostics Saved" : "Saving Failed";
        const QString said = written ? path : "cannot write diagnostic bundle " + path + ": " + why;
        const QList<QLabel*> labels = window.findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == title; }));
        QVERIFY2(
            std::any_of(labels.begin(), labels.end(), [&](QLabel* l) { return l->text().contains(said); }),
            qPrintable(said));
        QCOMPARE(QFileInfo(path).isFile(), written);
        if (written) {
            QCOMPARE(membersOf(path), kMembers);
            QCOMPARE(cameraJsonOf(path)["connected"].toBool(), false);
        } else {
            QCOMPARE(QDir(dir.path())
                         .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
                     target == "pipe" ? QStringList{"pipe"} : QStringList());
        }
    }
};

QTEST_MAIN(DiagnosticBundleTest)
#include "tst_diagnostic_bundle.moc"
