// stat.dat read as Stat reads it, then drawn: the levels go onto the
// spectrum of a small Deeming search. A file that fails to read leaves the
// levels as they were.
#include <cstdint>
#include <string>

#include "app/app_context.h"
#include "app/paint_commands.h"
#include "app/search_commands.h"
#include "core/analysis_state.h"
#include "core/error.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/small_star.h"
#include "fuzz/walking_canvas.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/stat_file.h"
#include "support/fake_platform.h"

namespace {

// The small star after a Deeming search of 0.2 .. 2 days: the spectrum view
// on which the levels are drawn.
const korvel::AnalysisState& Searched() {
  static const korvel::AnalysisState searched = [] {
    korvel::AnalysisState s = korvel::fuzz::SmallStar();
    korvel::testing::FakePlatform platform;
    korvel::AppContext a(s, platform);
    platform.dialogAnswers.push_back({true,
                                      {{korvel::Control::LK_Pmax, "2"},
                                       {korvel::Control::LK_Pmin, "0.2"},
                                       {korvel::Control::LK_PhaseShift, "0.05"}}});
    korvel::RunCommand(a, korvel::StartDeemingSearch);
    korvel::fuzz::Check(s.View == 'd' && s.RunCode == 'e', "the Deeming search of the seed ran");
    return s;
  }();
  return searched;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  korvel::AnalysisState s = Searched();
  const std::string path = korvel::fuzz::WriteFile("stat.dat", data, size);
  try {
    korvel::ReadStatistics(s, path);
    korvel::fuzz::Check(s.StatLoaded, "levels read are marked loaded");
  } catch (const korvel::KorvelError&) {
    korvel::fuzz::Check(s.SigLevel == Searched().SigLevel && s.StatLoaded == Searched().StatLoaded,
                        "a failed read leaves the levels as they were");
  }
  korvel::testing::FakePlatform platform;
  korvel::AppContext a(s, platform);
  korvel::fuzz::WalkingCanvas canvas;
  korvel::RunGuarded(a, [&] { korvel::PWinPaint(a, canvas); });
  return 0;
}
