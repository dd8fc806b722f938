#include "interruptible.h"

#include <pybind11/pybind11.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace py = pybind11;

namespace korvel::python {

namespace {

// Half the longest delay Ctrl-C may take, so that a check that has to wait
// for the GIL still comes in time.
constexpr auto kSignalInterval = std::chrono::milliseconds(50);

// One call's work, shared by the caller and the thread that runs it: either
// may be the last to let go.
struct Run {
  EngineWork work;
  std::atomic<bool> stop{false};
  std::mutex m;
  std::condition_variable finished;
  bool done = false;
  bool abandoned = false;
  std::exception_ptr failure;
};

// The count of abandoned runs still working. Never destroyed: an abandoned
// thread may end after the statics.
struct AbandonedRuns {
  std::mutex m;
  std::condition_variable none;
  int running = 0;
};

AbandonedRuns& Abandoned() {
  static auto* runs = new AbandonedRuns;
  return *runs;
}

void Execute(const std::shared_ptr<Run>& run) {
  try {
    run->work(run->stop);
  } catch (...) {
    run->failure = std::current_exception();
  }
  // What the work owns goes before anyone is told: nothing of it may
  // outlive the wait at exit.
  run->work = nullptr;
  std::lock_guard lock(run->m);
  run->done = true;
  run->finished.notify_one();
  if (run->abandoned) {
    AbandonedRuns& abandoned = Abandoned();
    std::lock_guard count(abandoned.m);
    if (--abandoned.running == 0) abandoned.none.notify_all();
  }
}

}  // namespace

void RunInterruptibly(EngineWork work) {
  const auto run = std::make_shared<Run>();
  run->work = std::move(work);
  bool interrupted = false;
  {
    py::gil_scoped_release released;
    std::thread worker;
    try {
      worker = std::thread([run] { Execute(run); });
    } catch (const std::system_error&) {
      // No thread to spare: the work runs here, and Ctrl-C waits for it.
      Execute(run);
    }
    std::unique_lock lock(run->m);
    while (!run->finished.wait_for(lock, kSignalInterval, [&] { return run->done; })) {
      lock.unlock();
      {
        // The handler's exception stays pending in this thread's state
        // until it is raised below.
        py::gil_scoped_acquire gil;
        interrupted = PyErr_CheckSignals() != 0;
      }
      lock.lock();
      if (interrupted) break;
    }
    if (interrupted && !run->done) {
      run->stop.store(true, std::memory_order_relaxed);
      run->abandoned = true;
      AbandonedRuns& abandoned = Abandoned();
      std::lock_guard count(abandoned.m);
      ++abandoned.running;
    }
    lock.unlock();
    if (worker.joinable()) {
      if (run->abandoned)
        worker.detach();
      else
        worker.join();
    }
  }
  if (interrupted) throw py::error_already_set();
  if (run->failure) std::rethrow_exception(run->failure);
}

void WaitForAbandonedWork() {
  AbandonedRuns& abandoned = Abandoned();
  std::unique_lock lock(abandoned.m);
  abandoned.none.wait(lock, [&] { return abandoned.running == 0; });
}

}  // namespace korvel::python
