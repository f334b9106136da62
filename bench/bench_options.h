#pragma once
// The benchmarks' "--name=N" options.
#include <cstdlib>
#include <string>

inline int intOption(int argc, char** argv, const std::string& name, int fallback) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(name + "=", 0) == 0)
            return std::atoi(arg.c_str() + name.size() + 1);
    }
    return fallback;
}
