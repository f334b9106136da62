// APSet.ini: where it is looked for, how its integer keys are read, what start-up logs.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "base/app_config.h"
#include "base/read_config.h"
#include "support/log_capture.h"

class ConfigTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    std::string writeIni(const QByteArray& content) {
        const QString path = dir_.filePath(QStringLiteral("APSet.ini"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(content);
        return path.toStdString();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        // No configuration of the user or the system may reach the cases below.
        qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("no-user")).toUtf8());
        qputenv("XDG_CONFIG_DIRS", dir_.filePath(QStringLiteral("no-system")).toUtf8());
    }

    void iniPathIsBesideTheExecutable() {
        const std::pair<const char*, const char*> cases[] = {
            {"/opt/lumora/bin/lumora-x8-settings", "/opt/lumora/bin/APSet.ini"},
            {"C:\\tools\\x8.exe", "C:\\tools/APSet.ini"},            // backslashes
            {"/a\\b/c", "/a\\b/APSet.ini"},                          // the last separator wins
            {"/prog", "/APSet.ini"},                                 // root
            {"lumora-x8-settings", "lumora-x8-settings/APSet.ini"},  // none: the whole path
            {"", "/APSet.ini"}};
        for (const auto& [exe, ini] : cases)
            QCOMPARE(iniPathFor(exe), std::string(ini));
        QCOMPARE(QString::fromStdString(executablePath()), QCoreApplication::applicationFilePath());
    }

    void integerValues_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << QByteArray("1920") << 1920;
        QTest::newRow("plus sign") << QByteArray("+30") << 30;
        QTest::newRow("minus sign") << QByteArray("-12") << -12;
        QTest::newRow("leading blanks") << QByteArray("   \t 1080") << 1080;
        QTest::newRow("blanks after sign are not digits") << QByteArray("- 5") << 0;
        QTest::newRow("stops at first non-digit") << QByteArray("12abc") << 12;
        QTest::newRow("leading zeros are decimal") << QByteArray("010") << 10;
        QTest::newRow("empty value is no value") << QByteArray("  ") << 99;
        QTest::newRow("double quotes") << QByteArray("\"25\"") << 25;
        QTest::newRow("single quotes") << QByteArray("'-3'") << -3;
        QTest::newRow("unmatched quote") << QByteArray("\"25") << 0;
        QTest::newRow("trailing comment text") << QByteArray("7 ; on") << 7;
        QTest::newRow("overlong wraps, never traps") << QByteArray("4294967297") << 1;
    }
    void integerValues() {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        const std::string ini = writeIni("[Config]\ndefaultFps=" + value + "\n");
        QCOMPARE(readProfileInt(ini, "Config", "defaultFps", 99), expected);
    }

    void sectionsKeysAndLines() {
        const std::string ini = writeIni(
            "; comment line\r\n"
            "[Other]\r\n"
            "defaultWidth=111\r\n"
            "  [ config ]  \r\n"
            "   DEFAULTWIDTH  =  1280  \r\n"
            "debug\r\n"
            "defaultHeight=720\r\n"
            "defaultHeight=360\r\n"
            "[Later]\r\n"
            "defaultFps=15\r\n");
        QCOMPARE(readProfileInt(ini, "Config", "defaultWidth", 0), 1280);  // names match without case
        QCOMPARE(readProfileInt(ini, "Config", "defaultHeight", 0), 720);  // first occurrence counts
        QCOMPARE(readProfileInt(ini, "Config", "defaultFps", 0), 0);       // key of another section
        QCOMPARE(readProfileInt(ini, "Config", "debug", 5), 5);            // line without '='
        QCOMPARE(readProfileInt(ini, "Config", "noSuchKey", 7), 7);
        QCOMPARE(readProfileInt(ini, "Missing", "defaultWidth", 7), 7);
        QCOMPARE(readProfileInt(dir_.filePath("nothing-here.ini").toStdString(), "Config", "debug", 42), 42);
    }

    // The user's folder, then the system's folders in their order, then beside the
    // executable: the first file that exists is read into the configuration, and the log
    // names it and the debug mode (any non-zero is on). Each file sets defaultWidth to its
    // place in places, the height and rate from it, and debug as the row says.
    void firstFolderWithTheFileWins_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("read");  // "" for none: beside, all defaults
        QTest::addColumn<bool>("xdgConfigHome");
        QTest::addColumn<int>("debug");
        QTest::newRow("user first, debug 7 is on")
            << QStringList{"user", "sys1", "sys2", "bin"} << "user" << true << 7;
        QTest::newRow("system folders in order, debug 0 is off")
            << QStringList{"sys1", "sys2", "bin"} << "sys1" << true << 0;
        QTest::newRow("beside; ~/.config unused, debug -1 is on")
            << QStringList{"bin", "home"} << "bin" << true << -1;
        QTest::newRow("~/.config without XDG_CONFIG_HOME")
            << QStringList{"home", "sys1"} << "home" << false << 0;
        QTest::newRow("none") << QStringList{} << "" << true << 0;
    }
    void firstFolderWithTheFileWins() {
        QFETCH(QStringList, present);
        QFETCH(QString, read);
        QFETCH(bool, xdgConfigHome);
        QFETCH(int, debug);
        const QStringList places{"user", "sys1", "sys2", "bin", "home"};
        QTemporaryDir root;
        const auto fileOf = [&root](const QString& place) {
            return root.filePath(place == "bin"    ? "bin/APSet.ini"
                                 : place == "home" ? "home/.config/lumora-x8-settings/APSet.ini"
                                                   : place + "/lumora-x8-settings/APSet.ini");
        };
        for (const QString& place : present) {
            QFile file(fileOf(place));
            QVERIFY(QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly));
            const int n = places.indexOf(place) + 1;
            file.write(
                QStringLiteral("[Config]\ndebug=%1\ndefaultWidth=%2\ndefaultHeight=%3\ndefaultFps=%4\n")
                    .arg(debug)
                    .arg(n)
                    .arg(n * 10)
                    .arg(n * 100)
                    .toUtf8());
        }
        const QByteArray saved[] = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME"), qgetenv("XDG_CONFIG_DIRS")};
        qputenv("HOME", root.filePath("home").toUtf8());
        xdgConfigHome ? qputenv("XDG_CONFIG_HOME", root.filePath("user").toUtf8())
                      : qunsetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_DIRS", (root.filePath("sys1") + ":relative:" + root.filePath("sys2")).toUtf8());
        AppConfig& config = appConfig();
        config.debug = debug == 0;
        config.defaultWidth = config.defaultHeight = config.defaultFps = -5;
        LogCapture log;
        QVERIFY(readConfigFor(root.filePath("bin/lumora-x8-settings").toStdString()));
        qputenv("HOME", saved[0]);
        qputenv("XDG_CONFIG_HOME", saved[1]);
        qputenv("XDG_CONFIG_DIRS", saved[2]);
        const QString ini = fileOf(read.isEmpty() ? "bin" : read);
        QCOMPARE(log.writes(), (std::vector<std::string>{"iniFilePath: " + ini.toStdString() + "\n",
                                                         debug ? "debugMode: 1\n" : "debugMode: 0\n"}));
        QCOMPARE(config.debug, debug != 0);
        const int n = places.indexOf(read) + 1;
        QCOMPARE(config.defaultWidth, n);
        QCOMPARE(config.defaultHeight, n * 10);
        QCOMPARE(config.defaultFps, n * 100);
    }
};

QTEST_MAIN(ConfigTest)
#include "tst_config.moc"
