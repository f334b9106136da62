// The command-line mode as a script uses it: the real program on the simulated camera,
// its exit codes, its text and JSON answers, profiles that follow the camera, writers at
// the same moment; and, in process, a camera that vanishes in the middle of a command,
// profile writes that are cut short or refused. (The window's profile keeping is the
// session's: tests/session.)
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "app/cli_request.h"
#include "app/cli_run.h"
#include "base/debug_log.h"
#include "base/quit_request.h"
#include "device/sim/sim_camera.h"
#include "engine/setting_task_engine.h"
#include "firmware/fw_test_images.h"
#include "session/camera_profile.h"
#include "session/framing_store.h"

namespace {
struct Result {
    int code = -1;
    QString out;
    QString err;
};

class CommandLineTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir profiles_;

    void start(QProcess& process, const QStringList& arguments, const QString& script,
               const QString& profileDir = QString()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LUMORA_CAMERA", "simulated");
        env.insert("LUMORA_SIM_SCRIPT", script.isEmpty() ? QStringLiteral("latency=0us") : script);
        env.insert("LUMORA_PROFILE_DIR", profileDir.isEmpty() ? profiles_.path() : profileDir);
        env.remove("DISPLAY");
        env.remove("QT_QPA_PLATFORM");  // no display is needed
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationDirPath() + "/lumora-x8-settings", arguments);
    }

    Result finish(QProcess& process) {
        if (!process.waitForFinished(60000))
            process.kill();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    Result run(const QStringList& arguments, const QString& script = QString(),
               const QString& profileDir = QString()) {
        QProcess process;
        start(process, arguments, script, profileDir);
        return finish(process);
    }

    void writeFile(const QString& path, const QByteArray& text) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    QByteArray readFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QJsonObject json(const Result& result) { return QJsonDocument::fromJson(result.out.toUtf8()).object(); }

    // A firmware image 1.minor.0 in the profile folder; damaged: a payload byte flipped.
    void writeImage(const char* name, int minor, bool damaged = false) {
        std::vector<uint8_t> image = fwtest::imageOf(1, minor, 0, 40000);
        if (damaged)
            image.back() ^= 0xFF;
        fwtest::writeFile(profiles_, name, image);
    }

private slots:
    void initTestCase() {
        setLogEcho(false);
        qputenv("LUMORA_PROFILE_DIR", profiles_.path().toUtf8());
        writeImage("newer.bin", 3);
        writeImage("older.bin", 2);
        writeImage("damaged.bin", 3, true);
        writeFile(profiles_.filePath("foreign.bin"), QByteArray(40000, 'x'));  // not the camera's format
        for (const Framing& framing : {Framing{"Front row", 300, 8, -3}, Framing{"Wide", 100, 8, 0}})
            QVERIFY(storeFraming(framingsPathFor("LX8A2412000137"), "LX8A2412000137", framing, nullptr));
    }

    void exitCodesAndMessages_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("output");  // a regular expression over stdout + stderr
        const auto row = [](const char* name, QStringList arguments, const char* script, int code,
                            const QString& output) {
            QTest::newRow(name) << arguments << QString::fromLatin1(script) << code << output;
        };
        // The project's version, each part with or without leading zeros.
        row("version", {"--version"}, "", kExitDone,
            "^lumora-x8-settings 0*" + QStringLiteral(LUMORA_PROJECT_VERSION).split('.').join("\\.0*") +
                "\\n$");
        row("unknown option", {"--shininess"}, "", kExitBadArgument, "Unknown option 'shininess'");
        row("option value missing", {"--save-profile"}, "", kExitBadArgument,
            "Missing value after '--save-profile'");
        row("unknown backend", {"--get", "--camera=nonesuch"}, "", kExitBadArgument, "nonesuch");
        row("list", {"--list"}, "", kExitDone,
            "0: Lumora X8  backend simulated .* serial LX8A2412000137  firmware 1.2.3");
        row("list duplicate", {"--list"}, "duplicate", kExitDone, "0: Lumora X8.*\\n1: Lumora X8");
        row("get one", {"--get", "brightness"}, "", kExitDone,
            "^brightness +\\d+ \\(\\d+\\.\\.\\d+, default \\d+\\)\\n$");
        row("set in range", {"--set", "contrast=90", "hdr=1"}, "", kExitDone, "contrast +90 .*\\nhdr +1 ");
        row("out of range", {"--set", "brightness=100000"}, "", kExitRefused,
            "brightness=100000 is outside .*nothing was set");
        row("vendor range", {"--set", "auto-zoom-level=9"}, "", kExitRefused,
            "auto-zoom-level=9 is outside 0..4");
        row("unknown name", {"--set", "shininess=1"}, "", kExitBadArgument, "unknown control 'shininess'");
        row("unknown get", {"--get", "shininess"}, "", kExitBadArgument, "unknown control 'shininess'");
        row("malformed", {"--set", "brightness"}, "", kExitBadArgument, "malformed 'brightness'");
        row("not a number", {"--set", "brightness=bright"}, "", kExitBadArgument,
            "'bright' is not a whole number");
        row("number too large", {"--set", "brightness=99999999999999999999"}, "", kExitBadArgument,
            "'99999999999999999999' is out of range");
        row("off the step", {"--set", "brightness=120", "white-balance-auto=0", "white-balance=4605"}, "",
            kExitRefused, "white-balance=4605 is off the step of 10 .*nearest 4600 or 4610.*nothing was set");
        row("step shown", {"--get", "white-balance"}, "", kExitDone,
            "^white-balance +4600 \\(2000\\.\\.7500 step 10, default 4600\\)\\n$");
        row("silent unit, standard control", {"--set", "brightness=3"}, "xu-from=0", kExitDone,
            "^brightness +3 ");
        row("silent unit, vendor control", {"--set", "brightness=3", "hdr=1"}, "xu-from=0", kExitNoCamera,
            "vendor controls \\(hdr\\) cannot be reached.*nothing was set");
        row("export to -", {"--save-profile", "-"}, "", kExitFailed, "'-' is not standard output");
        row("export to a missing folder", {"--save-profile", "/nonesuch/p.ini"}, "", kExitFailed,
            "folder /nonesuch does not exist");
        row("two actions", {"--get", "--list"}, "", kExitBadArgument, "choose one of");
        row("no camera", {"--get"}, "unplugged", kExitNoCamera, "no Lumora X8 found");
        row("several cameras", {"--get", "hdr"}, "duplicate", kExitBadArgument,
            "2 cameras found: choose one with --device");
        row("device chosen", {"--get", "hdr", "--device=1"}, "duplicate", kExitDone, "^hdr +0 ");
        const QString images = profiles_.path() + "/";
        row("update", {"--firmware-update", images + "newer.bin"}, "reboot=300ms", kExitDone,
            "firmware updated to 1.3.0");
        row("update not newer", {"--firmware-update", images + "older.bin"}, "", kExitUpdateFailed,
            "not newer than the camera's firmware 1.2.3");
        row("update damaged", {"--firmware-update", images + "damaged.bin"}, "", kExitUpdateFailed,
            "the camera did not accept the firmware image it received");
        row("update foreign format", {"--firmware-update", images + "foreign.bin"}, "", kExitUpdateFailed,
            "the camera did not accept the firmware file");
        row("update not a file", {"--firmware-update", images}, "", kExitUpdateFailed,
            "not a regular file; nothing was sent");
        row("diagnose to a folder", {"--diagnose", images}, "", kExitFailed,
            "cannot write diagnostic bundle .*: .*not a regular file");
        row("update flash fails", {"--firmware-update", images + "newer.bin"}, "flash-fails",
            kExitUpdateFailed, "reported a failure");
        row("device unknown", {"--get", "hdr", "--device=7"}, "duplicate", kExitNoCamera,
            "no Lumora X8 matches --device=7");
        // Named framings (saved, renamed and applied in the window: tests/app/tst_framings.cpp).
        row("preset unknown", {"--preset", "nonesuch"}, "", kExitBadArgument, "no preset named 'nonesuch'");
        row("preset without a name", {"--save-preset", " "}, "", kExitBadArgument, "a preset needs a name");
        row("preset saved from the camera", {"--save-preset", "Back row"}, "", kExitDone,
            "^saved preset Back row  zoom 100  pan 0  tilt 0\n$");
        // The camera's framing just saved is listed after the stored ones.
        row("presets listed", {"--list-presets"}, "", kExitDone,
            "^Front row  zoom 300  pan 8  tilt -3\nWide  zoom 100  pan 8  tilt 0\nBack row  zoom 100  pan 0  "
            "tilt 0\n$");
        row("presets listed as JSON", {"--list-presets", "--json"}, "", kExitDone,
            "\"presets\": \\[\\s*\\{\\s*\"name\": \"Front row\",\\s*\"pan\": 8,");
        row("preset applied zoom first", {"--preset", "Front row"}, "digital-ptz", kExitDone,
            "zoom +300 .*\npan +8 .*\ntilt +-3 ");
        // Its pan moves only a zoomed-in view: the camera keeps 0, and says so.
        row("preset not kept", {"--preset", "Wide"}, "digital-ptz", kExitRefused,
            "pan holds 0 \\(asked for 8\\)");
        // Another application streams: every command works on the controls and the unit.
        row("set during a call", {"--set", "brightness=150", "auto-zoom=1"}, "in-use", kExitDone,
            "brightness +150 .*\nauto-zoom +1 ");
        row("update during a call", {"--firmware-update", images + "newer.bin"}, "in-use; reboot=300ms",
            kExitDone, "firmware updated to 1.3.0");
        row("no permission", {"--get"}, "denied", kExitDenied, "no permission .*uaccess.*group video");
    }

    void exitCodesAndMessages() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, script);
        QFETCH(int, code);
        QFETCH(QString, output);
        const Result result = run(QStringList{"--no-profile"} + arguments, script);
        QCOMPARE(result.code, code);
        const QString text = code == kExitDone ? result.out : result.err;
        QVERIFY2(QRegularExpression(output).match(text).hasMatch(), qPrintable(result.out + result.err));
        // No answer, only the error line (an update that fails after the transfer shows its
        // progress, a preset the camera did not keep what it holds).
        if (code != kExitDone && code != kExitUpdateFailed && !arguments.contains("--preset"))
            QVERIFY2(result.out.isEmpty(), qPrintable(result.out));
    }

    // On a terminal the transfer's bar is drawn once per percentage it shows. A quit once the
    // camera was told to start: the command says what the camera does and how to check it,
    // and the camera comes back with the new firmware on its own.
    void terminalProgressAndAQuitWhileTheCameraFlashes() {
        int terminal = -1;
        const QByteArray program =
            QFile::encodeName(QCoreApplication::applicationDirPath() + "/lumora-x8-settings");
        const QByteArray image = QFile::encodeName(profiles_.filePath("newer.bin"));
        struct termios raw = {};
        ::cfmakeraw(&raw);  // the bytes as the program wrote them
        const pid_t child = ::forkpty(&terminal, nullptr, &raw, nullptr);
        QVERIFY(child >= 0);
        if (child == 0) {
            ::setenv("LUMORA_CAMERA", "simulated", 1);
            ::setenv("LUMORA_SIM_SCRIPT", "latency=0us; reboot=60s", 1);
            ::execl(program.constData(), program.constData(), "--no-profile", "--firmware-update",
                    image.constData(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        QByteArray shown;
        char buffer[4096];
        ssize_t got = 0;
        bool quit = false;
        while ((got = ::read(terminal, buffer, sizeof buffer)) > 0) {
            shown.append(buffer, int(got));
            if (!quit && shown.contains("image sent"))
                quit = ::kill(child, SIGTERM) == 0;
        }
        ::close(terminal);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(quit && WIFEXITED(status), shown.constData());
        QCOMPARE(WEXITSTATUS(status), int(kExitCameraLost));
        QVERIFY2(shown.contains("installs its new firmware") && shown.contains("--list"), shown.constData());
        QSet<QByteArray> percentages;
        const QList<QByteArray> redraws = shown.left(shown.indexOf("image sent")).split('\r');
        for (const QByteArray& redraw : redraws.mid(1))
            percentages.insert(redraw.mid(redraw.indexOf(']') + 1, 5).trimmed());
        QVERIFY2(redraws.size() > 2, shown.constData());
        QCOMPARE(redraws.size() - 1, percentages.size());
    }

    void jsonAnswersHaveTheirShape() {
        const QJsonArray cameras = json(run({"--list", "--json"}))["cameras"].toArray();
        QCOMPARE(cameras.size(), 1);
        QCOMPARE(cameras[0]["serial"].toString(), QStringLiteral("LX8A2412000137"));
        QCOMPARE(cameras[0]["backend"].toString(), QStringLiteral("simulated"));

        const QJsonObject all = json(run({"--get", "--json", "--no-profile"}));
        const QJsonArray controls = all["controls"].toArray();
        QCOMPARE(controls.size(), 21);
        for (const QJsonValue& control : controls) {
            const int value = control["value"].toInt();
            const int min = control["min"].toInt();
            const int step = control["step"].toInt();
            QVERIFY2(
                min <= value && value <= control["max"].toInt() && step >= 1 && (value - min) % step == 0,
                qPrintable(control["name"].toString()));
        }
        QCOMPARE(all["camera"]["firmware"].toString(), QStringLiteral("1.2.3"));
    }

    // Each run starts a fresh simulated camera at its own defaults, as a replugged camera
    // would: the stored profile brings the settings back unless --no-profile says not to
    // (applied zoom first, and the white balance with its mode: tests/session).
    void settingsFollowTheCameraThroughItsProfile() {
        QCOMPARE(run({"--set", "brightness=150"}).code, kExitDone);
        QVERIFY(QFile::exists(profilePathFor("LX8A2412000137")));
        QVERIFY(run({"--get", "brightness"}).out.contains(QRegularExpression("^brightness +150 ")));
        QVERIFY(!run({"--get", "brightness", "--no-profile"}).out.contains(" 150 "));

        const QString exported = profiles_.filePath("exported.ini");
        QCOMPARE(run({"--save-profile", exported}).code, kExitDone);
        QVERIFY(QFile::remove(profilePathFor("LX8A2412000137")));
        const Result loaded = run({"--load-profile", exported, "--json"});
        QCOMPARE(loaded.code, kExitDone);
        bool found = false;
        for (const QJsonValue& control : json(loaded)["controls"].toArray())
            found |= control["name"] == "brightness" && control["value"] == 150;
        QVERIFY2(found, qPrintable(loaded.out));
    }

    void profileLoadsWhatItCanAndSaysWhatItSkipped() {
        const QString path = profiles_.filePath("odd.ini");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "[profile]\nformat=9\n[controls]\nsaturation=120\nshininess=3\nhue=warm\nsharpness=100000\n"
            "gamma=99999999999999999999\n[lenses]\nfocus=1\n[controls]\nbell\x07\x1b[2J=1\n");
        for (int i = 0; i < 2000; ++i)
            file.write(QByteArray("unknown") + QByteArray::number(i) + "=1\n");
        file.close();
        const Result result = run({"--load-profile", path, "--no-profile"});
        QCOMPARE(result.code, kExitDone);
        QVERIFY(result.out.contains(QRegularExpression("saturation +120 ")));
        for (const char* said :
             {"format 9 is newer", "shininess: unknown control", "hue: 'warm' is not a whole number",
              "gamma: '99999999999999999999' is out of range", "sharpness=100000 is outside",
              "lenses/focus: not a control", "bell\\x07\\x1b[2J: unknown control", "more entries skipped"})
            QVERIFY2(result.err.contains(QLatin1String(said)), said);
        // The file's text reaches the terminal escaped, and the skipped lines are capped.
        QVERIFY(!result.err.contains(QChar(0x1b)) && !result.err.contains(QChar(0x07)));
        QVERIFY2(result.err.count('\n') <= kMaxSkippedLines + 5, qPrintable(result.err));

        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[controls]\nshininess=3\n");
        file.close();
        QCOMPARE(run({"--load-profile", path}).code, kExitBadArgument);
        QCOMPARE(run({"--load-profile", profiles_.filePath("missing.ini")}).code, kExitBadArgument);
    }

    void cameraLostMidCommandAnswersSix() {
        std::shared_ptr<device::sim::SimCamera> sim = device::sim::installSimulatedCamera();
        // Its stored profile holds what it holds, so the first job is the --set.
        const QString path = profilePathFor("LX8A2412000137");
        writeFile(path, profileText({"LX8A2412000137", {{"brightness", 100}}}));
        // The camera is pulled out just as the worker applies the first value.
        QVERIFY(SettingTaskEngine::instance().setJobObserver([sim](const SettingJob&) { sim->unplug(); }));
        CliRequest request;
        request.action = CliRequest::Action::Set;
        request.assignments = QStringList{"brightness=120"};
        QCOMPARE(runCommandLine(request), int(kExitCameraLost));
        QVERIFY(SettingTaskEngine::instance().setJobObserver({}));
        QCOMPARE(sim->runningStreams(), 0);  // the stream was released
        QCOMPARE(loadProfile(path).profile.values, (std::map<std::string, int>{{"brightness", 100}}));
    }

    void concurrentWritersKeepEachOthersValues() {
        QTemporaryDir folder;
        const QStringList sets{"brightness=11", "contrast=22", "hue=33", "saturation=44", "sharpness=55"};
        std::vector<std::unique_ptr<QProcess>> writers;
        for (const QString& set : sets) {
            writers.push_back(std::make_unique<QProcess>());
            start(*writers.back(), {"--set", set}, QString(), folder.path());
        }
        for (auto& writer : writers)
            QCOMPARE(finish(*writer).code, int(kExitDone));
        const QByteArray text = readFile(folder.filePath("LX8A2412000137.ini"));
        for (const QString& set : sets)
            QVERIFY2(text.contains(set.toUtf8() + '\n'), text.constData());
    }

    // Where a profile can be written: the camera's own file changes only the keys stored
    // (brightness and hdr; other values, a newer format and unknown keys stay), an exported
    // one is written whole (a hard-linked file in place, so both names see it). Where it
    // cannot be, nothing is written, and the command line says what was not stored.
    void profileWrites_data() {
        QTest::addColumn<QString>("target");  // what stands at the path before
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("exported");     // else stored
        QTest::addColumn<QByteArray>("after");  // empty: refused
        const QByteArray whole(
            "[profile]\nformat=1\nserial=S1\n\n[controls]\nbrightness=150\ncontrast=100\nhdr=1\n");
        const auto row = [](const char* name, const char* target, const char* before, bool exported,
                            const QByteArray& after) {
            QTest::newRow(name) << QString(target) << QByteArray(before) << exported << after;
        };
        row("stored, no profile yet", "", "", false, whole);
        row("stored beside other values, a newer format and unknown keys", "",
            "[profile]\nformat=2\nserial=S1\nowner=ann\n[controls]\nfocus-mode=3 ; later\ncontrast=7\n"
            "brightness = 9\n\n[lenses]\nwide=1\n",
            false,
            "[profile]\nformat=2\nserial=S1\nowner=ann\n[controls]\nfocus-mode=3 ; later\ncontrast=7\n"
            "brightness=150\nhdr=1\n\n[lenses]\nwide=1\n");
        row("stored in a file without sections", "", "gain=1\n; hand-written\n", false,
            "gain=1\n; "
            "hand-written\n\n[controls]\nbrightness=150\nhdr=1\n\n[profile]\nformat=1\nserial=S1\n");
        row("exported to a new file", "", "", true, whole);
        row("exported over a file", "", "old\n", true, whole);
        row("exported into a hard link", "hard link", "old\n", true, whole);
        row("exported to a FIFO", "fifo", "", true, {});
        row("stored, folder is a file", "folder is a file", "", false, {});
        row("stored, path is a folder", "path is a folder", "", false, {});
        row("stored, read-only folder", "read-only folder", "", false, {});
    }
    void profileWrites() {
        QFETCH(QString, target);
        QFETCH(QByteArray, before);
        QFETCH(bool, exported);
        QFETCH(QByteArray, after);
        QTemporaryDir parent;
        const QString folder = parent.filePath("profiles");
        const QString path = folder + "/LX8A2412000137.ini", other = folder + "/other-name.ini";
        if (target == "folder is a file")
            writeFile(folder, "not a folder");
        else
            QVERIFY(QDir().mkpath(target == "path is a folder" ? path : folder));
        if (!before.isEmpty())
            writeFile(path, before);
        if (target == "hard link")
            QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
        if (target == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (target == "read-only folder") {
            if (::geteuid() == 0)
                QSKIP("root writes into a read-only folder");
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        if (!exported && after.isEmpty()) {  // the command line's store, as it runs
            const Result result = run({"--set", "brightness=120", "hdr=1"}, QString(), folder);
            QFile::setPermissions(folder,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QCOMPARE(result.code, int(kExitFailed));
            QVERIFY2(result.err.contains("brightness, hdr not stored"), qPrintable(result.err));
            return;
        }
        const CameraProfile profile{"S1", {{"brightness", 150}, {"contrast", 100}, {"hdr", 1}}};
        QString error;
        QCOMPARE(exported ? exportProfile(path, profile, &error)
                          : storeProfile(path, profile, {"brightness", "hdr"}, &error),
                 !after.isEmpty());
        if (after.isEmpty()) {
            QVERIFY2(error.contains("not a regular file"), qPrintable(error));
            QVERIFY(!QFileInfo(path).isFile());  // left as it was
            return;
        }
        QCOMPARE(readFile(path), after);
        if (target == "hard link")
            QCOMPARE(readFile(other), after);  // one file under both names still
    }

    void interruptedProfileWriteKeepsTheOldProfile() {
        const QString path = profiles_.filePath("kept.ini");
        QVERIFY(storeProfile(path, {"S1", {{"brightness", 110}}}, {"brightness"}, nullptr));
        const pid_t child = fork();
        if (child == 0) {
            storeProfile(path, {"S1", {{"brightness", 190}, {"contrast", 50}}}, {"brightness", "contrast"},
                         nullptr, [] { ::_exit(9); });
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 9);  // it died before the new file replaced the old one
        const ProfileLoad load = loadProfile(path);
        QVERIFY(load.readable);
        QCOMPARE(load.profile.values, (std::map<std::string, int>{{"brightness", 110}}));
    }
};

}  // namespace

QTEST_MAIN(CommandLineTest)
#include "tst_command_line.moc"
