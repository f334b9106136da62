#pragma once
// The probe's report: one line per check, "  ok   what: detail" or "  FAIL what: detail".
#include <cstdio>
#include <string>

class ProbeReport {
public:
    void check(const std::string& what, bool passed, const std::string& detail) {
        std::printf("  %-4s %s: %s\n", passed ? "ok" : "FAIL", what.c_str(), detail.c_str());
        std::fflush(stdout);
        ++(passed ? passed_ : failed_);
    }
    void note(const std::string& text) {
        std::printf("  note %s\n", text.c_str());
        std::fflush(stdout);
    }
    // The exit code: 0 when every check passed.
    int finish() const {
        std::printf("vivid-check: probe %d passed, %d failed\n", passed_, failed_);
        return failed_ == 0 && passed_ > 0 ? 0 : 1;
    }

private:
    int passed_ = 0;
    int failed_ = 0;
};
