#include "core/parallel.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace korvel {

void ForEachIndex(int count, int threads, const std::function<void(int)>& body) {
  if (count <= 0) return;
  const int workers = std::clamp(threads, 1, count);
  const auto run = [&](int first) {
    for (int k = first; k < count; k += workers) body(k);
  };
  std::vector<std::thread> pool;
  for (int w = 1; w < workers; ++w) pool.emplace_back(run, w);
  run(0);
  for (std::thread& t : pool) t.join();
}

}  // namespace korvel
