#include "core/parallel.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace korvel {

void ForEachIndex(int count, int threads, const std::function<void(int)>& body) {
  if (count <= 0) return;
  const int workers = std::clamp(threads, 1, count);
  // A failure on any thread is the caller's, once every thread is done.
  std::vector<std::exception_ptr> failed(static_cast<size_t>(workers));
  const auto run = [&](int first) {
    try {
      for (int k = first; k < count; k += workers) body(k);
    } catch (...) {
      failed[static_cast<size_t>(first)] = std::current_exception();
    }
  };
  std::vector<std::thread> pool;
  pool.reserve(static_cast<size_t>(workers));
  std::vector<int> here{0};  // the shares this thread runs
  for (int w = 1; w < workers; ++w) {
    try {
      pool.emplace_back(run, w);
    } catch (const std::system_error&) {
      here.push_back(w);  // no thread to be had: this one runs the share
    }
  }
  for (const int first : here) run(first);
  for (std::thread& t : pool) t.join();
  for (const std::exception_ptr& e : failed)
    if (e) std::rethrow_exception(e);
}

}  // namespace korvel
