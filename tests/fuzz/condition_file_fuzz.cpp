// The condition file as Method > Continue reads it, on a small fixed
// observation set: the resumed search runs, its picture is drawn, and File >
// Save condition writes the state again, which must read back with the same
// view and bin number. Inputs whose search would run more than kMaxTrials
// trials are skipped, so that no input can keep a run busy for long.
#include <cstdint>
#include <string>

#include "app/app_context.h"
#include "app/paint_commands.h"
#include "app/save_commands.h"
#include "core/analysis_state.h"
#include "core/error.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/small_star.h"
#include "fuzz/walking_canvas.h"
#include "io/condition_file.h"
#include "support/fake_platform.h"

namespace {

constexpr double kMaxTrials = 2000;

// Continue resumes at 1 / r[1] and runs to 1 / r[2] in steps of r[4]; a
// step that is not positive and finite is refused before any trial.
bool SearchIsSmall(const korvel::ConditionRecord& c) {
  const double step = c.r[4];
  const double trials = (1 / c.r[2] - 1 / c.r[1]) / step;
  return !(step > 0) || !(trials > kMaxTrials);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  korvel::AnalysisState s = korvel::fuzz::SmallStar();
  s.BaseName = korvel::fuzz::Scratch().File("star");
  const std::string path = korvel::fuzz::WriteFile("star.img", data, size);
  try {
    if (!SearchIsSmall(korvel::ReadConditionFile(path))) return -1;
  } catch (const korvel::KorvelError&) {
    // Continue shows the same error below.
  }

  korvel::testing::FakePlatform platform;
  korvel::AppContext a(s, platform);
  korvel::RunCommand(a, korvel::ContinueSearch);
  korvel::fuzz::WalkingCanvas canvas;
  korvel::RunGuarded(a, [&] { korvel::PWinPaint(a, canvas); });

  platform.messages.clear();
  korvel::fuzz::FreshFile("star.img");
  korvel::RunCommand(a, korvel::SaveCondition);
  if (!platform.messages.empty()) return 0;  // nothing to save
  try {
    const korvel::ConditionRecord back = korvel::ReadConditionFile(path);
    korvel::fuzz::Check(back.View == s.View, "a saved condition reads back with its view");
    korvel::fuzz::Check(back.NBins == s.NBins, "a saved condition reads back with its bins");
  } catch (const korvel::KorvelError&) {
    korvel::fuzz::Check(false, "a saved condition file reads back");
  }
  return 0;
}
