#pragma once
// The video-streaming side of the emulated camera: the probe and commit controls that
// negotiate format, frame size and interval with the host, and the cutting of frames into
// the payloads of the bulk endpoint, each led by a two-byte payload header whose frame
// ID toggles from frame to frame and whose end-of-frame bit marks a frame's last payload.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "camera_descriptors.h"

namespace usbcam {

// The probe and commit controls of video-class version 1.1.
constexpr size_t kProbeLength = 34;
// Largest payload: the host's bulk transfers are 32 packets of 512 bytes, one payload each.
constexpr uint32_t kPayloadSize = 32 * kBulkPacketSize;

struct StreamSettings {
    uint8_t formatIndex = 1;
    uint8_t frameIndex = 1;
    uint32_t interval = 0;
};

class StreamControl {
public:
    explicit StreamControl(const CameraDescriptors& descriptors);

    // A class request to the streaming interface (selector 1 probe, 2 commit); false where
    // the device stalls. answer holds a GET's bytes.
    bool request(uint8_t selector, uint8_t request, const std::vector<uint8_t>& sent,
                 std::vector<uint8_t>& answer);
    // The settings the host committed, while it streams.
    bool streaming() const { return streaming_; }
    const StreamFrame& frame() const;
    uint32_t interval() const { return committed_.interval; }
    // Commits counted since start: each one starts a stream anew.
    unsigned commits() const { return commits_; }
    void stop() { streaming_ = false; }

    // The settings the camera makes of a probe: a format and frame it has, and the
    // nearest interval the frame offers (its default for 0).
    StreamSettings normalise(const std::vector<uint8_t>& probe) const;
    std::vector<uint8_t> encode(const StreamSettings& settings) const;

private:
    const CameraDescriptors& descriptors_;
    StreamSettings probe_;
    StreamSettings committed_;
    bool streaming_ = false;
    unsigned commits_ = 0;
};

class PayloadCutter {
public:
    // The next frame's bytes; the frame ID toggles.
    void newFrame(std::vector<uint8_t> bytes);
    bool hasData() const { return offset_ < frame_.size(); }
    // Writes the next payload of at most maxLength bytes (header included) into out and
    // answers its length; 0 when no frame data is left or maxLength holds no data byte.
    size_t next(uint8_t* out, size_t maxLength);

private:
    std::vector<uint8_t> frame_;
    size_t offset_ = 0;
    bool frameId_ = true;
};

}  // namespace usbcam
