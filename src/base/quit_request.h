#pragma once
// The process-wide request to quit. It is raised once (SIGINT or SIGTERM, the window
// closed, the event loop ended) and stays raised for the rest of the run. Every wait
// that can last longer than a moment consults it, on whatever thread it runs: the
// extension-unit checks after an open, the stream open's first-frame wait, the settings
// worker, the value read after a connection, and the firmware update, which polls
// quitRequested() between two steps and stops at the next point where the camera is left
// in a safe state. It sits at the bottom of the layers so that every layer can see it.
#include <chrono>

// Raises the request and wakes every waitUnlessQuitRequested at once. Any thread.
void requestQuit();
// The only call allowed in a signal handler: raises the request with a lock-free atomic
// store. Waiting threads see it within one polling slice (kQuitPollSlice).
void requestQuitFromSignalHandler();
// Whether a quit was requested. Any thread, cheap enough to call in a loop.
bool quitRequested();

// The longest a waiting thread may miss a request raised by a signal handler.
constexpr std::chrono::milliseconds kQuitPollSlice{10};

// Sleeps for duration, or less when a quit is requested before it ends. Answers
// quitRequested() at the end, so a loop that waits can stop on true.
bool waitUnlessQuitRequested(std::chrono::milliseconds duration);

// Lowers the request again. Only for tests that run several quits in one process.
void clearQuitRequest();
