// APSet.ini: where it is looked for, how its integer keys are read, what start-up logs.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "app/app_config.h"
#include "app/read_config.h"
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
    std::string exeInDir() const { return dir_.filePath(QStringLiteral("lumora-x8-settings")).toStdString(); }
    static void resetConfig() {
        AppConfig& c = appConfig();
        c.debug = true;
        c.defaultWidth = c.defaultHeight = c.defaultFps = -5;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void iniPathIsBesideTheExecutable_data() {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("ini");
        QTest::newRow("unix") << "/opt/lumora/bin/lumora-x8-settings"
                              << "/opt/lumora/bin/APSet.ini";
        QTest::newRow("backslashes") << "C:\\tools\\x8.exe"
                                     << "C:\\tools/APSet.ini";
        QTest::newRow("last separator wins") << "/a\\b/c"
                                             << "/a\\b/APSet.ini";
        QTest::newRow("root") << "/prog"
                              << "/APSet.ini";
        QTest::newRow("no separator keeps whole path") << "lumora-x8-settings"
                                                       << "lumora-x8-settings/APSet.ini";
        QTest::newRow("empty") << ""
                               << "/APSet.ini";
    }
    void iniPathIsBesideTheExecutable() {
        QFETCH(QString, exe);
        QFETCH(QString, ini);
        QCOMPARE(QString::fromStdString(iniPathFor(exe.toStdString())), ini);
    }

    void executablePathIsTheRunningProgram() {
        QCOMPARE(QString::fromStdString(executablePath()), QCoreApplication::applicationFilePath());
    }

    void integerValues_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << QByteArray("1920") << 1920;
        QTest::newRow("zero") << QByteArray("0") << 0;
        QTest::newRow("plus sign") << QByteArray("+30") << 30;
        QTest::newRow("minus sign") << QByteArray("-12") << -12;
        QTest::newRow("leading blanks") << QByteArray("   \t 1080") << 1080;
        QTest::newRow("blanks after sign are not digits") << QByteArray("- 5") << 0;
        QTest::newRow("stops at first non-digit") << QByteArray("12abc") << 12;
        QTest::newRow("decimal point stops") << QByteArray("29.97") << 29;
        QTest::newRow("hex is not read") << QByteArray("0x10") << 0;
        QTest::newRow("leading zeros are decimal") << QByteArray("010") << 10;
        QTest::newRow("letters only") << QByteArray("yes") << 0;
        QTest::newRow("empty value is no value") << QByteArray("  ") << 99;
        QTest::newRow("double quotes") << QByteArray("\"25\"") << 25;
        QTest::newRow("single quotes") << QByteArray("'-3'") << -3;
        QTest::newRow("unmatched quote") << QByteArray("\"25") << 0;
        QTest::newRow("trailing comment text") << QByteArray("7 ; on") << 7;
        QTest::newRow("max int") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("overlong wraps, never traps") << QByteArray("4294967297") << 1;
    }
    void integerValues() {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        const std::string ini = writeIni("[Config]\ndefaultFps=" + value + "\n");
        QCOMPARE(readProfileInt(ini, "Config", "defaultFps", 99), expected);
    }

    void missingFileSectionOrKeyGivesDefault() {
        QCOMPARE(readProfileInt(dir_.filePath("nothing-here.ini").toStdString(), "Config", "debug", 0), 0);
        QCOMPARE(readProfileInt(dir_.filePath("nothing-here.ini").toStdString(), "Config", "debug", 42), 42);
        const std::string ini = writeIni("[Other]\ndebug=1\n[Config]\ndefaultWidth=640\n");
        QCOMPARE(readProfileInt(ini, "Config", "debug", 0), 0);
        QCOMPARE(readProfileInt(ini, "Missing", "defaultWidth", 0), 0);
        QCOMPARE(readProfileInt(ini, "Config", "defaultWidth", 0), 640);
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
    }

    void readConfigFillsAppConfigAndLogs() {
        writeIni("[Config]\ndebug=7\ndefaultWidth=1920\ndefaultHeight=1080\ndefaultFps=60\n");
        resetConfig();
        LogCapture log;
        QVERIFY(readConfigFor(exeInDir()));
        const std::string ini = dir_.filePath(QStringLiteral("APSet.ini")).toStdString();
        QCOMPARE(log.writes(), (std::vector<std::string>{"iniFilePath: " + ini + "\n", "debugMode: 1\n"}));
        QVERIFY(appConfig().debug);
        QCOMPARE(appConfig().defaultWidth, 1920);
        QCOMPARE(appConfig().defaultHeight, 1080);
        QCOMPARE(appConfig().defaultFps, 60);
    }

    void debugZeroIsOffAndNegativeIsOn() {
        writeIni("[Config]\ndebug=0\n");
        resetConfig();
        LogCapture log;
        readConfigFor(exeInDir());
        QVERIFY(!appConfig().debug);
        QCOMPARE(log.count("debugMode: 0\n"), 1);

        writeIni("[Config]\ndebug=-1\n");
        readConfigFor(exeInDir());
        QVERIFY(appConfig().debug);
    }

    void noIniFileGivesAllDefaults() {
        QTemporaryDir empty;
        resetConfig();
        LogCapture log;
        QVERIFY(readConfigFor(empty.filePath(QStringLiteral("prog")).toStdString()));
        QVERIFY(!appConfig().debug);
        QCOMPARE(appConfig().defaultWidth, 0);
        QCOMPARE(appConfig().defaultHeight, 0);
        QCOMPARE(appConfig().defaultFps, 0);
        QCOMPARE(log.writes().size(), size_t(2));
        QCOMPARE(log.writes().back(), std::string("debugMode: 0\n"));
    }

    void freshRecordHasItsStartValues() {
        // A record built the way appConfig() builds its one instance.
        AppConfig fresh;
        QVERIFY(!fresh.debug);
        QCOMPARE(fresh.defaultWidth + fresh.defaultHeight + fresh.defaultFps, 0);
        QVERIFY(!fresh.fwUpdateRunning);
        QCOMPARE(fresh.scale, 1.0);
        QVERIFY(fresh.deviceName == nullptr);
        QVERIFY(fresh.resolutionList.empty());
        QCOMPARE(&appConfig(), &appConfig());
    }
};

QTEST_MAIN(ConfigTest)
#include "tst_config.moc"
