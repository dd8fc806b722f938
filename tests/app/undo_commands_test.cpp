// Undo of deletions, Chaos and prewhitening, and the caption that says what
// the magnitudes in memory are.
#include "app/undo_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "app/file_commands.h"
#include "app/mouse_commands.h"
#include "app/wave_commands.h"
#include "io/param_file.h"
#include "plot/paint.h"
#include "search/document_search.h"
#include "support/fake_platform.h"
#include "support/recording_canvas.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::FakePlatform;
using testing::TempDir;

// A window that has loaded a star of 60 observations.
class Undo : public ::testing::Test {
 protected:
  Undo() {
    std::string text;
    for (int i = 0; i < 60; ++i)
      text +=
          std::to_string(1000 + i * 0.37) + " " + std::to_string(10 + (i * 7 % 11) * 0.1) + "\n";
    star = dir.Write("star.dat", text);
    SetParameterDefaults(s);
    ReadJDWindowEdits(a);
    AcceptObservationFileChoice(a, star);
    s.DataReady = 'y';
    s.Period = 1;
    s.Epoch = 0;
    loaded = s;
  }

  // The band over the left part of the phase view, answered Yes.
  void DeleteWithBand() {
    s.View = 'd';
    testing::RecordingCanvas canvas(720, 510);
    PWinPaint(s, canvas, PaintSurroundings{});
    p.yesNoAnswers = {Answer::Yes};
    PWinMouseDown(a, {MouseButton::Left, false, false, false, 1, 1, {}});
    PWinMouseUp(a, {MouseButton::Left, false, false, false, 380, 508, {}});
  }

  void Prewhiten() {
    s.View = 'l';
    p.values[Control::MLC_SpinEdit1] = 1;
    p.texts[Control::MLC_Edit1] = "10";
    p.texts[Control::MLC_Edit2] = "0.2";
    p.texts[Control::MLC_Edit3] = dir.File("star.sup");
    p.texts[Control::MLC_Edit4] = dir.File("star.o");
    p.dialogAnswers.push_back({true, {}});
    ShowWaveDialogForCurve(a);
    RunCommand(a, PrewhitenObservations);
  }

  void ExpectObservationsOf(const AnalysisState& before) {
    EXPECT_EQ(s.NObs, before.NObs);
    EXPECT_EQ(s.JD, before.JD);
    EXPECT_EQ(s.Mag, before.Mag);
    EXPECT_EQ(s.Marks, before.Marks);
    EXPECT_EQ(s.LoadIndex, before.LoadIndex);
    EXPECT_DOUBLE_EQ(s.MagMean, before.MagMean);
    EXPECT_EQ(s.DataMagMax, before.DataMagMax);
  }
  std::string Caption() { return p.texts[Control::MainWindow]; }

  TempDir dir;
  std::string star;
  AnalysisState s, loaded;
  FakePlatform p;
  AppContext a{s, p};
};

TEST_F(Undo, ADragDeletionAsksOnceAndUndoBringsEveryObservationBack) {
  s.Marks[3] = s.Marks[40] = 1;
  loaded = s;
  DeleteWithBand();
  const int32_t gone = 60 - s.NObs;
  ASSERT_GT(gone, 1);
  ASSERT_LT(gone, 60);
  EXPECT_EQ(p.messages,
            std::vector<std::string>{"Delete " + std::to_string(gone) + " observations?"});
  EXPECT_EQ(p.questionCaptions, std::vector<std::string>{"Set point"});
  EXPECT_EQ(p.LastStatus(), "Deleted " + std::to_string(gone) + " observations; " +
                                std::to_string(s.NObs) + " remain. Ctrl+Z restores them.");

  UndoLastChange(a);
  ExpectObservationsOf(loaded);
  EXPECT_EQ(s.View, 't');  // as after a load
  EXPECT_TRUE(s.FullRange);
  EXPECT_EQ(p.LastStatus(),
            "Undone: deletion of " + std::to_string(gone) + " observations; 60 observations.");
  UndoLastChange(a);
  EXPECT_EQ(p.LastStatus(), "Nothing to undo.");
}

TEST_F(Undo, ChangesAreUndoneLatestFirstAndTheCaptionFollows) {
  EXPECT_EQ(Caption(), star);
  Prewhiten();
  ASSERT_TRUE(p.messages.empty()) << p.LastMessage();
  const AnalysisState residuals = s;
  EXPECT_EQ(Caption(), star + " (residuals)");
  EXPECT_EQ(p.LastStatus(), "File " + dir.File("star.o") +
                                " is done... The magnitudes in memory are now residuals; "
                                "Ctrl+Z restores them.");
  ReshuffleMagnitudes(a);
  EXPECT_EQ(p.LastMessage(), "Reshuffled 1 time.");
  EXPECT_EQ(p.LastStatus(),
            "Reshuffled 1 time. The magnitudes in memory are now shuffled; Ctrl+Z restores them.");
  EXPECT_EQ(Caption(), star + " (residuals, shuffled)");
  EXPECT_NE(s.Mag, residuals.Mag);

  UndoLastChange(a);
  EXPECT_EQ(p.LastStatus(), "Undone: reshuffle; 60 observations.");
  ExpectObservationsOf(residuals);
  EXPECT_EQ(s.ShuffleCount, 0);
  EXPECT_EQ(Caption(), star + " (residuals)");
  UndoLastChange(a);
  EXPECT_EQ(p.LastStatus(), "Undone: prewhitening; 60 observations.");
  ExpectObservationsOf(loaded);
  EXPECT_EQ(Caption(), star);
  EXPECT_FALSE(p.visible[Control::BPrewhite]);
}

TEST_F(Undo, KeepsTheLatestChangesOnlyAndIsIgnoredDuringASearch) {
  AnalysisState fifth;
  for (size_t k = 1; k <= kUndoLevels + 5; ++k) {
    ReshuffleMagnitudes(a);
    if (k == 5) fifth = s;
  }
  s.RunCode = 'r';
  const AnalysisState running = s;
  UndoLastChange(a);
  EXPECT_EQ(p.LastStatus(), kSearchRunning);
  ExpectObservationsOf(running);
  s.RunCode = 'e';
  for (size_t k = 0; k < kUndoLevels; ++k) UndoLastChange(a);
  ExpectObservationsOf(fifth);
  EXPECT_EQ(Caption(), star + " (shuffled)");
  UndoLastChange(a);
  EXPECT_EQ(p.LastStatus(), "Nothing to undo.");
}

TEST_F(Undo, ALoadForgetsTheChanges) {
  ReshuffleMagnitudes(a);
  AcceptObservationFileChoice(a, star);
  EXPECT_EQ(Caption(), star);
  UndoLastChange(a);
  EXPECT_EQ(p.LastStatus(), "Nothing to undo.");
}

}  // namespace
}  // namespace korvel
