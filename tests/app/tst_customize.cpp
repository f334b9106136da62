// The customisation record: a missing library and the copy of the camera's name into the
// configuration (the library's values reach the start-up log, tst_startup; the record's
// layout is checked at compile time).
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "app/cli_camera.h"
#include "app/customize_data.h"
#include "app/customize_loader.h"
#include "base/app_config.h"
#include "capture/capture_formats.h"
#include "device/sim/sim_camera.h"
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
    void missingLibraryGivesEmptyRecordAndSaysSo() {
        QTemporaryDir empty;
        LogCapture log;
        const ProjectCustomizeData record = getProjectCustomizeData(empty.path().toStdString());
        QCOMPARE(record.DeviceName[0], '\0');
        QCOMPARE(record.PCToolName[0], '\0');
        QCOMPARE(record.UacVID, uint16_t(0));
        QVERIFY(log.contains("ProjectCustomize not loaded: "));
    }

    void nameIsCopiedOrCutAndLogged_data() {
        QTest::addColumn<int>("length");
        QTest::newRow("9") << 9;
        QTest::newRow("49, the most that fits") << 49;
        QTest::newRow("50") << 50;
        QTest::newRow("153, the whole field") << 153;
        QTest::newRow("no terminator in the whole record") << -1;  // the copy stops at 49
    }
    void nameIsCopiedOrCutAndLogged() {
        QFETCH(int, length);
        std::string name(length < 0 ? 49 : 0, 'x');
        for (int i = 0; i < length; ++i)
            name += char('A' + i % 26);
        ProjectCustomizeData record = recordNamed(name);
        if (length < 0)
            std::memset(&record, 'x', sizeof(record));
        LogCapture log;
        const bool fits = length >= 0 && length <= 49;
        QCOMPARE(storeDeviceName(record), fits);
        const std::string kept = name.substr(0, 49);
        QCOMPARE(std::string(appConfig().deviceName), kept);
        if (fits)
            QCOMPARE(log.text(), std::string());
        else
            QCOMPARE(log.writes(),
                     std::vector<std::string>{"DeviceName too long, cut to 49 characters: " + kept + "\n"});
    }

    // The simulated camera lists an unrelated webcam before the Lumora X8. An empty name (no
    // customisation library) is found in every friendly name: it must match no camera, where
    // before it opened the webcam and ran the extension-unit checks on it.
    void cameraIsFoundOnlyByItsName_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("found");
        QTest::newRow("the camera's name") << QByteArray("Lumora X8") << 1;
        QTest::newRow("empty name") << QByteArray("") << 0;
        QTest::newRow("another camera's name") << QByteArray("Lumora X9") << 0;
    }
    void cameraIsFoundOnlyByItsName() {
        QFETCH(QByteArray, name);
        QFETCH(int, found);
        const auto sim = device::sim::installSimulatedCamera();
        LogCapture log;
        storeDeviceName(recordNamed(name.toStdString()));
        QCOMPARE(log.contains("DeviceName is empty: no camera can be found"), name.isEmpty());
        QCOMPARE(int(listCameras().size()), found);
        QCOMPARE(findUvcCamera(0, appConfig().deviceName), found == 1);
        device::installPort(device::DevicePort{});
    }
};

QTEST_MAIN(CustomizeTest)
#include "tst_customize.moc"
