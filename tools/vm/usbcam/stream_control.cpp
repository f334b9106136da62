#include "stream_control.h"

#include <algorithm>
#include <cstring>

#include "unit_requests.h"

namespace usbcam {
namespace {

constexpr uint8_t kHeaderLength = 2;
constexpr uint8_t kEndOfHeader = 0x80;
constexpr uint8_t kEndOfFrame = 0x02;

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

}  // namespace

StreamControl::StreamControl(const CameraDescriptors& descriptors) : descriptors_(descriptors) {
    probe_ = committed_ = normalise({});
}

const StreamFrame& StreamControl::frame() const {
    const StreamFrame* f = descriptors_.frame(committed_.formatIndex, committed_.frameIndex);
    return f ? *f : descriptors_.frames.front();
}

StreamSettings StreamControl::normalise(const std::vector<uint8_t>& probe) const {
    StreamSettings s;
    const StreamFrame* f = nullptr;
    if (probe.size() >= 8) {
        s.formatIndex = probe[2];
        s.frameIndex = probe[3];
        s.interval = le32(probe, 4);
        f = descriptors_.frame(s.formatIndex, s.frameIndex);
        if (!f) {
            // Unknown frame: the format's first one, else the camera's first.
            s.frameIndex = 1;
            f = descriptors_.frame(s.formatIndex, 1);
        }
    }
    if (!f) {
        f = &descriptors_.frames.front();
        s.formatIndex = f->formatIndex;
        s.frameIndex = f->frameIndex;
        s.interval = 0;
    }
    uint32_t best = f->intervals.front();
    if (s.interval != 0) {
        for (uint32_t interval : f->intervals) {
            const auto distance = [&](uint32_t i) {
                return i > s.interval ? i - s.interval : s.interval - i;
            };
            if (distance(interval) < distance(best))
                best = interval;
        }
    }
    s.interval = best;
    return s;
}

std::vector<uint8_t> StreamControl::encode(const StreamSettings& s) const {
    std::vector<uint8_t> b(kProbeLength, 0);
    const StreamFrame* f = descriptors_.frame(s.formatIndex, s.frameIndex);
    b[0] = 0x01;  // bmHint: the frame interval is fixed
    b[2] = s.formatIndex;
    b[3] = s.frameIndex;
    put32(b, 4, s.interval);
    put32(b, 18, f ? f->maxFrameBytes() : 0);
    put32(b, 22, kPayloadSize);
    put32(b, 26, 48000000);
    b[30] = 0x03;  // bmFramingInfo: frame ID and end of frame in every payload header
    return b;
}

bool StreamControl::request(uint8_t selector, uint8_t request, const std::vector<uint8_t>& sent,
                            std::vector<uint8_t>& answer) {
    if (selector != 1 && selector != 2)
        return false;
    StreamSettings& target = selector == 1 ? probe_ : committed_;
    switch (request) {
        case kSetCur:
            if (sent.size() < 26)
                return false;
            target = normalise(sent);
            if (selector == 2) {
                streaming_ = true;
                ++commits_;
            }
            return true;
        case kGetCur:
            answer = encode(target);
            return true;
        case kGetMin:
        case kGetMax:
        case kGetDef:
            answer = encode(normalise({}));
            return true;
        case kGetLen:
            answer = {uint8_t(kProbeLength), 0};
            return true;
        case kGetInfo:
            answer = {0x03};
            return true;
        default:
            return false;
    }
}

void PayloadCutter::newFrame(std::vector<uint8_t> bytes) {
    frame_ = std::move(bytes);
    offset_ = 0;
    frameId_ = !frameId_;
}

size_t PayloadCutter::next(uint8_t* out, size_t maxLength) {
    if (!hasData() || maxLength <= kHeaderLength)
        return 0;
    const size_t data = std::min(frame_.size() - offset_, maxLength - kHeaderLength);
    std::memcpy(out + kHeaderLength, frame_.data() + offset_, data);
    offset_ += data;
    out[0] = kHeaderLength;
    out[1] = uint8_t(kEndOfHeader | (frameId_ ? 1 : 0) | (hasData() ? 0 : kEndOfFrame));
    return kHeaderLength + data;
}

}  // namespace usbcam
