#pragma once
// The last lines of the log, kept in memory so that a diagnostic bundle can carry them.
// Texts arrive as they were written (a part of a line, one line or several); the ring
// keeps whole lines, oldest first, and the line still being written after them. A line
// longer than kMaxLineBytes keeps its start and says it was cut, so the ring's memory
// stays bounded whatever is logged.
//
// Not locked: the log (debug_log.cpp) appends and reads its ring under its own lock.
#include <cstddef>
#include <string>
#include <vector>

// The last kRecentLogLines lines the log wrote, oldest first (and the line not yet ended),
// whether or not they were echoed or went to a sink: what a diagnostic bundle carries.
constexpr std::size_t kRecentLogLines = 5000;
std::string recentLog();

class LogRing {
public:
    static constexpr std::size_t kMaxLineBytes = 2048;

    explicit LogRing(std::size_t lines);

    void append(const std::string& text);
    // The kept lines, oldest first, each with its line end, then the unfinished one.
    std::string text() const;

private:
    void addToLine(const std::string& text, std::size_t from, std::size_t length);

    std::size_t capacity_;
    std::vector<std::string> lines_;  // a ring once it holds capacity_ lines
    std::size_t next_ = 0;            // where the next finished line goes once full
    std::string partial_;             // the line being written
    bool cut_ = false;                // partial_ reached kMaxLineBytes
};
