#pragma once
// The program's debug log. Every line goes to standard output at once (flushed), so a
// log redirected to a file or a pipe loses nothing. Tests may install a sink that sees
// every text exactly as written.
#include <functional>
#include <string>

// printf-style log line; the text is written exactly as formatted.
int debugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes text as the standard output stream would (the places that stream with <<).
void writeStdout(const std::string& text);

// Receives every text written by debugLog and writeStdout, after it reached stdout.
using LogSink = std::function<void(const std::string&)>;
void setLogSink(LogSink sink);

// Silences standard output (the sink still receives everything); tests use it to keep
// their own output readable.
void setLogEcho(bool echo);
