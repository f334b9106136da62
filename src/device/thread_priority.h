#pragma once
// How a worker thread shares the processor with the GUI thread.

namespace device {

// The calling thread becomes a background worker: it keeps its full share of the
// processor, but when it wakes it waits for the core instead of interrupting a thread
// that is running (the GUI thread in the middle of an event). Where the platform has no
// such class of thread, nothing changes. True when the thread's class was changed.
bool runCurrentThreadInBackground();

}  // namespace device
