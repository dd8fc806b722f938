#include "app/save_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "io/condition_file.h"
#include "search/document_search.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::FakePlatform;
using testing::ReadFile;
using testing::TempDir;

// A 10-day sinusoid with a slowly changing amplitude, irregularly sampled.
void LoadStar(AnalysisState& s, int n = 240) {
  s.NObs = n;
  for (auto* v : {&s.JD, &s.Mag, &s.Phase, &s.SortPhase, &s.WMag}) v->assign(n + 1, 0);
  s.BinOf.assign(n + 1, 0);
  s.Marks.assign(n + 1, 0);
  double sum = 0;
  for (int i = 1; i <= n; ++i) {
    // A span of exactly 250 days keeps the frequency step exact in the eight
    // decimals of a condition file.
    const double jitter = i == 1 || i == n ? 0 : 0.4 * std::fmod(i * 0.618034, 1.0);
    const double t = 2000 + 250.0 * (i - 1) / (n - 1) + jitter;
    s.JD[i] = t;
    s.Mag[i] = 12 + (0.3 + 0.1 * std::sin(t / 9.0)) * std::sin(2 * std::numbers::pi * t / 10.0);
    sum += s.Mag[i];
  }
  s.MagMean = sum / n;
  double sq = 0;
  for (int i = 1; i <= n; ++i) sq += (s.Mag[i] - s.MagMean) * (s.Mag[i] - s.MagMean);
  s.MagVar = sq / n;
  s.RunCode = 'n';
  s.View = 't';
}

// Stops a search after a given number of trials.
class StopAfter : public SilentSearchHooks {
 public:
  StopAfter(AnalysisState& s, int trials) : s_(s), left_(trials) {}
  void BetweenTrials() override {
    if (--left_ <= 0) s_.RunCode = 'e';
  }

 private:
  AnalysisState& s_;
  int left_;
};

void SetSearch(AnalysisState& s, SearchKind kind) {
  s.Pmax = kind == SearchKind::Secondary ? 60 : 20;
  s.Pmin = kind == SearchKind::Secondary ? 5 : 3;
  s.FreqStep = 0.05;  // the phase shift, as the dialog stores it
  if (kind == SearchKind::Secondary) {
    s.Period = 10;
    s.Epoch = 2000;
    s.ExtrDate = 2001;
    s.NBins = 4;
    s.SecPMode = 1;
  }
}

class SaveCommands : public ::testing::Test {
 protected:
  SaveCommands() {
    LoadStar(s);
    s.BaseName = dir.File("star");
  }

  TempDir dir;
  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p};
};

class ResumedSearch : public SaveCommands, public ::testing::WithParamInterface<SearchKind> {};

TEST_P(ResumedSearch, ContinueEndsWhereAnUninterruptedSearchEnds) {
  const SearchKind kind = GetParam();
  AnalysisState whole = s;
  SetSearch(whole, kind);
  ASSERT_FALSE(CheckSearchable(whole, kind));
  StartSearch(whole, kind);
  SilentSearchHooks silent;
  RunSearch(whole, kind, silent);

  SetSearch(s, kind);
  StartSearch(s, kind);
  StopAfter stop(s, 150);
  RunSearch(s, kind, stop);
  ASSERT_EQ(s.RunCode, 'e');
  ASSERT_LT(s.Freq, whole.Freq);
  RunCommand(a, SaveCondition);
  ASSERT_TRUE(p.messages.empty()) << p.LastMessage();

  // A different state in between: Continue restores what the search needs.
  s.BestPeriod.fill(0);
  s.SpecHigh.fill(7);
  s.View = 't';
  std::vector<double> trialFreqs;
  p.onProcessEvents = [&] { trialFreqs.push_back(s.Freq); };
  RunCommand(a, ContinueSearch);
  ASSERT_TRUE(p.messages.empty()) << p.LastMessage();
  EXPECT_EQ(s.View, whole.View);
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_FALSE(p.timerEnabled);
  EXPECT_EQ(s.FreqLo, whole.FreqLo);
  // The file keeps 7 decimals: the values agree to them, and near-equal
  // values may trade places, so each resumed period must be among the best.
  for (int k = 1; k <= kBestPlaces; ++k) {
    EXPECT_NEAR(s.BestParam[k], whole.BestParam[k], 1e-7) << k;
    bool found = false;
    for (int j = 1; j <= kBestPlaces; ++j)
      found = found || std::abs(s.BestPeriod[k] - whole.BestPeriod[j]) < 1e-6;
    EXPECT_TRUE(found) << s.BestPeriod[k];
  }
  for (int c = 0; c < kSpecColumns; ++c) {
    EXPECT_NEAR(s.SpecHigh[c], whole.SpecHigh[c], 1e-5) << c;
    EXPECT_NEAR(s.SpecLow[c], whole.SpecLow[c], 1e-5) << c;
  }
}

INSTANTIATE_TEST_SUITE_P(EverySearch, ResumedSearch,
                         ::testing::Values(SearchKind::LaflerKinman, SearchKind::Deeming,
                                           SearchKind::Secondary));

TEST_F(SaveCommands, ContinueResumesAtTheSavedTrial) {
  SetSearch(s, SearchKind::LaflerKinman);
  StartSearch(s, SearchKind::LaflerKinman);
  // Two trials give the spectrum a vertical range to scale to.
  StopAfter stop(s, 2);
  RunSearch(s, SearchKind::LaflerKinman, stop);
  const double firstTrial = s.Freq;
  RunCommand(a, SaveCondition);

  double resumedAt = 0;
  p.onProcessEvents = [&] {
    if (resumedAt == 0) resumedAt = s.Freq;
    s.RunCode = 'e';
  };
  // The platform passes to the event loop at the first trial of a run.
  RunCommand(a, ContinueSearch);
  ASSERT_TRUE(p.messages.empty()) << p.LastMessage();
  if (resumedAt != 0) {
    EXPECT_NEAR(resumedAt, firstTrial, 1e-9 * firstTrial);
  }
  EXPECT_NEAR(s.Freq, firstTrial, 1e-9 * firstTrial);
}

TEST_F(SaveCommands, ContinueRefusesWhatItCannotResume) {
  // No file.
  RunCommand(a, ContinueSearch);
  EXPECT_EQ(p.LastMessage(), "File " + s.BaseName + ".img does not exist...");
  EXPECT_FALSE(s.Resumed);

  // Save before any search: refused, nothing written.
  RunCommand(a, SaveCondition);
  EXPECT_EQ(p.messages.size(), 2u);
  EXPECT_EQ(ReadFile(s.BaseName + ".img"), "");

  // A zero period in line 1 changes nothing.
  std::string bad = "0 1 100 0.001 1 0\r\nl   8      0.000 1.0000000      0.000\r\n";
  for (int k = 0; k < kBestPlaces; ++k) bad += "0 0 0\r\n";
  dir.Write("star.img", bad);
  const AnalysisState before = s;
  RunCommand(a, ContinueSearch);
  EXPECT_EQ(p.messages.size(), 3u);
  EXPECT_EQ(s.View, before.View);
  EXPECT_EQ(s.Pmax, before.Pmax);
  EXPECT_EQ(s.RunCode, 'n');

  // A malformed number: the read error, state unchanged.
  dir.Write("star.img", "2 1 x\r\n");
  RunCommand(a, ContinueSearch);
  EXPECT_EQ(p.LastMessage(), "Invalid numeric input");
  EXPECT_EQ(s.Pmax, before.Pmax);

  // A good file but no observations to run on.
  std::string good = "2 1 100 0.001 1 0\r\nd   8      0.000 1.0000000      0.000\r\n";
  for (int k = 0; k < kBestPlaces; ++k) good += "0 0 0\r\n";
  dir.Write("star.img", good);
  s.NObs = 0;
  RunCommand(a, ContinueSearch);
  EXPECT_EQ(p.messages.size(), 5u);
  EXPECT_EQ(s.RunCode, 'n');
  EXPECT_EQ(s.View, before.View);

  // A view of no search: values read, the search stays idle.
  good[19] = 't';
  ASSERT_EQ(good.substr(19, 2), "t ");
  dir.Write("star.img", good);
  LoadStar(s);
  RunCommand(a, ContinueSearch);
  EXPECT_EQ(s.View, 't');
  EXPECT_EQ(s.Pmax, 100);
  EXPECT_EQ(s.NBins, 8);
  EXPECT_EQ(s.RunCode, 'n');
  EXPECT_TRUE(s.Resumed);

  // While a search runs.
  s.RunCode = 'r';
  RunCommand(a, ContinueSearch);
  EXPECT_EQ(p.LastStatus(), kSearchRunning);
}

TEST_F(SaveCommands, SaveFileDialogWritesAllOrTheMarkedOnes) {
  LoadStar(s, 3);
  s.JD = {0, 2450000.1, 2450000.2, 2450000.3};
  s.Mag = {0, 12.34567, 12.5, 12.75};

  // Save as...: every observation, 18 characters and CR LF a line.
  p.fileAnswers.push_back({false, dir.File("all.dat")});
  RunCommand(a, SaveAllObservations);
  EXPECT_EQ(ReadFile(dir.File("all.dat")),
            "2450000.1000 12.3457\r\n2450000.2000 12.5000\r\n2450000.3000 12.7500\r\n");
  EXPECT_EQ(p.LastStatus(), "File " + dir.File("all.dat") + " is done...");
  EXPECT_FALSE(s.SaveAll);

  // Nothing marked yet.
  RunCommand(a, SaveExtraction);
  EXPECT_EQ(p.LastMessage(), kNotSelected);

  // An existing name keeps the dialog open; the next name is written. The
  // deletion's SaveAll does not turn the extraction into a whole-set save.
  s.Marks = {0, 0, 1, 0};
  s.SelMade = true;
  s.SaveAll = true;
  p.fileAnswers.push_back({false, dir.File("all.dat")});
  p.fileAnswers.push_back({false, dir.File("sel.dat")});
  RunCommand(a, SaveExtraction);
  EXPECT_EQ(p.LastMessage(), kNameExists);
  EXPECT_EQ(ReadFile(dir.File("sel.dat")), "2450000.2000  12.500\r\n");
  EXPECT_FALSE(s.SelMade);
  EXPECT_FALSE(s.SaveMarked);

  // A cancelled extraction keeps the selection; Save as... then writes all.
  s.SelMade = true;
  RunCommand(a, SaveExtraction);
  EXPECT_TRUE(s.SelMade);
  p.fileAnswers.push_back({false, dir.File("all2.dat")});
  RunCommand(a, SaveAllObservations);
  EXPECT_EQ(ReadFile(dir.File("all2.dat")), ReadFile(dir.File("all.dat")));
}

}  // namespace
}  // namespace korvel
