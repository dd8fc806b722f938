#include "core/thread_count.h"

#include <charconv>
#include <cstdlib>
#include <thread>

namespace korvel {

std::optional<int> ParseThreadCount(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || stop != end || text.empty() || text[0] == '-') return std::nullopt;
  if (value < 1 || value > kMaxThreads) return std::nullopt;
  return value;
}

int DefaultThreadCount() {
  if (const char* given = std::getenv(kThreadsVariable))
    if (const auto count = ParseThreadCount(given)) return *count;
  const unsigned cores = std::thread::hardware_concurrency();
  if (cores == 0) return 1;
  return cores > static_cast<unsigned>(kMaxThreads) ? kMaxThreads : static_cast<int>(cores);
}

}  // namespace korvel
