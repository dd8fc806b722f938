#include "core/parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace korvel {

void ForEachIndex(int count, int threads, const std::function<void(int)>& body) {
  if (count <= 0) return;
  const int workers = std::clamp(threads, 1, count);
  // Each thread takes the next item as it becomes free, so that items of
  // unequal cost share the threads evenly; the calling thread takes items
  // too, so that a thread the system refuses costs time, not items.
  std::atomic<int> next{0};
  // A failure on any thread is the caller's, once every thread is done.
  std::vector<std::exception_ptr> failed(static_cast<size_t>(workers));
  const auto run = [&](int worker) {
    try {
      for (int k = next++; k < count; k = next++) body(k);
    } catch (...) {
      failed[static_cast<size_t>(worker)] = std::current_exception();
    }
  };
  std::vector<std::thread> pool;
  pool.reserve(static_cast<size_t>(workers));
  for (int w = 1; w < workers; ++w) {
    try {
      pool.emplace_back(run, w);
    } catch (...) {
      break;  // no thread (or no memory for one): the threads started carry on
    }
  }
  run(0);
  for (std::thread& t : pool) t.join();
  for (const std::exception_ptr& e : failed)
    if (e) std::rethrow_exception(e);
}

}  // namespace korvel
