// The command-line mode as a script uses it: the real program on the simulated camera,
// its exit codes, its text and JSON answers, profiles that follow the camera; and, in
// process, a camera that vanishes in the middle of a command, a profile write that is
// cut short, and the window giving a replugged camera its profile back.
#include <sys/wait.h>
#include <unistd.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "app/camera_profile.h"
#include "app/cli_request.h"
#include "app/cli_run.h"
#include "base/debug_log.h"
#include "device/sim/fw_image.h"
#include "device/sim/sim_camera.h"
#include "engine/setting_task_engine.h"
#include "tst_mainwindow_fixture.h"

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

    Result run(const QStringList& arguments, const QString& script = QString()) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LUMORA_CAMERA", "simulated");
        env.insert("LUMORA_SIM_SCRIPT", script.isEmpty() ? QStringLiteral("latency=0us") : script);
        env.insert("LUMORA_PROFILE_DIR", profiles_.path());
        env.remove("DISPLAY");
        env.remove("QT_QPA_PLATFORM");  // no display is needed
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationDirPath() + "/lumora-x8-settings", arguments);
        if (!process.waitForFinished(60000))
            process.kill();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QJsonObject json(const Result& result) { return QJsonDocument::fromJson(result.out.toUtf8()).object(); }

    // A firmware image 1.minor.0 in the profile folder; damaged: a payload byte flipped.
    void writeImage(const char* name, uint32_t minor, bool damaged = false) {
        std::vector<uint8_t> image =
            device::sim::buildFwImage(device::sim::makeHeaderVersion(1, minor, 0),
                                      "1." + std::to_string(minor) + ".0", std::vector<uint8_t>(40000, 0x5A));
        if (damaged)
            image.back() ^= 0xFF;
        QFile file(profiles_.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    }

private slots:
    void initTestCase() {
        setLogEcho(false);
        qputenv("LUMORA_PROFILE_DIR", profiles_.path().toUtf8());
        writeImage("newer.bin", 3);
        writeImage("older.bin", 2);
        writeImage("damaged.bin", 3, true);
        QFile foreign(profiles_.filePath("foreign.bin"));  // not the simulated camera's format
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write(QByteArray(40000, 'x'));
    }

    void exitCodesAndMessages_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("output");  // a regular expression over stdout + stderr
        const auto row = [](const char* name, QStringList arguments, const char* script, int code,
                            const char* output) {
            QTest::newRow(name) << arguments << QString::fromLatin1(script) << code
                                << QString::fromLatin1(output);
        };
        row("version", {"--version"}, "", kExitDone, "^lumora-x8-settings 1\\.00\\.00\\n$");
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
        row("update start answer lost", {"--firmware-update", images + "newer.bin"},
            "reboot=300ms; start-answer-lost", kExitDone, "firmware updated to 1.3.0");
        row("update flash fails", {"--firmware-update", images + "newer.bin"}, "flash-fails",
            kExitUpdateFailed, "reported a failure");
        row("device unknown", {"--get", "hdr", "--device=7"}, "duplicate", kExitNoCamera,
            "no Lumora X8 matches --device=7");
    }

    void exitCodesAndMessages() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, script);
        QFETCH(int, code);
        QFETCH(QString, output);
        const Result result = run(arguments << "--no-profile", script);
        QCOMPARE(result.code, code);
        const QString text = code == kExitDone ? result.out : result.err;
        QVERIFY2(QRegularExpression(output).match(text).hasMatch(), qPrintable(result.out + result.err));
        // No answer, only the error line (an update that fails after the transfer shows its progress).
        if (code != kExitDone && code != kExitUpdateFailed)
            QVERIFY2(result.out.isEmpty(), qPrintable(result.out));
    }

    // A quit once the camera was told to start: the command says what the camera does and
    // how to check it, and the camera comes back with the new firmware on its own.
    void quitWhileTheCameraFlashesSaysSo() {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LUMORA_CAMERA", "simulated");
        env.insert("LUMORA_SIM_SCRIPT", "reboot=60s");
        env.insert("LUMORA_PROFILE_DIR", profiles_.path());
        env.remove("DISPLAY");
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationDirPath() + "/lumora-x8-settings",
                      {"--firmware-update", profiles_.filePath("newer.bin"), "--no-profile"});
        QByteArray out;
        while (!out.contains("image sent") && process.waitForReadyRead(30000))
            out += process.readAllStandardOutput();
        QVERIFY2(out.contains("image sent"), out.constData());
        process.terminate();  // SIGTERM
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), int(kExitCameraLost));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(err.contains("installs its new firmware") && err.contains("--list"), qPrintable(err));
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
            QVERIFY2(control["min"].toInt() <= value && value <= control["max"].toInt(),
                     qPrintable(control["name"].toString()));
        }
        QCOMPARE(all["camera"]["firmware"].toString(), QStringLiteral("1.2.3"));
    }

    void settingsFollowTheCameraThroughItsProfile() {
        // Each run starts a fresh simulated camera at its own defaults, as a replugged camera
        // would: the stored profile brings the settings back.
        QCOMPARE(run({"--set", "brightness=150", "white-balance-auto=0", "white-balance=5000"}).code,
                 kExitDone);
        QVERIFY(QFile::exists(profilePathFor("LX8A2412000137")));
        const Result back = run({"--get", "brightness", "white-balance-auto", "white-balance"});
        QVERIFY2(back.out.contains(QRegularExpression(
                     "brightness +150 .*\\nwhite-balance-auto +0 .*\\nwhite-balance +5000 ")),
                 qPrintable(back.out));
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
            "[lenses]\nfocus=1\n");
        file.close();
        const Result result = run({"--load-profile", path, "--no-profile"});
        QCOMPARE(result.code, kExitDone);
        QVERIFY(result.out.contains(QRegularExpression("saturation +120 ")));
        for (const char* said :
             {"format 9 is newer", "shininess: unknown control", "hue: 'warm' is not a whole number",
              "sharpness=100000 is outside", "lenses/focus: not a control"})
            QVERIFY2(result.err.contains(QLatin1String(said)), said);

        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[controls]\nshininess=3\n");
        file.close();
        QCOMPARE(run({"--load-profile", path}).code, kExitBadArgument);
        QCOMPARE(run({"--load-profile", profiles_.filePath("missing.ini")}).code, kExitBadArgument);
    }

    void cameraLostMidCommandAnswersSix() {
        std::shared_ptr<device::sim::SimCamera> sim = device::sim::installSimulatedCamera();
        // The camera is pulled out just as the worker applies the first value.
        QVERIFY(SettingTaskEngine::instance().setJobObserver([sim](const SettingJob&) { sim->unplug(); }));
        CliRequest request;
        request.action = CliRequest::Action::Set;
        request.assignments = QStringList{"brightness=120"};
        request.noProfile = true;
        QCOMPARE(runCommandLine(request), int(kExitCameraLost));
        QVERIFY(SettingTaskEngine::instance().setJobObserver({}));
        QCOMPARE(sim->runningStreams(), 0);  // the stream was released
    }

    void interruptedProfileWriteKeepsTheOldProfile() {
        const QString path = profiles_.filePath("kept.ini");
        QVERIFY(saveProfile(path, {"S1", {{"brightness", 110}}}, nullptr));
        const pid_t child = fork();
        if (child == 0) {
            saveProfile(path, {"S1", {{"brightness", 190}, {"contrast", 50}}}, nullptr, [] { ::_exit(9); });
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 9);  // it died before the new file replaced the old one
        const ProfileLoad load = loadProfile(path);
        QVERIFY(load.readable);
        QCOMPARE(load.profile.values, (std::map<std::string, int>{{"brightness", 110}}));
    }
    void windowReappliesTheProfileAfterAReplug() {
        using namespace window_test;
        using device::ControlGroup;
        const QString path = profilePathFor("LX8A2412000137");
        QFile::remove(path);
        setCameraProfilesEnabled(true);
        {
            Rig rig;
            QVERIFY(rig.connect());
            QVERIFY(loadProfile(path).readable);  // the camera's first values, stored at once
            rig.window->controlBrightness(170);   // as the settings page sends it
            rig.window->controlWBMode(false);
            QVERIFY(SettingTaskEngine::instance().waitUntilIdle(std::chrono::seconds(2)));
            QTRY_COMPARE_WITH_TIMEOUT(loadProfile(path).profile.values["brightness"], 170, 3000);
            QTRY_COMPARE_WITH_TIMEOUT(loadProfile(path).profile.values["white-balance-auto"], 0, 3000);

            rig.camera->unplug();
            QVERIFY(tickUntil(*rig.window, isSearching));
            // It comes back with its own values, as after a power cycle.
            rig.camera->setControl(ControlGroup::VideoProcAmp, device::kProcBrightness,
                                   {100, device::kFlagsManual});
            rig.camera->setControl(ControlGroup::VideoProcAmp, device::kProcWhiteBalance,
                                   {4600, device::kFlagsAuto});
            rig.camera->plug();
            QVERIFY(rig.connect());
            QVERIFY(SettingTaskEngine::instance().waitUntilIdle(std::chrono::seconds(2)));
            QCOMPARE(rig.camera->control(ControlGroup::VideoProcAmp, device::kProcBrightness).value, 170L);
            QCOMPARE(rig.camera->control(ControlGroup::VideoProcAmp, device::kProcWhiteBalance).flags,
                     long(device::kFlagsManual));
            QCOMPARE(currentValues().brightness.load(), 170);

            rig.window->resetSettings();  // a factory reset forgets it
            QVERIFY(!QFile::exists(path));
        }
        setCameraProfilesEnabled(false);
    }
};

}  // namespace

QTEST_MAIN(CommandLineTest)
#include "tst_command_line.moc"
