// Driving the simulated camera from outside: the LUMORA_SIM_SCRIPT items, and the choice
// of the backend by option and environment.
#include <QtTest>
#include <cstdlib>

#include "device/backend_choice.h"
#include "device/sim/sim_port.h"
#include "device/sim/sim_script.h"
#include "sim_test_helpers.h"

using namespace device;
using namespace simtest;

class TstSimScript : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        unsetenv("LUMORA_SIM_SCRIPT");
        unsetenv("LUMORA_CAMERA");
        installPort(DevicePort{});
    }

    void parsesEveryItem() {
        sim::SimScript s;
        std::string error;
        QVERIFY(sim::parseSimScript(
            " unplugged; plug@5s;unplug@30.5s ; plug@350ms; reboot=2000ms; reset-absence=1.5s;"
            "xu-from=20; fps=0; latency=1000us; status=15; flash-fails; no-webcam; duplicate; no-frames",
            s, error));
        QVERIFY(!s.options.pluggedAtStart);
        QCOMPARE(s.events.size(), size_t(3));
        QCOMPARE(s.events[0].atMs, 5000);
        QVERIFY(s.events[0].plug);
        QCOMPARE(s.events[1].atMs, 30500);
        QVERIFY(!s.events[1].plug);
        QCOMPARE(s.events[2].atMs, 350);
        QCOMPARE(s.options.rebootAbsenceMs, 2000);
        QCOMPARE(s.options.resetAbsenceMs, 1500);
        QCOMPARE(s.options.frameRateMultiplier, 0.0);
        QCOMPARE(s.options.controlLatencyUs, 1000);
        QCOMPARE(s.xuFromActivation, 20);
        QCOMPARE(s.forcedStatus, 15);
        QVERIFY(s.flashFails);
        QVERIFY(!s.options.listOtherDevice);
        QVERIFY(s.options.duplicateCamera);
        QVERIFY(s.neverDeliverFrames);
    }

    void rejectsWhatItDoesNotKnow_data() {
        // Each item follows a good one; the error names the item.
        QTest::addColumn<QString>("item");
        for (const char* item :
             {"explode", "plug@soon", "plug@5h", "jump@5s", "colour=red", "reboot=-5ms", "plug@1e12s",
              "xu-from=99999999999", "fps=2x", "xu-from=-3", "status=-1", "status=256"})
            QTest::newRow(item) << QString(item);
    }
    void rejectsWhatItDoesNotKnow() {
        QFETCH(QString, item);
        sim::SimScript s;
        std::string error;
        QVERIFY(!sim::parseSimScript("unplugged; " + item.toStdString(), s, error));
        QCOMPARE(QString::fromStdString(error), "cannot read \"" + item + "\"");
    }

    void environmentScriptPlugsTheCameraLater() {
        setenv("LUMORA_SIM_SCRIPT", "unplugged; plug@150ms; unplug@400ms", 1);
        installPort(sim::makeSimulatedPortFromEnvironment());
        QVERIFY(!bindByName("Lumora X8"));
        QVERIFY(bindByName("Integrated Webcam"));
        QTRY_VERIFY_WITH_TIMEOUT(bindByName("Lumora X8") != nullptr, 2000);
        QTRY_VERIFY_WITH_TIMEOUT(bindByName("Lumora X8") == nullptr, 2000);
    }

    void backendChoice() {
        std::string error;
        DevicePort p = chooseBackend({"lumora", "--camera=simulated"}, error);
        QCOMPARE(p.name, std::string("simulated"));
        QVERIFY(p.video && p.xu);
        QVERIFY(error.empty());
        QCOMPARE(chooseBackend({"--camera=sim"}, error).name, std::string("simulated"));
        QCOMPARE(chooseBackend({"--camera=v4l2"}, error).name, std::string("v4l2"));
        setenv("LUMORA_CAMERA", "simulated", 1);
        QCOMPARE(chooseBackend({}, error).name, std::string("simulated"));
        QCOMPARE(chooseBackend({"--camera=v4l2"}, error).name, std::string("v4l2"));  // the option wins
        unsetenv("LUMORA_CAMERA");
        QCOMPARE(chooseBackend({}, error).name, std::string("v4l2"));
        DevicePort none = chooseBackend({"--camera=dshow"}, error);
        QVERIFY(!none.video);
        QCOMPARE(error, std::string("unknown camera backend \"dshow\" (use simulated or v4l2)"));
    }
};

QTEST_GUILESS_MAIN(TstSimScript)
#include "tst_sim_script.moc"
