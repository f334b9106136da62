#pragma once
// The converter module's conversion (frame_conversion.h): YUYV through libswscale, MJPG
// and H264 decoded with libavcodec first. All memory is taken when the converter opens,
// none per frame (except what the decoder keeps for itself).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/v4l2/frame_conversion.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace device::v4l2 {

class LibavFrameConverter : public FrameConversion {
public:
    LibavFrameConverter() = default;
    ~LibavFrameConverter() override;
    LibavFrameConverter(const LibavFrameConverter&) = delete;
    LibavFrameConverter& operator=(const LibavFrameConverter&) = delete;

    bool open(uint32_t pixelformat, int width, int height, int bytesPerLine, size_t maxSample, int outWidth,
              int outHeight) override;
    const uint8_t* convert(const uint8_t* data, size_t length) override;
    size_t pictureSize() const override { return pictureSize_; }

private:
    bool scale(const uint8_t* const planes[], const int strides[], int width, int height, int format,
               bool fullRange);
    void release();

    uint32_t pixelformat_ = 0;
    int width_ = 0, height_ = 0, bytesPerLine_ = 0;
    int outWidth_ = 0, outHeight_ = 0;
    // The picture and, behind it, room for what the scaler writes past the end of a row:
    // for outputs a few pixels wide it writes whole groups of pixels.
    std::vector<uint8_t> picture_;
    size_t pictureSize_ = 0;
    std::vector<uint8_t> packetData_;  // sample copy with the decoder's padding
    std::vector<uint8_t> sourceCopy_;  // YUYV samples the scaler would read past (see open)
    AVCodecContext* decoder_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* sws_ = nullptr;
    // The source the scaler's colour range was last set up for; the range is set again
    // only when the source changes, not for every frame.
    struct ScalerSource {
        int width = 0, height = 0, format = -1;
        bool fullRange = false;
        bool operator==(const ScalerSource& o) const {
            return width == o.width && height == o.height && format == o.format && fullRange == o.fullRange;
        }
    };
    ScalerSource scalerSource_;
};

}  // namespace device::v4l2
