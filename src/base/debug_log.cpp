#include "base/debug_log.h"

#include "base/log_ring.h"

#include <locale.h>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {
std::mutex& logMutex() {
    static std::mutex m;
    return m;
}
LogSink& logSink() {
    static LogSink sink;
    return sink;
}
// The last lines for a diagnostic bundle, under the log's lock like the rest.
LogRing& logRing() {
    static LogRing ring(kRecentLogLines);
    return ring;
}
bool& logEcho() {
    static bool echo = true;
    return echo;
}

// The C locale, for formatting numbers as the log has always shown them ("1.041667"),
// whatever locale the process runs in: the application object takes the user's locale
// for the C library, and a comma-decimal one would turn every %f into "1,041667".
locale_t cLocale() {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t(0));
    return c;
}

// Switches the calling thread to the C locale for the lifetime of the object.
class CLocaleScope {
public:
    CLocaleScope() : previous_(cLocale() ? ::uselocale(cLocale()) : locale_t(0)) {}
    ~CLocaleScope() {
        if (previous_)
            ::uselocale(previous_);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous_;
};

void writeLog(const std::string& text) {
    std::lock_guard<std::mutex> lock(logMutex());
    if (logEcho()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
    logRing().append(text);
    if (logSink())
        logSink()(text);
}
}  // namespace

int debugLog(const char* format, ...) {
    const CLocaleScope cNumbers;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) {
        va_end(args);
        return needed;
    }
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    writeLog(std::string(buffer.data(), static_cast<size_t>(needed)));
    return needed;
}

void writeStdout(const std::string& text) {
    writeLog(text);
}

std::string recentLog() {
    std::lock_guard<std::mutex> lock(logMutex());
    return logRing().text();
}

void setLogSink(LogSink sink) {
    std::lock_guard<std::mutex> lock(logMutex());
    logSink() = std::move(sink);
}

void setLogEcho(bool echo) {
    std::lock_guard<std::mutex> lock(logMutex());
    logEcho() = echo;
}
