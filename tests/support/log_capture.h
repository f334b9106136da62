#pragma once
// Captures everything the program logs while it lives, so that tests can assert log
// lines exactly. Standard output is silenced meanwhile unless LUMORA_TEST_ECHO is set.
#include <mutex>
#include <string>
#include <vector>

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Everything written so far, concatenated.
    std::string text() const;
    // Each write as it was made (one debugLog call or one stream write per entry).
    std::vector<std::string> writes() const;
    bool contains(const std::string& needle) const;
    // How many writes equal text exactly.
    int count(const std::string& exact) const;
    // The writes that start with prefix, in order.
    std::vector<std::string> startingWith(const std::string& prefix) const;
    // Index of the first write equal to exact, or -1.
    int indexOf(const std::string& exact) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> writes_;
};
