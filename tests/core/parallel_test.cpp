#include "core/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace korvel {
namespace {

// An item that fails reaches the caller as its exception, after the other
// threads have run every other item (none is left half done).
TEST(ForEachIndex, AFailingItemIsTheCallersAfterTheRestRan) {
  std::vector<std::atomic<int>> ran(40);
  const auto body = [&](int k) {
    ran[static_cast<size_t>(k)] = 1;
    if (k == 13) throw std::runtime_error("item 13");
  };
  EXPECT_THROW(ForEachIndex(40, 3, body), std::runtime_error);
  int done = 0;
  for (const std::atomic<int>& r : ran) done += r;
  EXPECT_EQ(done, 40);
}

}  // namespace
}  // namespace korvel
