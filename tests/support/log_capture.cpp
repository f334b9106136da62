#include "support/log_capture.h"

#include <cstdlib>

#include "base/debug_log.h"

LogCapture::LogCapture() {
    setLogEcho(std::getenv("LUMORA_TEST_ECHO") != nullptr);
    setLogSink([this](const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        writes_.push_back(text);
    });
}

LogCapture::~LogCapture() {
    setLogSink(nullptr);
    setLogEcho(true);
}

std::string LogCapture::text() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string all;
    for (const std::string& w : writes_)
        all += w;
    return all;
}

std::vector<std::string> LogCapture::writes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return writes_;
}

bool LogCapture::contains(const std::string& needle) const {
    return text().find(needle) != std::string::npos;
}

int LogCapture::count(const std::string& exact) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const std::string& w : writes_)
        n += w == exact ? 1 : 0;
    return n;
}

std::vector<std::string> LogCapture::startingWith(const std::string& prefix) const {
    std::vector<std::string> lines;
    for (const std::string& w : writes())
        if (w.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(w);
    return lines;
}

int LogCapture::indexOf(const std::string& exact) const {
    const std::vector<std::string> all = writes();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i] == exact)
            return int(i);
    return -1;
}

void LogCapture::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    writes_.clear();
}
