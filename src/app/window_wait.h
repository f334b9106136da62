#pragma once
// A wait on the GUI thread that keeps the window alive. The connection flows wait on the
// GUI thread (for an open to finish, between two extension-unit checks); meanwhile the
// window still repaints, a request to close it is handled and a quit signal is read, but
// user input is held back until the wait is over and the given timers are paused, so no
// tick of the window runs in the middle of a flow.
#include <QList>
#include <functional>

class QTimer;

// Waits until done() holds (checked every few milliseconds; null: never), timeoutMs
// passed (negative: no limit) or a quit was requested. An event loop ended from outside
// (the application exits) counts as a quit request. Answers whether a quit was requested.
bool waitKeepingWindowAlive(int timeoutMs, const std::function<bool()>& done, const QList<QTimer*>& paused);
