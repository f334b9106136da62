#pragma once
// The simulated Lumora X8: a USB conference camera that lives in the process. It lists
// itself (and an unrelated "Integrated Webcam") through the device port, streams a moving
// test picture that follows its controls, answers the standard controls and the vendor
// extension unit, takes firmware images and reboots into them.
//
// Tests create one with installSimulatedCamera() in init() and drive it through this
// class: plug and unplug it, inject faults into any port call, change what the camera
// answers, and inspect what it received. Every method is thread-safe; port calls may run
// on any thread while a test drives the camera from its own.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/control_port.h"
#include "device/device_port.h"
#include "device/result.h"

namespace device::sim {

// How a simulated camera starts.
struct SimOptions {
    // Friendly name of the camera (the customisation record's device name).
    std::string friendlyName = "Lumora X8";
    // The camera is on the bus at start (false: it appears only after plug()).
    bool pluggedAtStart = true;
    // List an unrelated "Integrated Webcam" before the camera (counted as a capture device).
    bool listOtherDevice = true;
    // List a second camera with the same friendly name after the first one. It has its own
    // controls and extension unit; inspection methods always describe the first camera.
    bool duplicateCamera = false;
    // The system lists no video device at all (the camera and the webcam are hidden).
    bool noDevices = false;
    // List first a virtual source named "<friendlyName> Virtual" whose display name is
    // "@device:cm:..." (no capture device: it must not be counted nor matched).
    bool listNonCaptureDevice = false;
    // Frame pacing: 1.0 streams at the requested rate, 2.0 twice as fast, 0 as fast as
    // frames can be made (no sleeping).
    double frameRateMultiplier = 1.0;
    // Latency of every standard-control transfer (get, set, range, kernel-streaming get and
    // set) and extension-unit call, in microseconds (a real USB control transfer takes about
    // 1000); the host-side queries (hasGroup, hasKsPropertySet, ksQuerySupported) take none,
    // and neither does a range or value read the driver answers from its cache
    // (sim_driver_cache.h).
    int controlLatencyUs = 0;
    // The camera has been on the bus before the program started and its controls have been
    // read since (by another program or an earlier run): the driver answers every range and
    // current value from its cache until the camera leaves the bus (sim_driver_cache.h).
    bool controlsReadBefore = false;
    // How long the camera is absent from the bus after a firmware update start before it
    // comes back with the new firmware, in milliseconds.
    int rebootAbsenceMs = 3000;
    // The camera leaves the bus for its update before its answer to the update start
    // reaches the host: the start command fails (kNotConnected) although the camera
    // flashes and comes back with the new firmware, as a real camera often does.
    bool startAnswerLost = false;
    // Absence after a reset to factory defaults; 0: the camera stays on the bus.
    int resetAbsenceMs = 0;
    // Digital pan and tilt move a zoomed-in view: while the zoom stands at its lowest, a
    // pan or tilt set is accepted and the camera keeps 0 (and zooming out to it recentres).
    bool panTiltNeedZoom = false;
    // Firmware the camera runs at start (text answered by selector 7, "formal.major.minor").
    std::string firmwareVersion = "1.2.3";
    std::string serialNumber = "LX8A2412000137";
    // Length of the transfer-data control (selector 17); one packet carries this minus 8
    // data bytes.
    uint32_t transferSize = 264;
};

// What the camera delivers instead of good samples (for tests of the frame path).
enum class SampleFault {
    None,
    Oversized,  // samples longer than width x height x 4 bytes
    Corrupt,    // MJPG samples that do not decode as JPEG (garbage after the start marker);
                // raw samples cut to a third of their length
    Empty,      // samples of length 0
};

// A standard control's current state.
struct ControlState {
    long value = 0;
    long flags = kFlagsManual;
};

// The vendor controls of the extension unit.
struct XuControls {
    uint8_t hdr = 0;         // selector 1
    uint8_t autoFrame = 0;   // selector 2
    uint8_t tracking = 0;    // selector 3
    uint8_t zoomLevel = 0;   // selector 13 (0..4)
    int8_t sensitivity = 0;  // selector 14 (-2..2, sent as a signed byte)
};

// One extension-unit request as the camera received it.
struct XuRecord {
    uint32_t selector = 0;
    bool set = false;            // SET (else GET)
    uint32_t length = 0;         // length of the request's buffer
    std::vector<uint8_t> bytes;  // SET: bytes received; GET: bytes answered. Packets of
                                 // selector 17 keep only their first 16 bytes.
    HResult result = kOk;
};

// The camera's firmware side.
struct FirmwareState {
    std::string version;            // running version text
    bool updateMode = false;        // selector 4 mode 1 entered and not left
    int status = 0;                 // what selector 11 answers (without forced status)
    uint32_t imageSize = 0;         // announced with the update mode
    uint32_t headerVersion = 0;     // header version word of the accepted header (0: none)
    uint64_t bytesReceived = 0;     // data bytes of all packets accepted in this update
    int blocksStored = 0;           // blocks committed by selector 9
    uint32_t imageBytesStored = 0;  // bytes of the image committed so far
    int updatesCompleted = 0;       // reboots into a new firmware since start
    std::string failureReason;      // why the camera last went to status 15 in this update
};

// The control surface of one simulated camera. Obtain it from installSimulatedCamera()
// (or makeSimulatedPort()); the port objects keep the camera alive as long as they live.
class SimCamera {
public:
    virtual ~SimCamera() = default;

    // --- bus ---------------------------------------------------------------------------
    // Puts the camera on the bus (no effect when it is there). Handles taken before an
    // unplug stay dead: the program must list and bind the camera again.
    virtual void plug() = 0;
    // Takes it off: running streams post the graph event kEventDeviceLost (0x1F) and stop
    // delivering; every later call on the camera's handles fails with kNotConnected; it is
    // no longer listed.
    virtual void unplug() = 0;
    virtual bool isPlugged() const = 0;
    // Schedules plug() / unplug() after delayMs milliseconds (on the camera's own timer).
    virtual void plugAfter(int delayMs) = 0;
    virtual void unplugAfter(int delayMs) = 0;

    // --- fault injection ---------------------------------------------------------------
    // Calls are named "Interface::method" after the port: "VideoSystem::createGraph",
    // "VideoSystem::createDeviceEnumerator", "VideoSystem::enumerateVideoInputs",
    // "DeviceMoniker::displayName", "DeviceMoniker::friendlyName",
    // "DeviceMoniker::symbolicLink", "DeviceMoniker::bind", "CaptureDevice::pinCount",
    // "CaptureDevice::pinIsOutput", "CaptureDevice::hasStreamConfig",
    // "CaptureDevice::capabilityCount", "CaptureDevice::capability",
    // "CaptureDevice::hasVideoControl", "CaptureDevice::frameIntervals",
    // "CaptureDevice::currentFormat", "CaptureDevice::setFormat", "CaptureDevice::controls"
    // (a failure makes controls() answer null), "CaptureGraph::addCaptureDevice",
    // "CaptureGraph::attachGraphBuilder", "CaptureGraph::createGrabber",
    // "CaptureGraph::setGrabberSubtype", "CaptureGraph::addGrabber",
    // "CaptureGraph::connect", "CaptureGraph::removeGrabber",
    // "CaptureGraph::setBufferSamples", "CaptureGraph::setOneShot",
    // "CaptureGraph::setCallback", "CaptureGraph::hasMediaEvent",
    // "CaptureGraph::hasMediaControl", "CaptureGraph::run", "CaptureGraph::stop",
    // "CaptureGraph::waitForCompletion", "CaptureGraph::nextEvent",
    // "ControlPort::hasGroup", "ControlPort::getRange", "ControlPort::get",
    // "ControlPort::set", "ControlPort::hasKsPropertySet", "ControlPort::ksQuerySupported",
    // "ControlPort::ksGet", "ControlPort::ksSet", "XuSystem::createAttributes",
    // "XuSystem::selectVideoCaptureSources", "XuSystem::enumerateSources",
    // "XuActivation::friendlyName", "XuActivation::symbolicLink", "XuActivation::activate",
    // "XuMediaSource::createSourceReader", "XuMediaSource::queryTopology",
    // "XuMediaSource::nodeCount", "XuMediaSource::nodeType",
    // "XuMediaSource::createNodeControl", "XuNodeControl::property".
    // "XuNodeControl::property:<selector>" (e.g. "XuNodeControl::property:17") names the
    // property calls of one selector only. Calls count from the moment a fault is set.
    // Faults apply to the camera and the webcam alike.

    // The next `count` calls fail with hr.
    virtual void failNext(const std::string& call, HResult hr, int count = 1) = 0;
    // Calls succeed until the nth (1-based, counted from now); it and every later one fail.
    virtual void failFrom(const std::string& call, HResult hr, int nth) = 0;
    // Every call fails with hr.
    virtual void failAlways(const std::string& call, HResult hr) = 0;
    // Each call waits this long before it answers (in addition to controlLatencyUs).
    virtual void setLatency(const std::string& call, int ms) = 0;
    // Removes every fault and latency set by the four methods above.
    virtual void clearFaults() = 0;
    // How often a call was made since the camera was created.
    virtual int callCount(const std::string& call) const = 0;

    // --- camera-side behaviours -------------------------------------------------------
    // Selector 11 answers this status whatever the camera does (e.g. 15); -1 ends it.
    virtual void forceStatus(int status) = 0;
    // Streams run but never deliver a sample.
    virtual void setNeverDeliverFrames(bool never) = 0;
    virtual void setSampleFault(SampleFault fault) = 0;
    // The extension unit is in the camera's topology from the kth activation of the camera
    // source on (counted from this call; 1: at once, the default; 0: never).
    virtual void setExtensionUnitFromActivation(int k) = 0;
    // After an update start the camera reports status 15 instead of rebooting.
    virtual void setFlashFails(bool fails) = 0;
    // After an update start the camera leaves the bus as usual but comes back running the
    // firmware it ran before (the flashing did not take).
    virtual void setRebootKeepsFirmware(bool keeps) = 0;
    // Another application (process name and pid) holds the camera's stream: opening a
    // stream fails with kInUse (a stream of the program that runs keeps running), while the
    // standard controls and the extension unit answer; the camera's device names it as the
    // holder. releaseStream() lets the stream go.
    virtual void holdStream(const std::string& process, int pid) = 0;
    virtual void releaseStream() = 0;
    // The same after delayMs milliseconds (on the camera's own timer).
    virtual void holdStreamAfter(int delayMs, const std::string& process, int pid) = 0;
    virtual void releaseStreamAfter(int delayMs) = 0;
    // The user may not open the camera: binding it (video side) and activating its source
    // (extension-unit side) fail with kAccessDenied. It is still listed.
    virtual void setAccessDenied(bool denied) = 0;

    // --- values ------------------------------------------------------------------------
    virtual ControlState control(ControlGroup group, long property) const = 0;
    // Changes a standard control as if the camera had done it itself.
    virtual void setControl(ControlGroup group, long property, ControlState state) = 0;
    virtual long powerLineFrequency() const = 0;
    virtual XuControls xuControls() const = 0;
    virtual void setXuControls(const XuControls& controls) = 0;

    // --- inspection --------------------------------------------------------------------
    // Extension-unit requests received by the camera, oldest first (at most 100000 kept).
    virtual std::vector<XuRecord> xuRequests() const = 0;
    virtual void clearXuRequests() = 0;
    virtual FirmwareState firmware() const = 0;
    // The image bytes committed by the current (or last) update, in file order.
    virtual std::vector<uint8_t> storedImage() const = 0;
    // Samples handed to sinks since the camera was created (all streams).
    virtual long framesDelivered() const = 0;
    // Graphs run and not yet stopped (also those whose device was lost meanwhile).
    virtual int runningStreams() const = 0;
    // Resets to factory defaults done (selector 5).
    virtual int resetCount() const = 0;
};

// Creates a fresh simulated camera and its port, without installing it.
DevicePort makeSimulatedPort(std::shared_ptr<SimCamera>& camera, SimOptions options = {});

// Creates a fresh simulated camera and installs its port with device::installPort.
std::shared_ptr<SimCamera> installSimulatedCamera(SimOptions options = {});

}  // namespace device::sim
