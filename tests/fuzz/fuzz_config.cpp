// APSet.ini: any bytes as the configuration file beside the executable, read the way the
// program reads it at start.
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/app_config.h"
#include "base/read_config.h"
#include "fuzz_support.h"

namespace {
std::string folder;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietLog();
    char pattern[] = "/tmp/lumora-fuzz-config-XXXXXX";
    if (!mkdtemp(pattern))
        std::abort();
    folder = pattern;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string exe = folder + "/lumora-x8-settings";
    const std::string ini = iniPathFor(exe);
    FILE* file = std::fopen(ini.c_str(), "wb");
    if (!file)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);

    readConfigFor(exe);
    // Keys outside the fixed set and a missing section take the same road.
    readProfileInt(ini, "", "", -7);
    readProfileInt(ini, "Config", "debug=1", -7);
    return 0;
}
