#include "app/analysis_commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/file_commands.h"
#include "app/mouse_commands.h"
#include "app/search_commands.h"
#include "app/undo_commands.h"
#include "core/numeric.h"
#include "io/analysis_file.h"
#include "io/param_file.h"
#include "plot/paint.h"
#include "plot/phase_curve_views.h"
#include "search/document_search.h"
#include "support/fake_platform.h"
#include "support/recording_canvas.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::FakePlatform;
using testing::TempDir;

// A window that has loaded a star, deleted one observation with the mouse,
// marked two, searched and folded on a period.
class AnalysisCommands : public ::testing::Test {
 protected:
  AnalysisCommands() {
    for (int i = 0; i < 60; ++i)
      lines.push_back(std::to_string(1000 + i * 0.37) + " " +
                      std::to_string(10 + (i * 7 % 11) * 0.1) + " 5\n");
    star = WriteStar();
    p.values[Control::SpinEdit1] = 1;
    SetParameterDefaults(s);
    ReadJDWindowEdits(a);
    AcceptObservationFileChoice(a, star);
    s.DataReady = 'y';
  }

  // Deletes the second observation through a small band around it on the
  // phase view.
  void DeleteSecondObservation() {
    s.View = 'd';
    s.Period = 1;
    s.Epoch = 0;
    testing::RecordingCanvas canvas(720, 510);
    PWinPaint(s, canvas, PaintSurroundings{});
    const PhasePlaces at = PhaseGeometry(s).Places(Frac(s.JD[2]), s.Mag[2]);
    p.yesNoAnswers = {Answer::Yes};
    PWinMouseDown(a, {MouseButton::Left, false, false, false, at.x[0] - 1, at.y[0] - 1, {}});
    PWinMouseUp(a, {MouseButton::Left, false, false, false, at.x[0] + 2, at.y[0] + 2, {}});
  }

  void Search(SearchKind kind = SearchKind::LaflerKinman,
              std::vector<std::optional<int32_t>> own = {}) {
    SearchParameters params;
    params.pmin = 2;
    params.pmax = 9;
    params.phaseShift = 0.1;
    params.own = std::move(own);
    ASSERT_FALSE(ApplySearchParameters(s, kind, params));
    StartSearch(s, kind);
    RunWindowSearch(a, kind);
  }

  void Run(void (*command)(AppContext&), const std::string& file) {
    p.fileAnswers.push_back({false, file});
    RunCommand(a, command);
  }

  std::string WriteStar() {
    std::string text;
    for (const std::string& line : lines) text += line;
    return dir.Write("star.dat", text);
  }

  TempDir dir;
  std::vector<std::string> lines;
  std::string star;
  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p, {}};
};

TEST_F(AnalysisCommands, OpenAnalysisPutsTheSavedWindowBack) {
  DeleteSecondObservation();
  ASSERT_EQ(s.NObs, 59);
  s.Marks[3] = s.Marks[10] = 1;
  Search();
  ASSERT_EQ(s.RunCode, 'e');
  s.DataReady = 'y';  // a period picked from the results
  s.Period = s.BestPeriod[1];
  s.PhMin = 0.2;
  s.FullRange = false;
  p.texts[Control::LK_Pmax] = "9";
  const AnalysisState saved = s;
  Run(SaveAnalysis, dir.File("star"));
  EXPECT_EQ(p.LastStatus(), "File " + dir.File("star.korvel.json") + " is done...");
  // With the distinct peaks of the search, as the peaks table shows them.
  const auto written = ReadAnalysisFile(dir.File("star.korvel.json"));
  const auto& document = std::get<AnalysisDocument>(written);
  ASSERT_TRUE(document.lastSearch.has_value());
  ASSERT_EQ(document.lastSearch->peaks.size(), a.peaks.peaks.size());
  ASSERT_FALSE(a.peaks.peaks.empty());
  EXPECT_EQ(document.lastSearch->peaks[0].period, a.peaks.peaks[0].peak.period);

  // The window moves on to another star, then opens the analysis.
  AcceptObservationFileChoice(a, dir.Write("other.dat", "1005 1\n1006 2\n"));
  p.texts[Control::LK_Pmax] = "";
  const size_t messagesBefore = p.messages.size();
  Run(OpenAnalysis, dir.File("star.korvel.json"));
  EXPECT_EQ(p.messages.size(), messagesBefore) << p.LastMessage();

  EXPECT_EQ(s.DataFileName, star);
  EXPECT_EQ(s.NObs, 59);
  EXPECT_EQ(s.JD, saved.JD);
  EXPECT_EQ(s.Mag, saved.Mag);
  EXPECT_EQ(s.Marks, saved.Marks);
  EXPECT_DOUBLE_EQ(s.MagMean, saved.MagMean);
  EXPECT_EQ(s.Period, saved.Period);
  EXPECT_EQ(s.View, 'l');
  EXPECT_EQ(s.DataReady, 'y');
  EXPECT_EQ(s.PhMin, 0.2);
  EXPECT_FALSE(s.FullRange);
  EXPECT_EQ(s.RunCode, 'e');  // the results grid can be filled again
  EXPECT_EQ(s.BestPeriod, saved.BestPeriod);
  EXPECT_EQ(s.BestParam, saved.BestParam);
  EXPECT_EQ(s.SpecHigh, saved.SpecHigh);
  EXPECT_EQ(p.texts[Control::MainWindow], star);
  EXPECT_EQ(p.texts[Control::LK_Pmax], FieldText(9));
  EXPECT_TRUE(p.visible[Control::ButAllDiap]);
}

TEST_F(AnalysisCommands, ASpectrumOfAMethodAfterTheFirstThreeIsShownAgain) {
  Search(SearchKind::LombScargle);
  ASSERT_EQ(s.View, 'g');
  Run(SaveAnalysis, dir.File("star"));
  AcceptObservationFileChoice(a, dir.Write("other.dat", "1005 1\n1006 2\n"));
  Run(OpenAnalysis, dir.File("star.korvel.json"));
  EXPECT_EQ(s.View, 'g');
  EXPECT_EQ(s.RunCode, 'e');
}

TEST_F(AnalysisCommands, AMethodsOwnParametersComeBackAndAnOlderFileGivesTheDefaults) {
  Search(SearchKind::Pdm, {20, 3});
  ASSERT_EQ(s.PdmBins, 20);
  Run(SaveAnalysis, dir.File("star"));
  s.PdmBins = 7;
  AcceptObservationFileChoice(a, dir.Write("other.dat", "1005 1\n1006 2\n"));
  Run(OpenAnalysis, dir.File("star.korvel.json"));
  EXPECT_EQ(s.View, 'p');
  EXPECT_EQ(s.PdmBins, 20);
  EXPECT_EQ(s.PdmCovers, 3);

  // Written before the keys existed: the search had the defaults.
  auto j = nlohmann::ordered_json::parse(testing::ReadFile(dir.File("star.korvel.json")));
  ASSERT_EQ(j["last_search"]["method_parameters"]["bins"], 20);
  j["last_search"].erase("method_parameters");
  dir.Write("old.korvel.json", j.dump());
  Run(OpenAnalysis, dir.File("old.korvel.json"));
  EXPECT_EQ(s.PdmBins, kDefaultPdmBins);
  EXPECT_EQ(s.PdmCovers, kDefaultPdmCovers);
}

TEST_F(AnalysisCommands, AViewOfNoMethodIsRefusedWithItsReason) {
  Search();
  Run(SaveAnalysis, dir.File("star"));
  std::ifstream in(dir.File("star.korvel.json"));
  std::string text((std::istreambuf_iterator<char>(in)), {});
  const std::string shown = "\"view\": \"l\"";
  const size_t at = text.find(shown);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, shown.size(), "\"view\": \"q\"");
  dir.Write("star.korvel.json", text);
  Run(OpenAnalysis, dir.File("star.korvel.json"));
  EXPECT_NE(p.LastMessage().find("view: \"q\" is none of the views"), std::string::npos)
      << p.LastMessage();
}

TEST_F(AnalysisCommands, ShuffledMagnitudesKeepTheirCaptionThroughSaveAndOpen) {
  ReshuffleMagnitudes(a);
  const AnalysisState shuffled = s;
  Run(SaveAnalysis, dir.File("star"));
  AcceptObservationFileChoice(a, dir.Write("other.dat", "1005 1\n1006 2\n"));
  EXPECT_EQ(p.texts[Control::MainWindow], dir.File("other.dat"));
  Run(OpenAnalysis, dir.File("star.korvel.json"));
  EXPECT_EQ(s.Mag, shuffled.Mag);
  EXPECT_EQ(p.texts[Control::MainWindow], star + " (shuffled)");
  // The changes made before the save are not the opened analysis's to undo.
  UndoLastChange(a);
  EXPECT_EQ(p.LastStatus(), "Nothing to undo.");
}

TEST_F(AnalysisCommands, AnAnalysisOfAChangedFileIsRefusedAndChangesNothing) {
  DeleteSecondObservation();
  Run(SaveAnalysis, dir.File("star.korvel.json"));
  // The deleted observation's magnitude is no longer the one analysed.
  lines[1] = "1000.37 12.5 5\n";
  WriteStar();
  AcceptObservationFileChoice(a, dir.Write("other.dat", "1005 1\n1006 2\n"));
  const AnalysisState before = s;

  Run(OpenAnalysis, dir.File("star.korvel.json"));
  EXPECT_NE(p.LastMessage().find("observation 2"), std::string::npos) << p.LastMessage();
  EXPECT_NE(p.LastMessage().find("the file has changed"), std::string::npos);
  EXPECT_EQ(s.DataFileName, before.DataFileName);
  EXPECT_EQ(s.JD, before.JD);
  EXPECT_EQ(s.View, before.View);

  // A damaged file is refused with its reason.
  dir.Write("bad.korvel.json", "{\"format\": \"korvel-analysis\", \"version\": 1}");
  Run(OpenAnalysis, dir.File("bad.korvel.json"));
  EXPECT_NE(p.LastMessage().find("observations: missing"), std::string::npos) << p.LastMessage();
  EXPECT_EQ(s.JD, before.JD);
}

}  // namespace
}  // namespace korvel
