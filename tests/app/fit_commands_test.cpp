// The multi-frequency fit from the window: its table and status, its
// residuals taken as the data, and the dialog's refusals.
#include "app/fit_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "app/file_commands.h"
#include "app/run_control.h"
#include "app/undo_commands.h"
#include "core/text_format.h"
#include "io/param_file.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::FakePlatform;
using testing::TempDir;

// A window that has loaded a two-frequency star: 12.7 c/d at 0.05 mag and
// 15.3 c/d at 0.03 mag, Gaussian noise of 0.005 mag, 40 observations in each
// of 20 nights of 0.3 d.
class Fit : public ::testing::Test {
 protected:
  Fit() {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.005);
    std::string text;
    for (int night = 0; night < 20; ++night)
      for (int k = 0; k < 40; ++k) {
        const double t = night + k * 0.3 / 40;
        const double mag = 10 + 0.05 * std::sin(2 * std::numbers::pi * 12.7 * t) +
                           0.03 * std::sin(2 * std::numbers::pi * 15.3 * t + 1) + noise(random);
        text += Str(2459000 + t, 0, 6) + " " + Str(mag, 0, 5) + "\n";
      }
    SetParameterDefaults(s);
    ReadJDWindowEdits(a);
    AcceptObservationFileChoice(a, dir.Write("star.dat", text));
    loaded = s;
  }

  // The dialog answered with the usual values and OK.
  void RunFit() {
    p.dialogAnswers.push_back({true, DefaultTexts()});
    RunCommand(a, StartMultiFrequencyFit);
  }
  static std::map<Control, std::string> DefaultTexts() {
    return {{Control::FIT_Snr, "4"},
            {Control::FIT_NoiseBox, "2"},
            {Control::FIT_MaxCount, "10"},
            {Control::FIT_Fap, ""}};
  }

  TempDir dir;
  AnalysisState s, loaded;
  FakePlatform p;
  AppContext a{s, p};
};

TEST_F(Fit, TwoFrequenciesFillTheTableAndTheStatusSaysWhyItStopped) {
  RunFit();
  ASSERT_TRUE(p.messages.empty()) << p.LastMessage();
  EXPECT_EQ(p.peakRows, 2);
  EXPECT_TRUE(p.visible[Control::PeakGr]);
  EXPECT_EQ((p.peakCells[{0, 0}]), "Frequency (c/d)");
  // Each frequency and amplitude near the truth; the error in the last digits.
  EXPECT_NEAR(std::stod(p.peakCells[{1, 0}]), 12.7, 0.001);
  EXPECT_NEAR(std::stod(p.peakCells[{2, 0}]), 15.3, 0.001);
  EXPECT_NEAR(std::stod(p.peakCells[{1, 2}]), 0.05, 0.002);
  EXPECT_NEAR(std::stod(p.peakCells[{2, 2}]), 0.03, 0.002);
  EXPECT_TRUE(std::regex_match(p.peakCells[{1, 0}], std::regex(R"(12\.\d+\(\d{1,2}\))")))
      << p.peakCells[{1, 0}];
  EXPECT_GE(std::stod(p.peakCells[{2, 4}]), 4);
  EXPECT_EQ(p.LastStatus().rfind("2 frequencies; stopped: S/N < 4 at ", 0), 0u) << p.LastStatus();
  // The magnitudes are still the file's.
  EXPECT_EQ(s.Mag, loaded.Mag);
}

TEST_F(Fit, ResidualsAsDataReplaceTheMagnitudesAndUndoBringsThemBack) {
  RunFit();
  ASSERT_TRUE(a.fit);
  const std::vector<double> residuals = a.fit->analysis.residuals;
  RunCommand(a, TakeFitResidualsAsData);
  ASSERT_EQ(residuals.size(), static_cast<size_t>(s.NObs));
  for (int32_t i = 1; i <= s.NObs; ++i) EXPECT_EQ(s.Mag[i], residuals[i - 1]);
  // What is left is the noise.
  EXPECT_NEAR(std::sqrt(s.MagVar), 0.005, 0.001);
  EXPECT_NE(p.texts[Control::MainWindow].find("(residuals)"), std::string::npos);
  EXPECT_NE(p.LastStatus().find("residuals of the fit of 2 frequencies"), std::string::npos);
  // Taken once: the fit's residuals do not apply to themselves.
  RunCommand(a, TakeFitResidualsAsData);
  EXPECT_EQ(p.LastMessage(), "There is no multi-frequency fit to take the residuals of.");

  RunCommand(a, UndoLastChange);
  EXPECT_EQ(s.Mag, loaded.Mag);
  EXPECT_DOUBLE_EQ(s.MagVar, loaded.MagVar);
  EXPECT_EQ(p.texts[Control::MainWindow].find("(residuals)"), std::string::npos);
}

TEST_F(Fit, StopEndsTheFitWithWhatItKeptAndNothingIsLeftToTakeAsData) {
  p.onProcessEvents = [this] { RunCommand(a, StopSearch); };
  RunFit();
  ASSERT_TRUE(a.fit);
  EXPECT_EQ(p.LastStatus(), "0 frequencies; stopped: Stop pressed");
  EXPECT_NE(s.RunCode, 'r');
  RunCommand(a, TakeFitResidualsAsData);
  EXPECT_EQ(p.LastMessage(), "The fit kept no frequency, so there are no residuals to take.");
  EXPECT_EQ(s.Mag, loaded.Mag);
}

TEST_F(Fit, ABadDialogValueIsRefusedAndChangesNothing) {
  std::map<Control, std::string> notNumber = DefaultTexts(), belowZero = DefaultTexts(),
                                 reversed = DefaultTexts();
  notNumber[Control::FIT_Snr] = "four";
  belowZero[Control::FIT_NoiseBox] = "-2";
  reversed[Control::FIT_Fmin] = "20";
  reversed[Control::FIT_Fmax] = "10";
  p.dialogAnswers = {{true, notNumber}, {true, belowZero}, {true, reversed}, {false, {}}};
  RunCommand(a, StartMultiFrequencyFit);
  ASSERT_EQ(p.messages.size(), 3u);
  EXPECT_EQ(p.messages[0], "The S/N limit must be a number.");
  EXPECT_EQ(p.focused.back(), Control::FIT_Snr);
  EXPECT_EQ(p.messages[1], "The noise box must be wider than 0 c/d.");
  EXPECT_EQ(p.messages[2], "fmax must be above fmin.");
  EXPECT_FALSE(a.fit);
  EXPECT_FALSE(p.visible[Control::PeakGr]);
  EXPECT_EQ(s.Mag, loaded.Mag);
}

}  // namespace
}  // namespace korvel
