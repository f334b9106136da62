#pragma once
// What the fuzz targets share: a quiet log, an off-screen Qt application for the targets
// that need one, and a reader that takes typed values off the front of the fuzz input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace fuzz {

// Standard output stays quiet (the log still formats every line, so its format strings
// are exercised); call from LLVMFuzzerInitialize.
void quietLog();
// A QGuiApplication on the off-screen platform, for pixmaps and image plug-ins.
void startGuiApplication(int* argc, char*** argv);

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t remaining() const { return size_ - pos_; }
    const uint8_t* rest() const { return data_ + pos_; }

    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint32_t u32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(byte()) << (8 * i);
        return v;
    }
    // Copies up to n bytes into out; answers how many there were.
    size_t take(void* out, size_t n) {
        const size_t count = std::min(n, remaining());
        if (count > 0)
            std::memcpy(out, data_ + pos_, count);
        pos_ += count;
        return count;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace fuzz
