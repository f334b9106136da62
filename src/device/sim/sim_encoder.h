#pragma once
// Turns a rendered test picture into the bytes of one sample: a JPEG (MJPG), packed
// YUY2, or RGB32 rows bottom-up (the converted frames). Buffers are reused from frame to
// frame; one encoder per streaming thread.
#include <cstdint>
#include <vector>

#include "device/sim/sim_picture.h"

namespace device::sim {

class FrameEncoder {
public:
    FrameEncoder();
    ~FrameEncoder();
    FrameEncoder(const FrameEncoder&) = delete;
    FrameEncoder& operator=(const FrameEncoder&) = delete;

    // Each answers the sample's length in out (out grows as needed, never shrinks); 0 on
    // failure.
    size_t jpeg(const TestPicture& picture, std::vector<uint8_t>& out, int quality = 80);
    size_t yuy2(const TestPicture& picture, std::vector<uint8_t>& out);
    size_t rgb32BottomUp(const TestPicture& picture, std::vector<uint8_t>& out);

private:
    void* compressor_ = nullptr;
    void* decompressor_ = nullptr;
};

}  // namespace device::sim
