#include "app/shell_commands.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/search_commands.h"
#include "support/fake_platform.h"

namespace korvel {
namespace {

using testing::FakePlatform;

class ShellCommands : public ::testing::Test {
 protected:
  ShellCommands() {
    // A 7-day sinusoid, 120 nights.
    s.NObs = 120;
    s.JD.assign(121, 0);
    s.Mag.assign(121, 0);
    for (int i = 1; i <= s.NObs; ++i) {
      s.JD[i] = 2000 + i + 0.3 * std::fmod(i * 0.618, 1.0);
      s.Mag[i] = 11 + 0.2 * std::sin(2 * M_PI * s.JD[i] / 7);
      s.MagMean += s.Mag[i] / s.NObs;
    }
    for (int i = 1; i <= s.NObs; ++i) s.MagVar += std::pow(s.Mag[i] - s.MagMean, 2) / s.NObs;
    for (auto* v : {&s.Phase, &s.SortPhase, &s.WMag}) v->assign(121, 0);
    s.BinOf.assign(121, 0);
    s.Marks.assign(121, 0);
    s.RunCode = 'n';
    s.View = 't';
    s.DataReady = 'y';
    p.texts[Control::SpFN] = "SpFName.dat";
  }
  void AnswerSearch() {
    p.dialogAnswers.push_back(
        {true,
         {{Control::LK_Pmax, "10"}, {Control::LK_Pmin, "4"}, {Control::LK_PhaseShift, "0.1"}}});
  }

  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p};
};

TEST_F(ShellCommands, RepeatRunsTheKindOfSearchRunLast) {
  RunCommand(a, RepeatLastSearch);
  EXPECT_EQ(p.LastStatus(), kNoSearchToRepeat);
  EXPECT_TRUE(p.dialogsShown.empty());

  AnswerSearch();
  RunCommand(a, StartDeemingSearch);
  ASSERT_EQ(s.View, 'd');
  s.View = 't';
  AnswerSearch();
  RunCommand(a, RepeatLastSearch);
  EXPECT_EQ(p.dialogsShown, (std::vector<Dialog>{Dialog::LK, Dialog::LK}));
  EXPECT_EQ(s.View, 'd');
  EXPECT_EQ(s.RunCode, 'e');

  // After a secondary-period search its own dialog comes (here cancelled).
  s.SearchView = 's';
  RunCommand(a, RepeatLastSearch);
  EXPECT_EQ(p.dialogsShown.back(), Dialog::SecP);
  EXPECT_TRUE(p.messages.empty()) << p.LastMessage();
}

TEST_F(ShellCommands, EscapeStopsARunningSearchElseClosesTheTables) {
  p.visible[Control::StrGr] = true;
  s.RunCode = 'r';
  RunCommand(a, StopSearchOrHideTables);
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_TRUE(p.visible[Control::StrGr]);
  RunCommand(a, StopSearchOrHideTables);
  EXPECT_FALSE(p.visible[Control::StrGr]);
  EXPECT_FALSE(p.visible[Control::PeakGr]);
}

TEST_F(ShellCommands, ExportPictureNamesThePictureAndRefusesOtherFormats) {
  p.fileAnswers = {{false, "out/star"}};
  RunCommand(a, ExportPicture);
  EXPECT_EQ(p.picturesWritten, std::vector<std::string>{"out/star.png"});
  EXPECT_EQ(p.LastStatus(), "Picture written to out/star.png");

  // BMP is Print's; an unknown name is asked again.
  p.fileAnswers = {{false, "star.bmp"}, {false, "star.jpg"}, {false, "star.SVG"}};
  RunCommand(a, ExportPicture);
  EXPECT_EQ(p.messages,
            (std::vector<std::string>{
                "Unknown picture format: star.bmp (the name must end in .png, .svg or .pdf)...",
                "Unknown picture format: star.jpg (the name must end in .png, .svg or .pdf)..."}));
  EXPECT_EQ(p.picturesWritten.back(), "star.SVG");

  // A failed write: its reason, and the dialog asks again.
  p.messages.clear();
  p.pictureError = "Cannot write /x/star.pdf: no such folder";
  p.fileAnswers = {{false, "/x/star.pdf"}, {true, ""}};
  RunCommand(a, ExportPicture);
  EXPECT_EQ(p.messages, std::vector<std::string>{"Cannot write /x/star.pdf: no such folder"});
  EXPECT_TRUE(p.fileAnswers.empty());
  EXPECT_EQ(p.LastStatus(), "Picture written to star.SVG");

  // Nothing while a search runs.
  p.pictureError.clear();
  s.RunCode = 'r';
  p.fileAnswers = {{false, "later.png"}};
  RunCommand(a, ExportPicture);
  EXPECT_EQ(p.fileAnswers.size(), 1u);
  EXPECT_EQ(p.picturesWritten.size(), 2u);
}

}  // namespace
}  // namespace korvel
