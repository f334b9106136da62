#pragma once
// A wait on the GUI thread that keeps the window alive. The connection flows wait on the
// GUI thread (for an open to finish, between two extension-unit checks); meanwhile the
// window still repaints, a request to close it is handled and a quit signal is read. User
// input and every timer are held back until the wait is over, so neither a tick of the
// window nor a step of another flow runs in the middle of a flow.
#include <functional>

// Waits until done() holds (checked every few milliseconds; null: never), timeoutMs
// passed (negative: no limit) or a quit was requested. Answers whether a quit was
// requested.
bool waitKeepingWindowAlive(int timeoutMs, const std::function<bool()>& done);
