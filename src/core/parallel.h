// Independent work items spread over threads, each item's result fixed by
// its index alone (its own seed included), so that the results do not depend
// on the number of threads.
#pragma once

#include <cstdint>
#include <functional>

namespace korvel {

// body(k) for k = 0 .. count - 1 on up to `threads` threads (the calling one
// among them), each thread taking the next item when free; returns when all
// are done, rethrowing an exception an item raised (that thread takes no
// more items; the others carry on).
void ForEachIndex(int count, int threads, const std::function<void(int)>& body);

// The seed of item k of a run seeded with `seed`: items far apart in the
// generator's seed space.
inline uint64_t ItemSeed(uint64_t seed, int k) {
  return seed + static_cast<uint64_t>(k) * 0x9E3779B97F4A7C15ull;
}

}  // namespace korvel
