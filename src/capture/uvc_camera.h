#pragma once
// The camera as the stream objects see it: owns one capture slot and a frame copy
// buffer, builds the format list and carries the standard control operations.
#include <cstdint>
#include <vector>

#include "device/video_port.h"

#include "base/resolution_list.h"
#include "capture/frame_bytes.h"
#include "capture/standard_controls.h"

class UvcCamera {
public:
    UvcCamera() = default;
    UvcCamera(const UvcCamera&) = delete;
    UvcCamera& operator=(const UvcCamera&) = delete;

    // Rebuilds the format list for the device whose friendly name contains name (null:
    // the first device), appends the usable formats and returns the default MJPG index
    // (-1 when none).
    int initial(const char* name, std::vector<RESOLUTION_LIST>& formats);
    // How the last open ended.
    enum class Outcome {
        Opened,       // the stream runs (openControls: the controls are open)
        StreamInUse,  // the controls are open, the stream is held by another application
        Denied,       // the user may not open the device
        Failed,       // anything else (no such device, a step failed, the device went away)
    };

    // outputType 0: frames converted to RGB32; other: the camera's native samples.
    // Answers the slot number, -1 (first half failed or slot taken) or -3. The first half
    // opens the device and its controls (openControls), the second its stream (openStream).
    int open(int pinId, int formatId, int outputType);
    // The first half alone: the slot is open for the standard controls, without a stream.
    int openControls(int pinId, int formatId, int outputType);
    // The second half on the open slot: the format the first half was given, or formatId
    // with outputType. Answers the slot number or -3.
    int openStream();
    int openStream(int formatId, int outputType);
    Outcome lastOutcome() const { return outcome_; }
    // The slot's stream runs (an open slot without one serves the controls only).
    bool isStreaming() const { return streaming_ && isOpen() != 0; }
    // Who holds the stream (after StreamInUse): empty when the backend cannot tell.
    std::vector<device::ProcessRef> streamHolders();
    // Closes the slot (logs the close code) and frees the copy buffer.
    void release();

    // Frames (GUI thread).
    int newFrameCount();
    // Points *data at the copy buffer; answers the frame length (0 when closed).
    int getFrame(uint8_t** data);
    // 1 when the device was lost, else 0.
    int getEvent();

    // Standard controls of the open slot.
    int getValue(int property);
    int setValue(int property, double value);
    int setManual(int property);
    int setAuto(int property);
    int getFlags(int property);
    // After a reset the camera made by itself (codes as ewc_cameraRestoredDefaults).
    int cameraRestoredDefaults();
    // 0 when limits were filled (codes as ewc_getRange).
    int getRange(int property, ControlLimits& limits);
    int getKsValue(int property);
    int setKsValue(int property, double value);
    int isOpen() const;

    int openNum() const { return openNum_; }

private:
    int openNum_ = -1;
    int pinId_ = 0;
    bool streaming_ = false;
    bool listingDenied_ = false;
    Outcome outcome_ = Outcome::Failed;
    FrameBytes copyBuffer_;
};
