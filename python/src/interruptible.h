// Engines run so that Ctrl-C reaches Python while they work: a long search,
// load or mean curve must not hold back KeyboardInterrupt until it ends.
#pragma once

#include <atomic>
#include <functional>

namespace korvel::python {

// The work of one engine call: it owns (by value or shared pointer) all it
// reads and writes, and never touches Python objects. stop is set once the
// caller has been interrupted; work looks at it where it can end early (a
// search through its cancel flag) and must then not write files.
using EngineWork = std::function<void(const std::atomic<bool>& stop)>;

// Runs work on a thread of its own while the calling thread, which holds the
// GIL on entry, gives it up and takes it back every 50 ms to run Python's
// signal handlers. When a handler raises (Ctrl-C: KeyboardInterrupt), stop
// is set and the handler's exception is raised at once: the work, whose
// result is no longer wanted, is left to end on its own. Otherwise the
// work's own exception, if any, passes to the caller.
void RunInterruptibly(EngineWork work);

// Waits until no work left to end on its own is running (the module calls
// it at interpreter exit, so that no engine runs while the process's
// statics are destroyed). Called without the GIL.
void WaitForAbandonedWork();

}  // namespace korvel::python
