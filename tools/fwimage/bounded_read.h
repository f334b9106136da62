#pragma once
// Reads a whole file, but never more than a limit: a payload or an image taken from a
// device such as /dev/zero, or from a pipe that never ends, is refused instead of being
// read for ever.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace fwimage {

enum class ReadOutcome {
    Read,        // the whole file is in out
    CannotRead,  // the file could not be opened or a read failed
    TooLong,     // it holds more than limit bytes; out is left empty
};

inline ReadOutcome readFileAtMost(const std::string& path, size_t limit, std::vector<uint8_t>& out) {
    out.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ReadOutcome::CannotRead;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return ReadOutcome::CannotRead;
        // A plain file that is too long is refused without reading it.
        if (S_ISREG(info.st_mode) && uint64_t(info.st_size) > limit)
            return ReadOutcome::TooLong;
    }

    constexpr size_t kChunk = 1 << 20;
    std::vector<char> chunk(kChunk);
    for (;;) {
        in.read(chunk.data(), std::streamsize(chunk.size()));
        const size_t got = size_t(in.gcount());
        if (got > limit - out.size()) {
            out.clear();
            return ReadOutcome::TooLong;
        }
        out.insert(out.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(got));
        if (in.eof())
            return ReadOutcome::Read;
        if (!in) {
            out.clear();
            return ReadOutcome::CannotRead;
        }
    }
}

}  // namespace fwimage
