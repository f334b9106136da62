// The extension-unit transport: discovery (name matching, node choice, every failing
// step), the request record's way to the driver, and the channel's enable/disable cycle.
#include <QtTest>
#include <cstring>

#include "base/app_config.h"
#include "device/sim/sim_camera.h"
#include "fake_xu_system.h"
#include "support/log_capture.h"
#include "xu/uvc_xu.h"
#include "xu/uvc_xu_manager.h"

using device::sim::SimCamera;
using device::sim::SimOptions;

namespace {

const device::Guid kDevSpecific = device::kNodeTypeDevSpecific;
const device::Guid kOther = fake::kOtherNode;

std::string failureLine(const char* function, const char* step, uint32_t code) {
    char line[256];
    std::snprintf(line, sizeof(line), "info: Function: %s, %s failed, Error code: 0x%.2x \n", function, step,
                  code);
    return line;
}

// Rebuilds the manager's channel against whatever port is installed now.
bool reconnect() {
    UVCXUManager& xu = UVCXUManager::instance();
    xu.setEnableCommand(false);
    xu.setEnableCommand(true);
    return xu.haveDevice();
}

}  // namespace

class TestXuChannel : public QObject {
    Q_OBJECT

private slots:
    void init() { appConfig().setDeviceName("Lumora X8"); }
    void cleanup() { UVCXUManager::instance().setEnableCommand(false); }

    // The first use runs discovery; enabling keeps what it found; disabling tears the
    // channel down, once; enabling again builds a new one.
    void discoveryAndTheEnableCycle() {
        auto camera = device::sim::installSimulatedCamera();
        LogCapture log;
        UVCXUManager& xu = UVCXUManager::instance();  // first use in this process: discovery
        const int enumerations = camera->callCount("XuSystem::enumerateSources");
        QCOMPARE(enumerations, 1);
        QVERIFY(!xu.isCommandEnabled());
        QCOMPARE(xu.getHdr(), uint16_t(0));  // discovered but not enabled
        QVERIFY(camera->xuRequests().empty());

        xu.setEnableCommand(true);
        xu.setEnableCommand(true);
        QCOMPARE(camera->callCount("XuSystem::enumerateSources"), enumerations);
        QVERIFY(xu.haveDevice());

        xu.setEnableCommand(false);
        xu.setEnableCommand(false);
        QCOMPARE(log.count("~UVCXU End\n"), 1);  // torn down once
        QVERIFY(!xu.haveDevice());
        xu.setEnableCommand(true);
        QCOMPARE(camera->callCount("XuSystem::enumerateSources"), enumerations + 1);
        QVERIFY(xu.haveDevice());
    }

    // Discovery on the simulated camera: the name must match exactly, the last camera of the
    // name wins, and each failing step of discovery has its info line. Whether a device was
    // selected and whether the unit was found follow; a request reaches the camera only when
    // it was found. A failed node count ends like a camera without a device-specific node:
    // no line, no unit.
    void discovery() {
        const char* none = "";
        const auto failed = [](const char* function, const char* step) {
            return failureLine(function, step, uint32_t(device::kGenFailure));
        };
        const char* getDevices = "UVCXU::GetVideoDevices";
        const char* initKs = "UVCXU::InitKsControl";
        const struct {
            const char *name, *call;  // the configured name; the call that fails, or none
            int options;              // 1: two cameras of the name, 2: nothing listed, 3: no port at all
            bool found, selected;
            std::string line;  // a line the log holds
        } rows[] = {
            {"Lumora X8", none, 0, true, true, "device selectedVal: 1\n"},  // listed after the webcam
            {"lumora x8", none, 0, false, false, "\nDid not find \"lumora x8\" device\n\n"},
            {"Lumora", none, 0, false, false, "\nDid not find \"Lumora\" device\n\n"},
            {"Lumora X8", none, 1, true, true, "device selectedVal: 2\n"},
            {"Lumora X8", none, 2, false, false, none},
            {"Lumora X8", none, 3, false, false,
             failureLine(getDevices, "Create attribute store", uint32_t(device::kFail))},
            {"Lumora X8", "XuSystem::createAttributes", 0, false, false,
             failed(getDevices, "Create attribute store")},
            {"Lumora X8", "XuSystem::selectVideoCaptureSources", 0, false, false,
             failed(getDevices, "Video capture device SetGUID")},
            {"Lumora X8", "XuSystem::enumerateSources", 0, false, false,
             failed(getDevices, "Device enumeration")},
            {"Lumora X8", "XuActivation::friendlyName", 0, false, false,
             failed("UVCXU::GetVideoDeviceFriendlyNames", "Get video device friendly name")},
            {"Lumora X8", "XuActivation::activate", 0, false, true,
             failed("UVCXU::InitVideoDevice", "Activating video device")},
            // Without a reader the source still has its topology: the unit is found.
            {"Lumora X8", "XuMediaSource::createSourceReader", 0, true, true,
             failed("UVCXU::InitVideoDevice", "Creating video source reader")},
            {"Lumora X8", "XuMediaSource::queryTopology", 0, false, true,
             failed(initKs, "IMFMediaSource::QueryInterface(IKsTopologyInfo)")},
            {"Lumora X8", "XuMediaSource::nodeType", 0, false, true,
             failed(initKs, "IKsTopologyInfo->get_NodeType(...)")},
            {"Lumora X8", "XuMediaSource::createNodeControl", 0, false, true,
             failed(initKs, "ks_topology_info->CreateNodeInstance(...)")},
            {"Lumora X8", "XuMediaSource::nodeCount", 0, false, true, none},
        };
        for (const auto& row : rows) {
            const std::string label =
                std::string(row.name) + " " + row.call + " " + std::to_string(row.options);
            SimOptions options;
            options.duplicateCamera = row.options == 1;
            options.noDevices = row.options == 2;
            auto camera = device::sim::installSimulatedCamera(options);
            if (row.options == 3)
                device::installPort(device::DevicePort{});
            if (*row.call)
                camera->failAlways(row.call, device::kGenFailure);
            appConfig().setDeviceName(row.name);
            LogCapture log;
            QVERIFY2(reconnect() == row.found, label.c_str());
            QVERIFY2(log.contains(row.line), label.c_str());
            QVERIFY2(log.contains("info: Function") == (row.line.rfind("info", 0) == 0), label.c_str());
            QVERIFY2(
                log.contains("\nDid not find \"" + std::string(row.name) + "\" device\n\n") == !row.selected,
                label.c_str());
            QVERIFY2(
                log.contains(row.found ? "InitKsControl res: 1\n" : "InitKsControl res: 0\n") == row.selected,
                label.c_str());
            camera->clearFaults();
            QVERIFY2(UVCXUManager::instance().setHdr(true) == row.found, label.c_str());
            // The first camera of two (the one the simulator describes) kept its value.
            QVERIFY2(UVCXUManager::instance().getHdr() == uint16_t(row.found), label.c_str());
            QVERIFY2(camera->xuControls().hdr == uint8_t(row.found && row.options != 1), label.c_str());
        }
        // Without a device the channel exists but has no node control, and each request
        // says so (the getters' failure values: tst_xu_commands failuresGiveFailureValues).
        LogCapture log;
        QCOMPARE(UVCXUManager::instance().getHdr(), uint16_t(0));
        QCOMPARE(UVCXUManager::instance().getTransferSize(), uint32_t(0));
        QCOMPARE(log.count("\n *************ks_control == NULL************* \n"), 2);
        QCOMPARE(log.count(failureLine("UVCXU::sendRequest", "ks_control->KsProperty(...) (Flag:TYPE_SET)",
                                       uint32_t(device::kFail))),
                 1);
    }

    // Discovery over a scripted system: what the channel finds and what it logs. The first
    // device-specific node is the unit's. The VID and PID are parsed from each device's link
    // for the log only (a short link gives what is there); the fields describe the last
    // device listed, not the selected one.
    void discoveryOnAScriptedSystem() {
        fake::FakeDevice noInterface{"Lumora X8", "", device::kOk, {kDevSpecific}};
        noInterface.controlWithoutInterface = true;
        const struct {
            const char* name;
            std::vector<fake::FakeDevice> devices;
            int nodeId;  // -1: not found
            std::vector<std::string> lines;
            const char* absent;
        } rows[] = {
            {"the first device-specific node",
             {{"Lumora X8", "", device::kOk, {kOther, kOther, kDevSpecific, kOther, kDevSpecific}}},
             2,
             {},
             nullptr},
            {"node control without its interface",
             {noInterface},
             -1,
             {failureLine("UVCXU::InitKsControl", "ks_topology_info->QueryInterface(...)",
                          uint32_t(device::kNoInterface))},
             nullptr},
            {"a friendly name fails: only that device is skipped",
             {{"Lumora X8", "", device::kOk, {kDevSpecific}}, {"Lumora X8", "", device::kFail, {}}},
             0,
             {"device selectedVal: 0\n",
              failureLine("UVCXU::GetVideoDeviceFriendlyNames", "Get video device friendly name",
                          uint32_t(device::kFail))},
             "device selectedVal: 1\n"},
            {"VID and PID for the log",
             {{"Lumora X8", "\\\\?\\usb#vid_2bd9&pid_0038&mi_00#7&1b2c", device::kOk, {kDevSpecific}},
              {"Integrated Webcam", "\\\\?\\usb#vid_0c45&pid_6a1", device::kOk, {}},
              {"Virtual", "root#image#0000", device::kOk, {}}},
             0,
             {"\\\\?\\usb#vid_2bd9&pid_0038&mi_00#7&1b2c\n", "VID: 2bd9 PID: 0038\n\n",
              "VID: 0c45 PID: 6a1\n\n", "VID:  PID: \n\n"},
             nullptr},
        };
        for (const auto& row : rows) {
            fake::install(row.devices);
            LogCapture log;
            UVCXU channel;
            QVERIFY2(channel.isDeviceFounded() == (row.nodeId >= 0), row.name);
            QVERIFY2(channel.nodeId() == row.nodeId, row.name);
            uint8_t value = 0;
            XURequest request = makeXURequest(14, XU_GET, 1, &value);  // the record gets the node
            QVERIFY2(channel.sendRequest(request) == (row.nodeId >= 0) && request.nodeId == row.nodeId,
                     row.name);
            for (const std::string& line : row.lines)
                QVERIFY2(log.contains(line), line.c_str());
            QVERIFY2(!row.absent || !log.contains(row.absent), row.name);
            QVERIFY(channel.vid().empty() && channel.pid().empty());
        }
    }

    void driverAnswers() {
        auto fakePort = fake::install({{"Lumora X8", "", device::kOk, {kDevSpecific}}});
        UVCXU channel;
        const char* step = "ks_control->KsProperty(...) (Flag:TYPE_SET)";
        uint8_t bytes[4] = {};
        LogCapture log;

        fakePort->answer = [](const device::KsNodeProperty&, void*, uint32_t, uint32_t&) {
            return device::kFalse;  // only 0 counts as success
        };
        XURequest request = makeXURequest(1, XU_GET, 1, bytes);
        QVERIFY(!channel.sendRequest(request));
        QVERIFY(log.contains(failureLine("UVCXU::sendRequest", step, 1)));
        // A record naming a node keeps it (the rest of the record is checked by the simulated
        // camera in tst_xu_commands).
        request = makeXURequest(1, XU_SET, 1, bytes);
        request.nodeId = 4;
        channel.sendRequest(request);
        QCOMPARE(fakePort->requests().back().property.nodeId, 4u);
        QCOMPARE(fakePort->requests().back().property.flags, 0x10000002u);

        fakePort->answer = [](const device::KsNodeProperty&, void*, uint32_t length, uint32_t& returned) {
            returned = length + 4;
            return device::kOk;
        };
        request = makeXURequest(8, XU_GET, 4, bytes);
        QVERIFY(!channel.sendRequest(request));  // an answer longer than the buffer
        QVERIFY(log.contains(failureLine("UVCXU::sendRequest", step, uint32_t(device::kMoreData))));
        const size_t reached = fakePort->requests().size();
        request = makeXURequest(8, XU_GET, 4, nullptr);
        QVERIFY(!channel.sendRequest(request));  // a length without a buffer never reaches the driver
        QCOMPARE(fakePort->requests().size(), reached);

        // The size query ignores the result of its zero-length GET.
        fakePort->answer = [](const device::KsNodeProperty&, void*, uint32_t, uint32_t& returned) {
            returned = 512;
            return device::kMoreData;
        };
        uint32_t size = 0;
        XURequest query = makeXURequest(17, XU_GET, 0, nullptr);
        log.clear();
        QVERIFY(channel.getXUTransferSize(query, size));
        QCOMPARE(size, 512u);
        QCOMPARE(query.nodeId, 0);
        QCOMPARE(log.text(), std::string("returnByte: 512\n"));
        QCOMPARE(fakePort->requests().back().length, 0u);
        QVERIFY(!fakePort->requests().back().hadData);

        // A throwing driver fails the request and leaves the size untouched.
        fakePort->throwOnCall = true;
        request = makeXURequest(1, XU_SET, 1, bytes);
        QVERIFY(!channel.sendRequest(request));
        QCOMPARE(log.writes().back(), failureLine("UVCXU::sendRequest", step, uint32_t(device::kFail)));
        size = 7;
        QVERIFY(channel.getXUTransferSize(query, size));
        QCOMPARE(size, 7u);
    }
};

QTEST_GUILESS_MAIN(TestXuChannel)
#include "tst_xu_channel.moc"
