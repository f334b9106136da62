// The customisation record: its binary layout, the library that supplies it and the copy of
// the camera's name into the configuration.
#include <QTemporaryDir>
#include <QtTest>
#include <cstddef>
#include <cstring>

#include "app/app_config.h"
#include "app/customize_data.h"
#include "app/customize_loader.h"
#include "support/log_capture.h"

class CustomizeTest : public QObject {
    Q_OBJECT

    static ProjectCustomizeData recordNamed(const std::string& name) {
        ProjectCustomizeData record;
        std::memset(&record, 0, sizeof(record));
        std::memcpy(record.DeviceName, name.data(), std::min(name.size(), sizeof(record.DeviceName) - 1));
        return record;
    }

private slots:
    void recordLayoutMatchesTheLibraryInterface() {
        // The same bytes as a library built elsewhere would lay them out.
        ProjectCustomizeData record;
        std::memset(&record, 0, sizeof(record));
        record.UacVID = 0x1234;
        record.MassStoragePID = 0xBEEF;
        std::strcpy(record.DeviceName, "cam");
        const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
        QCOMPARE(sizeof(record), size_t(2036));
        QCOMPARE(int(bytes[50]), int('c'));
        QCOMPARE(int(bytes[204] | bytes[205] << 8), 0x1234);
        QCOMPARE(int(bytes[210] | bytes[211] << 8), 0xBEEF);
        QCOMPARE(offsetof(ProjectCustomizeData, unread), size_t(212));
    }

    void libraryBesideTheExecutableGivesOurValues() {
        LogCapture log;
        const ProjectCustomizeData record = getProjectCustomizeData();
        QCOMPARE(QByteArray(record.DeviceName), QByteArray("Lumora X8"));
        QVERIFY(std::strlen(record.PCToolName) > 0);
        QVERIFY(std::strlen(record.PCToolName) < sizeof(record.PCToolName));
        QVERIFY(record.UacVID != 0 && record.UacPID != 0);
        QVERIFY(record.MassStorageVID != 0 && record.MassStoragePID != 0);
        QCOMPARE(log.text(), std::string());
    }

    void missingLibraryGivesEmptyRecordAndSaysSo() {
        QTemporaryDir empty;
        LogCapture log;
        const ProjectCustomizeData record = getProjectCustomizeData(empty.path().toStdString());
        QCOMPARE(record.DeviceName[0], '\0');
        QCOMPARE(record.PCToolName[0], '\0');
        QCOMPARE(record.UacVID, uint16_t(0));
        QVERIFY(log.contains("ProjectCustomize not loaded: "));
    }

    void shortNameIsCopiedWhole() {
        LogCapture log;
        QVERIFY(storeDeviceName(recordNamed("Lumora X8")));
        QCOMPARE(QByteArray(appConfig().deviceName), QByteArray("Lumora X8"));
        QCOMPARE(log.text(), std::string());
    }

    void nameOf49CharactersStillFits() {
        const std::string name(49, 'n');
        LogCapture log;
        QVERIFY(storeDeviceName(recordNamed(name)));
        QCOMPARE(std::string(appConfig().deviceName), name);
        QCOMPARE(log.text(), std::string());
    }

    void longerNameIsCutAndLogged_data() {
        QTest::addColumn<int>("length");
        QTest::newRow("50") << 50;
        QTest::newRow("153, the whole field") << 153;
    }
    void longerNameIsCutAndLogged() {
        QFETCH(int, length);
        std::string name;
        for (int i = 0; i < length; ++i)
            name += char('A' + i % 26);
        LogCapture log;
        QVERIFY(!storeDeviceName(recordNamed(name)));
        const std::string kept = name.substr(0, 49);
        QCOMPARE(std::string(appConfig().deviceName), kept);
        QCOMPARE(log.writes(),
                 std::vector<std::string>{"DeviceName too long, cut to 49 characters: " + kept + "\n"});
    }

    void unterminatedNameStopsAtTheBuffer() {
        // A name without terminator inside its field: the copy never reads past 50 bytes.
        ProjectCustomizeData record;
        std::memset(&record, 'x', sizeof(record));
        QVERIFY(!appConfig().setDeviceName(record.DeviceName));
        QCOMPARE(std::strlen(appConfig().deviceName), size_t(49));
        QVERIFY(appConfig().setDeviceName(""));
        QCOMPARE(appConfig().deviceName[0], '\0');
        QVERIFY(appConfig().setDeviceName(nullptr));
        QCOMPARE(appConfig().deviceName[0], '\0');
    }
};

QTEST_MAIN(CustomizeTest)
#include "tst_customize.moc"
