#include "device/sim/sim_encoder.h"

#include <turbojpeg.h>

namespace device::sim {

FrameEncoder::FrameEncoder() : compressor_(tjInitCompress()), decompressor_(tjInitDecompress()) {}

FrameEncoder::~FrameEncoder() {
    if (compressor_)
        tjDestroy(compressor_);
    if (decompressor_)
        tjDestroy(decompressor_);
}

size_t FrameEncoder::jpeg(const TestPicture& p, std::vector<uint8_t>& out, int quality) {
    if (!compressor_)
        return 0;
    const unsigned long bound = tjBufSize(p.width(), p.height(), TJSAMP_420);
    if (out.size() < bound)
        out.resize(bound);
    const unsigned char* planes[3] = {p.plane(0), p.plane(1), p.plane(2)};
    const int strides[3] = {p.stride(0), p.stride(1), p.stride(2)};
    unsigned char* buffer = out.data();
    unsigned long size = bound;
    if (tjCompressFromYUVPlanes(compressor_, planes, p.width(), strides, p.height(), TJSAMP_420, &buffer,
                                &size, quality, TJFLAG_NOREALLOC | TJFLAG_FASTDCT) != 0)
        return 0;
    return size;
}

size_t FrameEncoder::yuy2(const TestPicture& p, std::vector<uint8_t>& out) {
    const int w = p.width(), h = p.height();
    const size_t size = size_t(w) * h * 2;
    if (out.size() < size)
        out.resize(size);
    for (int y = 0; y < h; ++y) {
        const uint8_t* ly = p.plane(0) + size_t(y) * p.stride(0);
        const uint8_t* lu = p.plane(1) + size_t(y / 2) * p.stride(1);
        const uint8_t* lv = p.plane(2) + size_t(y / 2) * p.stride(2);
        uint8_t* o = out.data() + size_t(y) * w * 2;
        for (int x = 0; x + 1 < w; x += 2) {
            o[0] = ly[x];
            o[1] = lu[x / 2];
            o[2] = ly[x + 1];
            o[3] = lv[x / 2];
            o += 4;
        }
    }
    return size;
}

size_t FrameEncoder::rgb32BottomUp(const TestPicture& p, std::vector<uint8_t>& out) {
    if (!decompressor_)
        return 0;
    const size_t size = size_t(p.width()) * p.height() * 4;
    if (out.size() < size)
        out.resize(size);
    const unsigned char* planes[3] = {p.plane(0), p.plane(1), p.plane(2)};
    const int strides[3] = {p.stride(0), p.stride(1), p.stride(2)};
    if (tjDecodeYUVPlanes(decompressor_, planes, strides, TJSAMP_420, out.data(), p.width(), p.width() * 4,
                          p.height(), TJPF_BGRA, TJFLAG_BOTTOMUP) != 0)
        return 0;
    return size;
}

}  // namespace device::sim
