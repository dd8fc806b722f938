#include "app/wave_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "io/observation_file.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/mean_curve_file.h"
#include "lightcurve/prewhitening.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::FakePlatform;
using testing::ReadFile;
using testing::TempDir;

class WaveCommands : public ::testing::Test {
 protected:
  WaveCommands() {
    // 200 observations of a sine of period 0.5 over 20 days.
    s.NObs = 200;
    s.JD.assign(s.NObs + 1, 0);
    s.Mag.assign(s.NObs + 1, 0);
    s.Phase.assign(s.NObs + 1, 0);
    for (int32_t i = 1; i <= s.NObs; ++i) {
      s.JD[i] = 59000 + i * 0.1037;
      s.Mag[i] = 12 + 0.3 * std::sin(2 * M_PI * s.JD[i] / 0.5);
    }
    s.Period = 0.5;
    s.Epoch = 59000;
    s.View = 'l';
    s.DataReady = 'y';
    s.RunCode = 'e';
    s.MeanPoints = 0;
    p.values[Control::MLC_SpinEdit1] = 3;
    p.texts[Control::MLC_Edit1] = "40";
    p.texts[Control::MLC_Edit2] = "0.05";
    p.texts[Control::MLC_Edit3] = dir.File("c.sup");
    p.texts[Control::MLC_Edit4] = dir.File("star.o");
    p.visible[Control::BPrewhite] = false;
  }
  void Answer(std::map<Control, std::string> texts, bool ok = true) {
    p.dialogAnswers.push_back({ok, std::move(texts)});
  }

  TempDir dir;
  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p};
};

TEST_F(WaveCommands, TheDialogJudgesEachFieldInOrder) {
  struct Case {
    const char* n;
    const char* l;
    const char* collect;
    const char* residuals;
    const char* message;  // nullptr: accepted
    Control focus;
  };
  const Case cases[] = {
      {"99", "0.25", "c", "r", nullptr, Control::MLC_Edit1},
      {"2", "0.000001", "c", "r", nullptr, Control::MLC_Edit1},
      {"100", "0.05", "c", "r", "Error in Number...", Control::MLC_Edit1},
      {"1", "0.05", "c", "r", "Error in Number...", Control::MLC_Edit1},
      {"4O", "0.05", "c", "r", "Error in Number...", Control::MLC_Edit1},
      {"40", "0.2500001", "c", "r", "Error in Interval extention...", Control::MLC_Edit2},
      {"40", "0", "c", "r", "Error in Interval extention...", Control::MLC_Edit2},
      {"40", "x", "c", "r", "Error in Interval extention...", Control::MLC_Edit2},
      {"40", "0.05", "", "r", "Select File Name...", Control::MLC_Edit3},
      {"40", "0.05", "c", "", "Select File Name...", Control::MLC_Edit4},
  };
  for (const Case& c : cases) {
    p.messages.clear();
    p.focused.clear();
    p.texts[Control::MLC_Edit1] = c.n;
    p.texts[Control::MLC_Edit2] = c.l;
    p.texts[Control::MLC_Edit3] = c.collect;
    p.texts[Control::MLC_Edit4] = c.residuals;
    const bool ok = AcceptWaveParameters(a);
    if (!c.message) {
      EXPECT_TRUE(ok) << c.n << " " << c.l;
      EXPECT_TRUE(p.messages.empty());
      EXPECT_EQ(s.CollectFileName, "c");
      EXPECT_EQ(s.CurveNumber, 3);
      continue;
    }
    EXPECT_FALSE(ok) << c.n << " " << c.l << " " << c.collect;
    EXPECT_EQ(p.LastMessage(), c.message);
    ASSERT_EQ(p.focused.size(), 1u);
    EXPECT_EQ(p.focused[0], c.focus);
  }
  // An empty residual name blocks OK even when it is not to be written.
  p.checked[Control::MLC_CheckBox2] = true;
  EXPECT_FALSE(AcceptWaveParameters(a));
}

TEST_F(WaveCommands, TheAppendBoxFollowsTheCollectingFile) {
  p.checked[Control::MLC_CheckBox1] = false;
  ShowWaveDialog(a);
  EXPECT_TRUE(p.checked[Control::MLC_CheckBox1]);
  CollectingFileNameChanged(a);
  EXPECT_FALSE(p.enabled[Control::MLC_CheckBox1]);
  dir.Write("c.sup", "");
  CollectingFileNameChanged(a);
  EXPECT_TRUE(p.enabled[Control::MLC_CheckBox1]);
  p.texts[Control::MLC_Edit3] = dir.path().string();  // a directory is no file
  CollectingFileNameChanged(a);
  EXPECT_FALSE(p.enabled[Control::MLC_CheckBox1]);

  // "..." presets the browse dialog with the field and takes what it confirms.
  p.texts[Control::MLC_Edit3] = "old.sup";
  p.fileAnswers.push_back({true, ""});
  BrowseCollectingFile(a);
  EXPECT_EQ(p.dialogNames[FileDialog::MLCDialog], "old.sup");
  EXPECT_EQ(p.texts[Control::MLC_Edit3], "old.sup");
  p.fileAnswers.push_back({false, "new.sup"});
  BrowseCollectingFile(a);
  EXPECT_EQ(p.texts[Control::MLC_Edit3], "new.sup");
}

TEST_F(WaveCommands, WaveActsOnlyOnTheShownPhaseCurve) {
  for (const auto& [view, ready] : {std::pair{'t', 'y'}, {'m', 'y'}, {'s', 'y'}, {'l', 'n'}}) {
    s.View = view;
    s.DataReady = ready;
    ShowWaveDialogForCurve(a);
    EXPECT_TRUE(p.dialogsShown.empty()) << view << ready;
  }
  s.View = 'd';
  s.DataReady = 'y';
  Answer({});
  ShowWaveDialogForCurve(a);
  EXPECT_EQ(p.dialogsShown.size(), 1u);
  EXPECT_EQ(s.View, 'm');
  EXPECT_EQ(s.WaveState, 'd');
  EXPECT_TRUE(p.visible[Control::BPrewhite]);
  EXPECT_GT(p.repaints, 0);
  // Every 0.025 of phase holds observations: all 40 points stay.
  EXPECT_EQ(s.MeanPoints, 40);
  EXPECT_NEAR(s.MeanMag[11], 12.3, 0.02);  // phase 0.25: the maximum of the sine
}

TEST_F(WaveCommands, ACancelAfterARejectedFieldKeepsTheCurrentCurve) {
  Answer({});
  ShowWaveDialogForCurve(a);
  const int32_t points = s.MeanPoints;
  const double length = s.BinLength;
  Answer({{Control::MLC_Edit1, "500"}});
  Answer({}, false);
  s.View = 'l';
  ShowWaveDialogForCurve(a);
  EXPECT_EQ(p.LastMessage(), "Error in Number...");
  EXPECT_EQ(s.MeanPoints, points);
  EXPECT_EQ(s.BinLength, length);
  EXPECT_EQ(s.View, 'l');
}

TEST_F(WaveCommands, PrewhiteningRecordsSubtractsAndWritesTheResiduals) {
  Answer({});
  ShowWaveDialogForCurve(a);
  p.checked[Control::MLC_CheckBox1] = true;
  PrewhitenObservations(a);
  EXPECT_TRUE(p.messages.empty()) << p.LastMessage();
  EXPECT_FALSE(p.visible[Control::BPrewhite]);
  EXPECT_EQ(s.View, 'd');
  EXPECT_LT(s.MagVar, 0.001);  // the sine is gone
  EXPECT_NEAR(s.MagMean, 0, 0.01);
  // The residual file is an observation file of the residuals (read with
  // Read zeros: a residual may round to 0.0000).
  AnalysisState back;
  ReadOptions withZeros;
  withZeros.readZeros = true;
  ASSERT_FALSE(LoadObservations(back, dir.File("star.o"), withZeros));
  ASSERT_EQ(back.NObs, s.NObs);
  for (int32_t i = 1; i <= s.NObs; ++i) {
    EXPECT_NEAR(back.JD[i], s.JD[i], 5e-5);
    EXPECT_NEAR(back.Mag[i], s.Mag[i], 5e-5);
  }
  EXPECT_EQ(ReadFile(dir.File("star.o")).substr(10, 1), " ");
  AnalysisState r;
  ReadMeanCurveFile(r, dir.File("c.sup"));
  EXPECT_EQ(r.MLCCurves, 1);
  EXPECT_EQ(r.MLCCount[1], 40);
}

TEST_F(WaveCommands, CheckToBeNotSavedWritesOnlyTheCollectingFile) {
  Answer({});
  ShowWaveDialogForCurve(a);
  p.checked[Control::MLC_CheckBox2] = true;
  PrewhitenObservations(a);
  EXPECT_FALSE(std::filesystem::exists(dir.File("star.o")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("c.sup")));
}

TEST_F(WaveCommands, PrewhiteningWithoutMeanPointsRefusesAndChangesNothing) {
  s.MeanPoints = 0;
  s.CollectFileName = dir.File("c.sup");
  p.visible[Control::BPrewhite] = true;
  const AnalysisState before = s;
  PrewhitenObservations(a);
  EXPECT_EQ(p.LastMessage(), kNoMeanCurve);
  EXPECT_EQ(s.Mag, before.Mag);
  EXPECT_EQ(s.View, before.View);
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.sup")));
}

TEST_F(WaveCommands, AFailedResidualFileLeavesTheStateAndBothFilesAsTheyWere) {
  Answer({});
  ShowWaveDialogForCurve(a);
  dir.Write("c.sup", "kept\r\n");
  p.checked[Control::MLC_CheckBox1] = true;  // append
  p.texts[Control::MLC_Edit4] = dir.File("missing/star.o");
  const rarray before = s.Mag;
  RunCommand(a, &PrewhitenObservations);
  EXPECT_EQ(p.LastMessage().rfind("I/O error", 0), 0u) << p.LastMessage();
  // Nothing subtracted, nothing appended: the user may correct the name and
  // press again without doubling the model.
  EXPECT_EQ(s.Mag, before);
  EXPECT_TRUE(p.visible[Control::BPrewhite]);
  EXPECT_EQ(ReadFile(dir.File("c.sup")), "kept\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));

  // Neither file may be the observation file itself.
  s.DataFileName = dir.Write("star.dat", "59000.1 12.0\r\n");
  p.texts[Control::MLC_Edit4] = s.DataFileName;
  PrewhitenObservations(a);
  EXPECT_EQ(p.LastMessage(), kResidualsIsData);
  s.CollectFileName = s.DataFileName;
  p.texts[Control::MLC_Edit4] = dir.File("star.o");
  PrewhitenObservations(a);
  EXPECT_EQ(p.LastMessage(), kCollectIsData);
  EXPECT_EQ(ReadFile(s.DataFileName), "59000.1 12.0\r\n");
  // Nor may the residuals replace the curves collected so far.
  s.CollectFileName = dir.File("c.sup");
  p.texts[Control::MLC_Edit4] = dir.File("./c.sup");
  PrewhitenObservations(a);
  EXPECT_EQ(p.LastMessage(), kResidualsIsCollect);
  EXPECT_EQ(ReadFile(dir.File("c.sup")), "kept\r\n");
  EXPECT_EQ(s.Mag, before);
}

TEST_F(WaveCommands, MeanLightCurveFileReadsTheNameChosenLast) {
  // Before any choice the name is empty.
  p.fileAnswers.push_back({true, ""});
  OpenMeanCurveFile(a);
  EXPECT_EQ(p.LastMessage(), "File  does not exist.");
  EXPECT_FALSE(s.MLCLoaded);

  const std::string path = dir.Write("ci51.mlc",
                                     " 1  1     0.50000000     0.0000 disturbed\r\n"
                                     "0.250 10.0000 0.0100    12\r\n");
  p.fileAnswers.push_back({false, path});
  OpenMeanCurveFile(a);
  EXPECT_TRUE(s.MLCLoaded);
  EXPECT_EQ(s.MLCFileName, path);
  EXPECT_DOUBLE_EQ(ModelValue(s, 123.4), 10);

  // A cancel reads the previously chosen file again.
  dir.Write("ci51.mlc", " 1  1     0.50000000     0.0000 disturbed\r\n0.250 11.0000\r\n");
  p.fileAnswers.push_back({true, ""});
  OpenMeanCurveFile(a);
  EXPECT_DOUBLE_EQ(ModelValue(s, 123.4), 11);

  // "none" leaves the curves; a missing file says so and leaves them too.
  p.messages.clear();
  s.MLCFileName.clear();
  p.fileAnswers.push_back({false, "none"});
  OpenMeanCurveFile(a);
  EXPECT_TRUE(p.messages.empty());
  p.fileAnswers.push_back({false, dir.File("gone.mlc")});
  OpenMeanCurveFile(a);
  EXPECT_EQ(p.LastMessage(), "File " + dir.File("gone.mlc") + " does not exist.");
  EXPECT_DOUBLE_EQ(ModelValue(s, 123.4), 11);
}

}  // namespace
}  // namespace korvel
