#pragma once
// Turns the samples of a capture node into RGB32 pictures with the rows bottom-up, as
// the port's converted stream promises: YUYV through libswscale, MJPG and H264 decoded
// with libavcodec first (frame_conversion.h). The converter module that does it is loaded
// by the first open in the process, from beside the executable or from the installed
// private library folder; when it (or a library it needs) is missing, every open fails
// and loadError() says what is missing.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "device/v4l2/frame_conversion.h"

namespace device::v4l2 {

class FrameConverter {
public:
    FrameConverter();
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // As FrameConversion::open; false also when the converter module does not load.
    bool open(uint32_t pixelformat, int width, int height, int bytesPerLine, size_t maxSample, int outWidth,
              int outHeight);
    const uint8_t* convert(const uint8_t* data, size_t length);
    size_t pictureSize() const;

    // Why the converter module did not load; empty while it loaded or was not yet needed.
    static std::string loadError();

private:
    std::unique_ptr<FrameConversion> conversion_;
};

// The result of loading a converter module from `path` (the module stays loaded).
struct FrameConverterModule {
    CreateFrameConversionFn create = nullptr;
    std::string error;  // what failed, with the path and the loader's reason
};
FrameConverterModule loadFrameConverterModule(const std::string& path);

}  // namespace device::v4l2
