// A camera profile: any bytes as the file's text, read the way the program reads a
// profile, and changed the way a store changes it. A store must set the values it was
// given and leave every other control of the file as it was.
#include <cstdlib>

#include "engine/control_table.h"
#include "engine/profile_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    // The first bytes choose which controls a store changes, and to what.
    const uint32_t changedMask = input.u32();
    CameraProfile profile{QStringLiteral("S1"), {}};
    std::set<std::string> changed;
    const std::vector<const ControlRow*> catalog = namedControls();
    for (size_t i = 0; i < catalog.size() && i < 32; ++i) {
        if ((changedMask >> i) & 1U) {
            profile.values[catalog[i]->name] = static_cast<int>(input.u32());
            changed.insert(catalog[i]->name);
        }
    }
    const QByteArray text(reinterpret_cast<const char*>(input.rest()), static_cast<int>(input.remaining()));

    const ProfileLoad before = parseProfile(text);
    const ProfileLoad after = parseProfile(mergeProfileText(text, profile, changed));
    for (const ControlRow* control : catalog) {
        const auto was = before.profile.values.find(control->name);
        const auto is = after.profile.values.find(control->name);
        if (changed.count(control->name) != 0) {
            if (is == after.profile.values.end() || is->second != profile.values.at(control->name))
                std::abort();  // a value given to the store was not stored
        } else if ((was == before.profile.values.end()) != (is == after.profile.values.end()) ||
                   (is != after.profile.values.end() && is->second != was->second)) {
            std::abort();  // a value nobody changed was lost or altered
        }
    }
    parseProfile(profileText(before.profile));
    return 0;
}
