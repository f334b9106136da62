#pragma once
// The emulated Lumora X8 as a USB device: its control endpoint (the standard requests,
// and the class requests of the video-control and video-streaming interfaces) and the
// frames of its bulk endpoint, all from one camera model.
#include <cstdint>
#include <memory>
#include <vector>

#include "camera_descriptors.h"
#include "device/sim/camera_model.h"
#include "device/sim/sim_encoder.h"
#include "stream_control.h"
#include "unit_requests.h"

namespace usbcam {

struct ControlAnswer {
    bool stall = false;
    std::vector<uint8_t> data;  // IN data, already cut to the request's wLength
    device::sim::ExtensionUnit::Action action = device::sim::ExtensionUnit::Action::None;
    bool streamStopped = false;  // the request ended the host's stream
};

class UsbCamera {
public:
    explicit UsbCamera(const device::sim::SimOptions& options);

    // One control transfer: the 8-byte setup packet and the OUT data stage.
    ControlAnswer control(const uint8_t* setup, const std::vector<uint8_t>& out);
    // After a (re)plug: unconfigured, not streaming.
    void plugged();
    // The committed stream's next frame, rendered and encoded.
    std::vector<uint8_t> renderFrame(long number, double seconds);

    device::sim::CameraModel& model() { return model_; }
    const CameraDescriptors& descriptors() const { return descriptors_; }
    StreamControl& stream() { return stream_; }
    UnitRequests& units() { return units_; }

private:
    ControlAnswer standardRequest(uint8_t request, uint16_t value, uint16_t index);

    device::sim::CameraModel model_;
    CameraDescriptors descriptors_;
    StreamControl stream_;
    UnitRequests units_;
    uint8_t configuration_ = 0;
    std::unique_ptr<device::sim::TestPicture> picture_;
    device::sim::FrameEncoder encoder_;
};

}  // namespace usbcam
