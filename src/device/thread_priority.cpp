#include "device/thread_priority.h"

#if defined(__linux__)
#include <sched.h>
#endif

namespace device {

bool runCurrentThreadInBackground() {
#if defined(__linux__)
    // SCHED_BATCH: a waking thread of this class never preempts the running one, and the
    // scheduler still gives it its fair share (unlike SCHED_IDLE, which starves it on a
    // busy machine). Any user may move a thread of their own into it.
    sched_param parameters{};
    parameters.sched_priority = 0;
    return sched_setscheduler(0, SCHED_BATCH, &parameters) == 0;
#else
    return false;
#endif
}

}  // namespace device
