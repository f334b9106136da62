// lumora-fwimage: makes a firmware image for the simulated Lumora X8, or prints the header
// of one. The format is described in docs/simulated-camera.md.
//
//   lumora-fwimage --version 1.2.4 [--text T] [--size BYTES | --payload FILE] [--corrupt] OUT.bin
//   lumora-fwimage --info IMAGE.bin
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "device/sim/fw_image.h"
#include "fwimage/bounded_read.h"

using namespace device::sim;

namespace {
int usage() {
    std::fprintf(stderr,
                 "usage: lumora-fwimage --version F.M.m [--text TEXT] [--size BYTES | --payload FILE] "
                 "[--corrupt] OUT\n"
                 "       lumora-fwimage --info IMAGE\n"
                 "  --version  header version formal.major.minor (0-255, 0-4095, 0-4095)\n"
                 "  --text     version text the camera reports after the update (default: the version)\n"
                 "  --size     whole image size in bytes, header included (default 65536); the\n"
                 "             payload is a repeatable pseudo-random pattern\n"
                 "  --payload  take the payload from FILE instead\n"
                 "  --corrupt  flip one payload byte after the checksum was computed\n");
    return 2;
}

bool parseVersion(const std::string& text, uint32_t& word) {
    unsigned f = 0, ma = 0, mi = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%u.%u.%u%c", &f, &ma, &mi, &tail) != 3)
        return false;
    if (f > 255 || ma > 4095 || mi > 4095)
        return false;
    word = makeHeaderVersion(f, ma, mi);
    return true;
}

// The camera learns an image's size as a signed 32-bit number: no image is larger.
constexpr size_t kLargestImage = size_t(INT32_MAX);

int info(const std::string& path) {
    std::vector<uint8_t> image;
    switch (fwimage::readFileAtMost(path, kLargestImage, image)) {
        case fwimage::ReadOutcome::Read:
            break;
        case fwimage::ReadOutcome::CannotRead:
            std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
            return 1;
        case fwimage::ReadOutcome::TooLong:
            std::fprintf(stderr, "%s: larger than any image (%zu bytes)\n", path.c_str(), kLargestImage);
            return 1;
    }
    if (image.size() < kFwHeaderSize) {
        std::fprintf(stderr, "%s: shorter than a header\n", path.c_str());
        return 1;
    }
    FwHeader h;
    std::string why;
    if (!parseFwHeader(image.data(), h, why)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str());
        return 1;
    }
    const bool sizeOk = h.imageSize == image.size();
    const bool crcOk =
        sizeOk && crc32(image.data() + kFwHeaderSize, image.size() - kFwHeaderSize) == h.payloadCrc;
    std::printf(
        "model:          %s\nheader version: 0x%08X (%s)\nversion text:   %s\nimage size:     %u%s\n"
        "payload crc:    0x%08X%s\n",
        h.model.c_str(), h.headerVersion, headerVersionText(h.headerVersion).c_str(), h.versionText.c_str(),
        h.imageSize, sizeOk ? "" : " (file size differs)", h.payloadCrc,
        crcOk ? " (matches)" : " (MISMATCH)");
    return sizeOk && crcOk ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv) {
    std::string version, text, payloadFile, out;
    long size = 65536;
    bool corrupt = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (a == "--info")
            return info(next());
        if (a == "--version")
            version = next();
        else if (a == "--text")
            text = next();
        else if (a == "--size")
            size = std::strtol(next().c_str(), nullptr, 10);
        else if (a == "--payload")
            payloadFile = next();
        else if (a == "--corrupt")
            corrupt = true;
        else if (a == "--help" || a == "-h")
            return usage();
        else if (!a.empty() && a[0] != '-' && out.empty())
            out = a;
        else
            return usage();
    }
    uint32_t word = 0;
    if (out.empty() || !parseVersion(version, word))
        return usage();
    std::vector<uint8_t> payload;
    if (!payloadFile.empty()) {
        const size_t largestPayload = kLargestImage - kFwHeaderSize;
        switch (fwimage::readFileAtMost(payloadFile, largestPayload, payload)) {
            case fwimage::ReadOutcome::Read:
                break;
            case fwimage::ReadOutcome::CannotRead:
                std::fprintf(stderr, "cannot read %s\n", payloadFile.c_str());
                return 1;
            case fwimage::ReadOutcome::TooLong:
                std::fprintf(stderr,
                             "%s: payload larger than %zu bytes (an image holds at most %zu bytes, "
                             "header included)\n",
                             payloadFile.c_str(), largestPayload, kLargestImage);
                return 1;
        }
    } else {
        if (size < long(kFwHeaderSize) || size > long(kLargestImage)) {
            std::fprintf(stderr, "--size must be from %zu to %zu\n", kFwHeaderSize, kLargestImage);
            return 2;
        }
        payload.resize(size_t(size) - kFwHeaderSize);
        uint32_t x = 0x2E7A0C08;
        for (uint8_t& b : payload)
            b = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
    }
    std::vector<uint8_t> image = buildFwImage(word, text.empty() ? version : text, payload);
    if (corrupt && image.size() > kFwHeaderSize)
        image[kFwHeaderSize + (image.size() - kFwHeaderSize) / 2] ^= 0x5A;
    std::ofstream file(out, std::ios::binary);
    file.write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%s: %zu bytes, version %s%s\n", out.c_str(), image.size(), headerVersionText(word).c_str(),
                corrupt ? " (corrupt payload)" : "");
    return 0;
}
