#pragma once
// The video side of the device port: what the capture layer needs of the system's video
// input devices, one capture stream and the standard controls. Every call answers a
// platform result code (result.h); the capture layer turns them into its own codes.
//
// Threads: everything is called from the thread that opens, controls or closes a
// stream, except FrameSink::bufferCB, which a running stream calls on the backend's own
// streaming thread. CaptureGraph::stop() returns only after that thread has stopped
// calling the sink.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/result.h"

namespace device {

class ControlPort;
class CaptureGraph;

// One capability of an output pin: a size in one subtype, with its default interval.
struct MediaFormat {
    Guid subtype;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitCount = 0;
    int64_t avgTimePerFrame = 0;  // 100 ns units
    bool videoInfo = true;        // the format block is a plain video-info header
};

// A process of the system, as the log and the window name it.
struct ProcessRef {
    std::string name;
    int pid = 0;
};

// A capture filter: the bound video input device.
class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;

    // Pins in enumeration order; kFail when they cannot be enumerated.
    virtual HResult pinCount(int& count) = 0;
    virtual HResult pinIsOutput(int pin, bool& isOutput) = 0;

    // Stream configuration of an output pin (kNoInterface when the pin has none).
    virtual HResult hasStreamConfig(int pin) = 0;
    // Number of capabilities and the size of one capability record (128 when usable).
    virtual HResult capabilityCount(int pin, int& count, int& recordSize) = 0;
    virtual HResult capability(int pin, int index, MediaFormat& format) = 0;
    // The frame-rate control of the device (kNoInterface when it has none).
    virtual HResult hasVideoControl() = 0;
    // Frame intervals (100 ns units) offered for a capability at the given size.
    virtual HResult frameIntervals(int pin, int index, int width, int height,
                                   std::vector<int64_t>& intervals) = 0;

    // The pin's current format, and a new one for the next stream.
    virtual HResult currentFormat(int pin, MediaFormat& format) = 0;
    virtual HResult setFormat(int pin, const MediaFormat& format) = 0;

    // The standard controls of this device; null when it offers none.
    virtual ControlPort* controls() = 0;

    // The other processes that have the device open, when its stream is held by another
    // application (kInUse); kNotImplemented when the backend cannot tell.
    virtual HResult streamHolders(std::vector<ProcessRef>& holders) {
        holders.clear();
        return kNotImplemented;
    }
};

// A video input device as the system lists it.
class DeviceMoniker {
public:
    virtual ~DeviceMoniker() = default;
    // Unique name; only "@device:pnp..." and "@device:sw..." names are capture devices.
    virtual HResult displayName(std::string& name) = 0;
    virtual HResult friendlyName(std::string& name) = 0;
    virtual HResult symbolicLink(std::string& link) = 0;
    // Binds the device: opens it for formats, controls and streaming.
    virtual HResult bind(std::shared_ptr<CaptureDevice>& device) = 0;
};

// Receives the samples of a running stream, on the backend's streaming thread.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // sampleTime: stream time of the sample in seconds. The bytes are valid only during
    // the call.
    virtual void bufferCB(double sampleTime, const uint8_t* data, long length) = 0;
};

// Graph events read by the stream objects.
enum : long {
    kEventComplete = 0x01,
    kEventErrorAbort = 0x03,
    kEventDeviceLost = 0x1F,
};

// One capture stream: a capture device connected to a grabber that hands samples to a
// FrameSink, either the device's native samples or frames converted to RGB32, rows
// bottom-up. The steps mirror the order in which the capture layer builds it; each can
// fail on its own.
class CaptureGraph {
public:
    virtual ~CaptureGraph() = default;

    virtual HResult addCaptureDevice(const std::shared_ptr<CaptureDevice>& device,
                                     const std::string& name) = 0;
    virtual HResult attachGraphBuilder() = 0;

    // The grabber: created, told which subtype it accepts (kSubtypeNull: the native
    // samples; kSubtypeRGB32: converted frames), added and connected to the output pin.
    virtual HResult createGrabber() = 0;
    virtual HResult setGrabberSubtype(const Guid& outputSubtype) = 0;
    virtual HResult addGrabber(const std::string& name) = 0;
    virtual HResult connect(int outputPin) = 0;
    // Removes a grabber left from an earlier attempt (no-op when there is none).
    virtual HResult removeGrabber() = 0;
    virtual HResult setBufferSamples(bool buffer) = 0;
    virtual HResult setOneShot(bool oneShot) = 0;
    virtual HResult setCallback(FrameSink* sink) = 0;

    // Event and control interfaces of the graph.
    virtual HResult hasMediaEvent() = 0;
    virtual HResult hasMediaControl() = 0;

    virtual HResult run() = 0;
    // Stops streaming; returns after the sink was called for the last time.
    virtual HResult stop() = 0;
    // Waits for the graph to complete. A live stream never completes: kOk with evCode 0
    // at once when running; kAbort when the wait was abandoned after timeoutMs.
    virtual HResult waitForCompletion(int timeoutMs, long& evCode) = 0;
    // Next pending graph event without waiting; kAbort when none is pending.
    virtual HResult nextEvent(long& evCode, int64_t& param1, int64_t& param2) = 0;
};

// The system's video input devices and the factory of capture graphs.
class VideoSystem {
public:
    virtual ~VideoSystem() = default;
    virtual HResult createGraph(std::unique_ptr<CaptureGraph>& graph) = 0;
    // Creating the device enumerator; kOk when devices can be listed at all.
    virtual HResult createDeviceEnumerator() = 0;
    // The video input devices; kFalse (with an empty list) when there are none.
    virtual HResult enumerateVideoInputs(std::vector<std::unique_ptr<DeviceMoniker>>& devices) = 0;
};

}  // namespace device
