#include "firmware/fw_version.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace {
// strtol's reading of one part, clamped to an int.
int readPart(const std::string& text) {
    errno = 0;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return int(value);
}

// Reads the part before the first "." and removes it with its "." (nothing is removed
// when no "." follows, so the same text is read again).
int takePart(std::string& text) {
    const std::string::size_type dot = text.find('.');
    const int value = readPart(dot == std::string::npos ? text : text.substr(0, dot));
    if (dot != std::string::npos)
        text.erase(0, dot + 1);
    return value;
}

// The first `count` runs of decimal digits of a text, each clamped to an int.
std::vector<int> leadingNumbers(const std::string& text, size_t count) {
    std::vector<int> numbers;
    size_t i = 0;
    while (numbers.size() < count && i < text.size()) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        long long value = 0;
        for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
            value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
        numbers.push_back(int(value));
    }
    return numbers;
}
}  // namespace

FwVersion splitHeaderVersion(uint32_t word) {
    return FwVersion{int(word >> 24), int((word >> 12) & 0xFFF), int(word & 0xFFF)};
}

FwVersion parseRunningVersion(const std::string& text) {
    std::string rest = text;
    FwVersion v;
    v.formal = takePart(rest);
    v.major = takePart(rest);
    v.minor = takePart(rest);
    return v;
}

bool isNewerVersion(const FwVersion& image, const FwVersion& running) {
    if (image.formal != running.formal)
        return image.formal > running.formal;
    if (image.major != running.major)
        return image.major > running.major;
    return image.minor > running.minor;
}

bool operator==(const FwVersion& a, const FwVersion& b) {
    return a.formal == b.formal && a.major == b.major && a.minor == b.minor;
}

bool versionTextReadsAs(const std::string& text, const FwVersion& v) {
    return leadingNumbers(text, 3) == std::vector<int>{v.formal, v.major, v.minor};
}

bool runsUpdatedFirmware(const std::string& before, const std::string& after, const FwVersion& image) {
    if (after.empty())
        return false;  // no version read back: nothing shows the update took
    return versionTextReadsAs(after, image) || after != before;
}
