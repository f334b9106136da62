#pragma once
// Firmware versions: the image header's version word and the camera's running version
// text, both as (formal, major, minor).
#include <cstdint>
#include <string>

struct FwVersion {
    int formal = 0;
    int major = 0;
    int minor = 0;
};

// The header version word: formal = V >> 24, major = (V >> 12) & 0xFFF, minor = V & 0xFFF.
FwVersion splitHeaderVersion(uint32_t word);

// The running version text, part by part up to each ".": every part is read as a decimal
// number (leading blanks and a sign allowed, reading stops at the first non-digit; no
// digits read as 0). A missing part repeats the last one read: "1.2" is 1, 2, 2.
FwVersion parseRunningVersion(const std::string& text);

// Lexicographic (formal, major, minor); an equal version is not newer.
bool isNewerVersion(const FwVersion& image, const FwVersion& running);
bool operator==(const FwVersion& a, const FwVersion& b);

// Whether the version text reads as v: its first three runs of decimal digits are formal,
// major and minor ("1.2.4", "v1.2.4", "1.2.4 build 77"; not "1.2.40" for 1.2.4).
bool versionTextReadsAs(const std::string& text, const FwVersion& v);

// Whether a camera back from its update runs the image whose header carried `image`: its
// version text reads as the image's version, or, when the text says no more than a name
// ("Build 77"), it is another text than the one the camera reported before the update.
// A camera that came back with the text it had before (and that is not the image's
// version) kept its old firmware.
bool runsUpdatedFirmware(const std::string& before, const std::string& after, const FwVersion& image);
