#include "device/v4l2/libav/libav_frame_converter.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace device::v4l2 {
namespace {

// Bytes the scaler may write after the end of a row (measured: 24 for a 2-pixel-wide
// picture), with a margin; the same margin covers what it reads past a source row.
constexpr size_t kScalerOverrun = 64;
// The scaler reads packed rows in groups of this many pixels: a row of another width is
// read past its end, which past the end of a sample (the last row of a mapped buffer that
// ends on a page boundary) is outside the memory the sample lies in.
constexpr int kScalerPixelGroup = 16;

// The decoders' full-range ("j") formats as their plain twins plus the range flag.
AVPixelFormat plainFormat(AVPixelFormat format, bool& fullRange) {
    fullRange = true;
    switch (format) {
        case AV_PIX_FMT_YUVJ420P:
            return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P:
            return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P:
            return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P:
            return AV_PIX_FMT_YUV440P;
        default:
            fullRange = false;
            return format;
    }
}

}  // namespace

LibavFrameConverter::~LibavFrameConverter() {
    release();
}

void LibavFrameConverter::release() {
    if (decoder_)
        avcodec_free_context(&decoder_);
    if (frame_)
        av_frame_free(&frame_);
    if (packet_)
        av_packet_free(&packet_);
    if (sws_)
        sws_freeContext(sws_);
    sws_ = nullptr;
    scalerSource_ = ScalerSource{};
    picture_.clear();
    pictureSize_ = 0;
    sourceCopy_.clear();
}

bool LibavFrameConverter::open(uint32_t pixelformat, int width, int height, int bytesPerLine,
                               size_t maxSample, int outWidth, int outHeight) {
    release();
    if (width <= 0 || height <= 0 || outWidth <= 0 || outHeight <= 0)
        return false;
    pixelformat_ = pixelformat;
    width_ = width;
    height_ = height;
    // A row is never shorter than its pixels (0: rows without padding).
    bytesPerLine_ = std::max(bytesPerLine, width * 2);
    outWidth_ = outWidth;
    outHeight_ = outHeight;
    pictureSize_ = size_t(outWidth) * size_t(outHeight) * 4;
    picture_.assign(pictureSize_ + kScalerOverrun, 0);
    if (pixelformat == V4L2_PIX_FMT_YUYV) {
        if (width % kScalerPixelGroup != 0)
            sourceCopy_.assign(size_t(bytesPerLine_) * size_t(height) + kScalerOverrun, 0);
        return true;
    }

    AVCodecID id = AV_CODEC_ID_NONE;
    if (pixelformat == V4L2_PIX_FMT_H264)
        id = AV_CODEC_ID_H264;
    if (pixelformat == V4L2_PIX_FMT_MJPEG || pixelformat == V4L2_PIX_FMT_JPEG)
        id = AV_CODEC_ID_MJPEG;
    const AVCodec* codec = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
    if (!codec)
        return false;
    decoder_ = avcodec_alloc_context3(codec);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!decoder_ || !frame_ || !packet_) {
        release();
        return false;
    }
    decoder_->flags |= AV_CODEC_FLAG_LOW_DELAY;
    decoder_->thread_count = 1;
    if (avcodec_open2(decoder_, codec, nullptr) < 0) {
        release();
        return false;
    }
    packetData_.assign(maxSample + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    return true;
}

bool LibavFrameConverter::scale(const uint8_t* const planes[], const int strides[], int width, int height,
                                int format, bool fullRange) {
    sws_ = sws_getCachedContext(sws_, width, height, AVPixelFormat(format), outWidth_, outHeight_,
                                AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!sws_)
        return false;
    const ScalerSource source{width, height, format, fullRange};
    if (!(source == scalerSource_)) {
        int* inverse = nullptr;
        int* table = nullptr;
        int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
        if (sws_getColorspaceDetails(sws_, &inverse, &srcRange, &table, &dstRange, &brightness, &contrast,
                                     &saturation) >= 0)
            sws_setColorspaceDetails(sws_, inverse, fullRange ? 1 : 0, table, dstRange, brightness, contrast,
                                     saturation);
        scalerSource_ = source;
    }
    // Bottom-up: the first row written is the last row of the buffer.
    const int outStride = outWidth_ * 4;
    uint8_t* lastRow = picture_.data() + size_t(outHeight_ - 1) * size_t(outStride);
    uint8_t* dst[4] = {lastRow, nullptr, nullptr, nullptr};
    int dstStride[4] = {-outStride, 0, 0, 0};
    return sws_scale(sws_, planes, strides, 0, height, dst, dstStride) == outHeight_;
}

const uint8_t* LibavFrameConverter::convert(const uint8_t* data, size_t length) {
    if (!data || picture_.empty())
        return nullptr;
    if (pixelformat_ == V4L2_PIX_FMT_YUYV) {
        const size_t needed = size_t(bytesPerLine_) * size_t(height_ - 1) + size_t(width_) * 2;
        if (length < needed)
            return nullptr;
        const uint8_t* source = data;
        if (!sourceCopy_.empty()) {
            std::memcpy(sourceCopy_.data(), data, needed);
            source = sourceCopy_.data();
        }
        const uint8_t* planes[4] = {source, nullptr, nullptr, nullptr};
        const int strides[4] = {bytesPerLine_, 0, 0, 0};
        return scale(planes, strides, width_, height_, AV_PIX_FMT_YUYV422, false) ? picture_.data() : nullptr;
    }
    if (!decoder_ || length == 0)
        return nullptr;
    if (length + AV_INPUT_BUFFER_PADDING_SIZE > packetData_.size())
        return nullptr;  // larger than any buffer
    std::memcpy(packetData_.data(), data, length);
    std::memset(packetData_.data() + length, 0, AV_INPUT_BUFFER_PADDING_SIZE);
    packet_->data = packetData_.data();
    packet_->size = int(length);
    if (avcodec_send_packet(decoder_, packet_) < 0)
        return nullptr;
    bool pictured = false;
    while (avcodec_receive_frame(decoder_, frame_) == 0) {
        bool fullRange = false;
        AVPixelFormat format = plainFormat(AVPixelFormat(frame_->format), fullRange);
        if (frame_->width > 0 && frame_->height > 0)
            pictured =
                scale(frame_->data, frame_->linesize, frame_->width, frame_->height, format, fullRange) ||
                pictured;
        av_frame_unref(frame_);
    }
    return pictured ? picture_.data() : nullptr;
}

}  // namespace device::v4l2

// The module's export (kCreateFrameConversion).
extern "C" __attribute__((visibility("default"))) device::v4l2::FrameConversion*
lumoraCreateFrameConversion() {
    return new device::v4l2::LibavFrameConverter();
}
