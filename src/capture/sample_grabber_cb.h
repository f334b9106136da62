#pragma once
// The frame call-back of a running slot: takes each sample on the backend's streaming
// thread, applies the H264 lag rule and stores the frame in the slot's frame store.
#include <cstdint>

#include "device/video_port.h"

class ewc_SampleGrabberCB : public device::FrameSink {
public:
    explicit ewc_SampleGrabberCB(int slot) : slot_(slot) {}

    // sampleTime in seconds; length bytes at buffer.
    void BufferCB(double sampleTime, const uint8_t* buffer, long length);
    void bufferCB(double sampleTime, const uint8_t* data, long length) override {
        BufferCB(sampleTime, data, length);
    }

    // Guarded by the slot's mutex.
    uint32_t baseTime = 0;  // tick count minus stream time at the first frame; 0 = unset
    int32_t lastDiffer = 0;
    int32_t skipCount = 0;

private:
    int slot_;
    bool oversizeReported_ = false;
};
