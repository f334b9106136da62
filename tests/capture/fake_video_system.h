#pragma once
// A scripted video system for the format-list and discovery tests: devices with chosen
// display names, friendly names and capabilities; no graph, nothing streamed. It covers shapes the
// simulated camera does not offer (non-capture display names, many capabilities, several
// intervals per capability, unknown subtypes).
#include <memory>
#include <string>
#include <vector>

#include "device/device_port.h"
#include "device/video_port.h"

namespace fake {

struct Capability {
    device::MediaFormat format;
    std::vector<int64_t> intervals;
};

struct Device {
    std::string displayName;
    std::string friendlyName;
    std::vector<bool> pinsOutput{true};    // one output pin by default
    std::vector<Capability> capabilities;  // offered by every output pin
    int recordSize = 128;
};

inline Capability capability(const device::Guid& subtype, int width, int height,
                             std::vector<int64_t> intervals) {
    Capability c;
    c.format.subtype = subtype;
    c.format.width = width;
    c.format.height = height;
    c.format.bitCount = 16;
    c.format.avgTimePerFrame = intervals.empty() ? 0 : intervals.front();
    c.intervals = std::move(intervals);
    return c;
}

// A listed device and, bound, the capture device it opens (a copy of the same scripted device).
class ScriptedDevice : public device::DeviceMoniker, public device::CaptureDevice {
public:
    explicit ScriptedDevice(Device d) : d_(std::move(d)) {}
    device::HResult displayName(std::string& name) override { return name = d_.displayName, device::kOk; }
    device::HResult friendlyName(std::string& name) override { return name = d_.friendlyName, device::kOk; }
    device::HResult symbolicLink(std::string& link) override { return link = d_.displayName, device::kOk; }
    device::HResult bind(std::shared_ptr<device::CaptureDevice>& device) override {
        device = std::make_shared<ScriptedDevice>(d_);
        return device::kOk;
    }
    device::HResult pinCount(int& count) override {
        count = static_cast<int>(d_.pinsOutput.size());
        return device::kOk;
    }
    device::HResult pinIsOutput(int pin, bool& isOutput) override {
        isOutput = d_.pinsOutput.at(static_cast<size_t>(pin));
        return device::kOk;
    }
    device::HResult hasStreamConfig(int) override { return device::kOk; }
    device::HResult capabilityCount(int, int& count, int& recordSize) override {
        count = static_cast<int>(d_.capabilities.size());
        recordSize = d_.recordSize;
        return device::kOk;
    }
    device::HResult capability(int, int index, device::MediaFormat& format) override {
        format = d_.capabilities.at(static_cast<size_t>(index)).format;
        return device::kOk;
    }
    device::HResult hasVideoControl() override { return device::kOk; }
    device::HResult frameIntervals(int, int index, int, int, std::vector<int64_t>& intervals) override {
        intervals = d_.capabilities.at(static_cast<size_t>(index)).intervals;
        return device::kOk;
    }
    device::HResult currentFormat(int, device::MediaFormat& format) override {
        format = d_.capabilities.empty() ? device::MediaFormat{} : d_.capabilities.front().format;
        return device::kOk;
    }
    device::HResult setFormat(int, const device::MediaFormat&) override { return device::kOk; }
    device::ControlPort* controls() override { return nullptr; }

private:
    Device d_;
};

class VideoSystem : public device::VideoSystem {
public:
    explicit VideoSystem(std::vector<Device> devices) : devices_(std::move(devices)) {}
    // Discovery only: no capture graph.
    device::HResult createGraph(std::unique_ptr<device::CaptureGraph>&) override {
        return device::kNotImplemented;
    }
    device::HResult createDeviceEnumerator() override { return device::kOk; }
    device::HResult enumerateVideoInputs(std::vector<std::unique_ptr<device::DeviceMoniker>>& out) override {
        out.clear();
        for (const Device& d : devices_)
            out.push_back(std::make_unique<ScriptedDevice>(d));
        return devices_.empty() ? device::kFalse : device::kOk;
    }

private:
    std::vector<Device> devices_;
};

inline void install(std::vector<Device> devices) {
    device::DevicePort port;
    port.name = "fake";
    port.video = std::make_shared<VideoSystem>(std::move(devices));
    device::installPort(std::move(port));
}

}  // namespace fake
