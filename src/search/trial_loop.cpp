#include "search/trial_loop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "core/thread_count.h"
#include "search/engine_support.h"
#include "search/trial_grid.h"

namespace korvel {

namespace {

// About this many observations times trials per chunk: a chunk takes some
// 0.1 ms, long enough that handing it over costs little, short enough that
// the calling thread, which also computes chunks, soon serves events again.
constexpr int64_t kWorkPerChunk = int64_t{1} << 16;
constexpr int64_t kMaxChunkTrials = 4096;

// At least two registers' worth of trials, which the vector kernels compute
// side by side...
constexpr int64_t kMinChunkTrials = 16;
// ...unless that much work would keep a Stop or Ctrl-C waiting: a chunk is
// never cut short, so for long series (above 2^16 observations) fewer trials
// keep it within some 20 ms. Side by side only pays for short series.
constexpr int64_t kMaxWorkPerChunk = int64_t{1} << 20;

size_t BlockTrials(size_t n, int64_t work) {
  const int64_t observations = std::max<int64_t>(static_cast<int64_t>(n), 1);
  const int64_t least = std::clamp<int64_t>(kMaxWorkPerChunk / observations, 1, kMinChunkTrials);
  return static_cast<size_t>(std::clamp<int64_t>(work / observations, least, kMaxChunkTrials));
}

// One thread: the statistics of a block of trials computed when its first
// trial is reached, the frequency still advanced trial by trial. A
// statistic that fails is computed again trial by trial, so that every trial
// before the failing one is applied, as when each trial is computed on
// reaching it. On a member's thread, the rest of the run turns pooled at a
// block's end when lent threads wait for work.
class InPlaceSource : public TrialSource {
 public:
  InPlaceSource(const TrialGrid& grid, size_t n, SearchHooks& hooks, const StatisticMaker& make,
                TrialHelp::Shared* help)
      : grid_(grid),
        stat_(make()),
        blockTrials_(BlockTrials(n, kWorkPerBlock)),
        n_(n),
        hooks_(hooks),
        make_(make),
        help_(help) {}

  bool Advance(double& freq, double& value) override {
    if (pooled_) return pooled_->Advance(freq, value);
    if (help_ != nullptr && next_ >= count_ && TurnPooled(freq))
      return pooled_->Advance(freq, value);
    if (!AdvanceFrequency(freq, grid_)) return false;
    if (next_ >= count_ || freq_[next_] != freq) {
      Fill(freq);
      next_ = 0;
    }
    value = single_ ? stat_->Value(freq) : values_[next_];
    ++next_;
    return true;
  }

 private:
  // About this many observations times trials per block: long enough to
  // amortise what a block costs, short enough that little is computed in
  // vain when a Stop ends the run.
  static constexpr int64_t kWorkPerBlock = int64_t{1} << 14;

  // The block from the frequency just reached, by the additions
  // AdvanceFrequency would make.
  void Fill(double from) {
    freq_.resize(blockTrials_);
    values_.resize(blockTrials_);
    double f = from;
    count_ = 0;
    freq_[count_++] = f;
    while (count_ < blockTrials_ && AdvanceFrequency(f, grid_)) freq_[count_++] = f;
    single_ = false;
    try {
      stat_->Values(freq_.data(), values_.data(), count_);
    } catch (...) {
      single_ = true;
    }
  }

  // At a block's end: the rest of the run from freq on made pooled, if lent
  // threads wait for work.
  bool TurnPooled(double freq);

  TrialGrid grid_;
  std::unique_ptr<TrialStatistic> stat_;
  size_t blockTrials_;
  std::vector<double> freq_, values_;
  size_t count_ = 0, next_ = 0;
  bool single_ = false;  // the block's statistics are computed trial by trial

  size_t n_;
  SearchHooks& hooks_;
  const StatisticMaker& make_;
  TrialHelp::Shared* help_;              // lent threads this run may take on
  std::unique_ptr<TrialSource> pooled_;  // the rest of the run, once they came
};

constexpr size_t kChunksPerThread = 4;
constexpr size_t kMaxChunks = 256;  // at most 16 MiB of chunks, however many threads
constexpr auto kWaitSlice = std::chrono::milliseconds(2);

// A run that lent threads of TrialHelp may join.
class Helped {
 public:
  virtual ~Helped() = default;
  // Computes queued chunks on the calling (lent) thread until the run ends
  // or has no chunk left to give.
  virtual void Help() = 0;
};

}  // namespace

struct TrialHelp::Shared {
  struct Run {
    Helped* run;
    int helpers = 0;
    bool spent = false;  // no chunk left to give, or ending: helped no more
  };

  explicit Shared(int m) : members(m) {}

  Run* Find(Helped* run) {
    for (Run& r : runs)
      if (r.run == run) return &r;
    return nullptr;
  }

  // The run with chunks to give that has the fewest helpers; the lock is held.
  Run* Neediest() {
    Run* best = nullptr;
    for (Run& r : runs)
      if (!r.spent && (best == nullptr || r.helpers < best->helpers)) best = &r;
    return best;
  }

  void Join(Helped* run) {
    const std::lock_guard lock(m);
    runs.push_back({run});
    changed.notify_all();
  }

  // Once the run has told its helpers to stop: waits until they are gone.
  void Leave(Helped* run) {
    std::unique_lock lock(m);
    Find(run)->spent = true;
    changed.wait(lock, [&] { return Find(run)->helpers == 0; });
    runs.erase(runs.begin() + (Find(run) - runs.data()));
  }

  std::mutex m;
  std::condition_variable changed;
  const int members;
  int serving = 0;
  // Members serving that have no run to help: a run on one thread takes
  // them on at its next block.
  std::atomic<int> idle{0};
  std::vector<Run> runs;
};

namespace {

thread_local TrialHelp::Shared* tHelp = nullptr;  // the help a member's searches accept

// Several threads: chunks of trial frequencies made ahead in a ring, their
// statistics computed by whichever thread is free, taken in order.
class PooledSource : public TrialSource, public Helped {
 public:
  // first: the calling thread's statistic, if already made.
  PooledSource(double freq, const TrialGrid& grid, size_t n, SearchHooks& hooks, int threads,
               const StatisticMaker& make, TrialHelp::Shared* help,
               std::unique_ptr<TrialStatistic> first = nullptr)
      : hooks_(hooks),
        make_(make),
        help_(help),
        freq_(freq),
        grid_(grid),
        chunkTrials_(BlockTrials(n, kWorkPerChunk)),
        ring_(std::min(
            kChunksPerThread * static_cast<size_t>(std::max(threads, help ? help->members : 0)),
            kMaxChunks)) {
    stats_.push_back(first ? std::move(first) : make());
    for (int t = 1; t < threads; ++t) stats_.push_back(make());
    for (size_t k = 0; k < ring_.size(); ++k) Fill(ring_[k]);
    // Fewer workers if the system will not give more: the results stay the
    // same, and the calling thread computes whatever they leave. Reserved
    // first, so that no thread is running when an allocation fails.
    workers_.reserve(static_cast<size_t>(threads) - 1);
    try {
      for (int t = 1; t < threads; ++t)
        workers_.emplace_back([this, t] { Work(*stats_[static_cast<size_t>(t)]); });
    } catch (const std::system_error&) {
    }
    if (help_ != nullptr) {
      try {
        help_->Join(this);
      } catch (...) {
        help_ = nullptr;  // no memory to be listed: the run goes on unhelped
      }
    }
  }

  ~PooledSource() override {
    {
      std::lock_guard lock(m_);
      stopping_ = true;
    }
    queued_.notify_all();
    for (std::thread& w : workers_) w.join();
    if (help_ != nullptr) help_->Leave(this);
  }

  PooledSource(const PooledSource&) = delete;
  PooledSource& operator=(const PooledSource&) = delete;

  bool Advance(double& freq, double& value) override {
    for (;;) {
      if (current_ == nullptr) {
        current_ = &Await(applying_);
        next_ = 0;
      }
      if (next_ < current_->count) {
        freq = current_->freq[next_];
        value = current_->value[next_];
        ++next_;
        return true;
      }
      if (current_->last) {
        freq = current_->endFreq;
        return false;
      }
      Fill(*current_);
      ++applying_;
      current_ = nullptr;
    }
  }

  void Help() override {
    std::unique_ptr<TrialStatistic> stat;
    try {
      stat = make_();
    } catch (...) {
      return;  // this thread cannot help; the run goes on without it
    }
    std::unique_lock lock(m_);
    for (;;) {
      queued_.wait(lock, [this] { return stopping_ || claimed_ < filled_ || lastQueued_; });
      if (stopping_ || claimed_ == filled_) return;
      Compute(*Claim(), *stat, lock);
    }
  }

 private:
  enum class State { Free, Queued, Computing, Done };
  struct Chunk {
    std::vector<double> freq, value;
    size_t count = 0;
    bool last = false;   // the grid ends after this chunk
    double endFreq = 0;  // Freq after the advance that found the end
    State state = State::Free;
    uint64_t sequence = 0;
  };

  // Makes the next chunk of frequencies (on the calling thread, while no
  // other thread looks at the chunk) and queues it.
  void Fill(Chunk& c) {
    c.freq.resize(chunkTrials_);
    c.value.resize(chunkTrials_);
    c.count = 0;
    c.last = false;
    while (!exhausted_ && c.count < chunkTrials_) {
      if (!AdvanceFrequency(freq_, grid_)) {
        exhausted_ = c.last = true;
        c.endFreq = freq_;
        break;
      }
      c.freq[c.count++] = freq_;
    }
    std::lock_guard lock(m_);
    c.state = State::Queued;
    c.sequence = filled_++;
    lastQueued_ = exhausted_;
    queued_.notify_one();
  }

  Chunk& Slot(uint64_t sequence) { return ring_[sequence % ring_.size()]; }

  // Takes the oldest queued chunk; the lock is held.
  Chunk* Claim() {
    if (claimed_ == filled_) return nullptr;
    Chunk& c = Slot(claimed_++);
    c.state = State::Computing;
    return &c;
  }

  void Compute(Chunk& c, TrialStatistic& stat, std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    std::exception_ptr error;
    try {
      stat.Values(c.freq.data(), c.value.data(), c.count);
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    if (error && !failure_) failure_ = error;
    c.state = State::Done;
    done_.notify_all();
  }

  void Work(TrialStatistic& stat) {
    std::unique_lock lock(m_);
    for (;;) {
      queued_.wait(lock, [this] { return stopping_ || claimed_ < filled_; });
      if (stopping_) return;
      Compute(*Claim(), stat, lock);
    }
  }

  // The chunk of this sequence number, computed. Meanwhile the calling
  // thread computes queued chunks itself, or lets events run.
  Chunk& Await(uint64_t sequence) {
    std::unique_lock lock(m_);
    for (;;) {
      if (failure_) std::rethrow_exception(failure_);
      Chunk& c = Slot(sequence);
      if (c.state == State::Done && c.sequence == sequence) return c;
      if (Chunk* mine = Claim()) {
        Compute(*mine, *stats_[0], lock);
        continue;
      }
      if (done_.wait_for(lock, kWaitSlice) == std::cv_status::timeout) {
        lock.unlock();
        hooks_.WhileWaiting();
        lock.lock();
      }
    }
  }

  SearchHooks& hooks_;
  const StatisticMaker& make_;  // for the statistics of lent threads
  TrialHelp::Shared* help_;     // where lent threads find this run, if anywhere
  double freq_;                 // the generator: the last frequency made
  TrialGrid grid_;
  bool exhausted_ = false;
  size_t chunkTrials_;
  std::vector<Chunk> ring_;
  std::vector<std::unique_ptr<TrialStatistic>> stats_;  // [0]: the calling thread's
  std::vector<std::thread> workers_;

  std::mutex m_;
  std::condition_variable queued_, done_;
  uint64_t filled_ = 0, claimed_ = 0;  // sequence numbers: next to queue, next to compute
  bool lastQueued_ = false;            // the chunk the grid ends in is queued
  bool stopping_ = false;
  std::exception_ptr failure_;

  uint64_t applying_ = 0;     // the chunk being taken
  Chunk* current_ = nullptr;  // its slot, once computed
  size_t next_ = 0;           // its next trial
};

bool InPlaceSource::TurnPooled(double freq) {
  if (help_->idle.load(std::memory_order_relaxed) == 0) return false;
  pooled_ =
      std::make_unique<PooledSource>(freq, grid_, n_, hooks_, 1, make_, help_, std::move(stat_));
  return true;
}

}  // namespace

std::unique_ptr<TrialSource> MakeTrialSource(double freq, const TrialGrid& grid, size_t n,
                                             SearchHooks& hooks, const StatisticMaker& make) {
  const int threads = std::clamp(hooks.Threads(), 1, kMaxThreads);
  if (threads == 1) return std::make_unique<InPlaceSource>(grid, n, hooks, make, tHelp);
  return std::make_unique<PooledSource>(freq, grid, n, hooks, threads, make, tHelp);
}

TrialHelp::TrialHelp(int members) : shared_(std::make_unique<Shared>(members)) {}
TrialHelp::~TrialHelp() = default;

TrialHelp::Member::Member(TrialHelp& help) {
  tHelp = help.shared_.get();
}
TrialHelp::Member::~Member() {
  tHelp = nullptr;
}

void TrialHelp::Absent(int count) noexcept {
  const std::lock_guard lock(shared_->m);
  shared_->serving += count;
  shared_->changed.notify_all();
}

void TrialHelp::Serve() noexcept {
  Shared& s = *shared_;
  std::unique_lock lock(s.m);
  ++s.serving;
  s.changed.notify_all();
  while (s.serving < s.members) {
    Shared::Run* run = s.Neediest();
    if (run == nullptr) {
      s.idle.fetch_add(1, std::memory_order_relaxed);
      s.changed.wait(lock);
      s.idle.fetch_sub(1, std::memory_order_relaxed);
      continue;
    }
    ++run->helpers;
    Helped* helped = run->run;
    lock.unlock();
    helped->Help();
    lock.lock();
    // Still listed: the run leaves only once its helpers are gone. Whatever
    // ended the help ends it for good (no chunk left, the run ending, no
    // statistic for this thread).
    run = s.Find(helped);
    --run->helpers;
    run->spent = true;
    s.changed.notify_all();
  }
}

void KeepInBlock(TrialValues& v, double x, bool smaller) {
  const int64_t trial = v.trials++;
  if (!std::isfinite(x)) x = NAN;
  if (trial % v.perEntry == 0) {
    v.value.push_back(x);
    v.index.push_back(trial);
    return;
  }
  double& best = v.value.back();
  // NaN never wins, and loses to any number.
  if (std::isnan(best) ? !std::isnan(x) : (smaller ? x < best : x > best)) {
    best = x;
    v.index.back() = trial;
  }
}

}  // namespace korvel
