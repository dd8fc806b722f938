#include "app/lightcurve_commands.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace korvel {
namespace {

using testing::FakePlatform;

class LightCurveCommands : public ::testing::Test {
 protected:
  LightCurveCommands() {
    s.Period = 0.5568;
    s.Epoch = 59000.59;
    s.P2 = 39.8;
    s.ExtrDate = 59010;
    s.NBins = 8;
    s.View = 'l';
    s.DataReady = 'n';
    s.RunCode = 'e';
    p.visible[Control::BPrewhite] = true;
    p.visible[Control::StrGr] = true;
  }
  void Answer(std::map<Control, std::string> texts, bool ok = true) {
    p.dialogAnswers.push_back({ok, std::move(texts)});
  }
  static std::map<Control, std::string> All(const char* p, const char* e, const char* p2,
                                            const char* x, const char* n) {
    return {{Control::LC_Edit1, p},
            {Control::LC_Edit2, e},
            {Control::LC_Edit3, p2},
            {Control::LC_Edit4, x},
            {Control::LC_Edit5, n}};
  }

  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p};
};

TEST_F(LightCurveCommands, EachFieldIsJudgedInOrderWithItsMessageAndFocus) {
  struct Case {
    std::map<Control, std::string> texts;
    const char* message;
    Control focus;
  };
  const Case cases[] = {
      {All("0", "1", "2", "3", "4"), "Error in Po...", Control::LC_Edit1},
      {All("-5", "1", "2", "3", "4"), "Error in Po...", Control::LC_Edit1},
      {All("1.5x", "1", "2", "3", "4"), "Error in Po...", Control::LC_Edit1},
      {All("1", "abc", "2", "3", "4"), "Error in JD max...", Control::LC_Edit2},
      {All("1", "2", "0", "3", "4"), "Error in P2...", Control::LC_Edit3},
      {All("1", "2", "3", "x", "4"), "Error in JD extremal amplitude...", Control::LC_Edit4},
      {All("1", "2", "3", "4", "1"), "Error in Number of bins...", Control::LC_Edit5},
      {All("1", "2", "3", "4", "2.5"), "Error in Number of bins...", Control::LC_Edit5},
  };
  for (const Case& c : cases) {
    p.messages.clear();
    p.focused.clear();
    p.texts = c.texts;
    EXPECT_FALSE(AcceptLightCurveElements(a, 2)) << c.message;
    EXPECT_EQ(p.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(p.focused, std::vector<Control>{c.focus});
  }
  p.texts = All("1", "2", "3", "4", "2");
  EXPECT_TRUE(AcceptLightCurveElements(a, 2));
  EXPECT_EQ(s.NBins, 2);
  // Mode 1 never looks at the secondary elements.
  p.texts = All("0.25", "100", "bad", "bad", "bad");
  EXPECT_TRUE(AcceptLightCurveElements(a, 1));
  EXPECT_EQ(s.Period, 0.25);
  EXPECT_EQ(s.Epoch, 100);
}

TEST_F(LightCurveCommands, PrimaryPeriodViewAndACancelThatRestoresTheElements) {
  // A rejected period, then Cancel: the old elements come back.
  Answer(All("-1", "5", "3", "4", "1"));
  Answer({}, false);
  RunCommand(a, ShowPrimaryLightCurve);
  EXPECT_EQ(p.LastMessage(), "Error in Po...");
  EXPECT_EQ(s.Period, 0.5568);
  EXPECT_EQ(s.View, 'l');
  EXPECT_EQ(s.DataReady, 'n');
  EXPECT_TRUE(p.visible[Control::StrGr]);

  Answer(All("0.6", "59000", "", "", ""));
  RunCommand(a, ShowPrimaryLightCurve);
  EXPECT_EQ(s.Period, 0.6);
  EXPECT_EQ(s.View, 'l');
  EXPECT_EQ(s.DataReady, 'y');
  EXPECT_FALSE(p.visible[Control::BPrewhite]);
  EXPECT_FALSE(p.visible[Control::StrGr]);
  EXPECT_EQ(p.repaints, 1);

  // While a search runs nothing happens; the other commands still act.
  s.RunCode = 'r';
  Answer(All("0.7", "59000", "40", "59010", "8"));
  RunCommand(a, ShowPrimaryLightCurve);
  EXPECT_EQ(s.Period, 0.6);
  RunCommand(a, ShowTimeView);
  EXPECT_EQ(s.View, 't');
  EXPECT_EQ(p.repaints, 2);
}

TEST_F(LightCurveCommands, SecondaryViewsReadAllFiveElements) {
  Answer(All("0.5", "59000", "40", "59010", "6"));
  RunCommand(a, ShowSecondaryLightCurve);
  EXPECT_EQ(s.View, 's');
  EXPECT_EQ(s.NBins, 6);
  EXPECT_FALSE(p.visible[Control::BPrewhite]);
  EXPECT_FALSE(p.visible[Control::StrGr]);

  p.visible[Control::BPrewhite] = true;
  p.visible[Control::StrGr] = true;
  Answer(All("0.5", "59000", "41", "59010", "6"));
  RunCommand(a, ShowSecondaryPhaseColours);
  EXPECT_EQ(s.View, 'n');
  EXPECT_EQ(s.P2, 41);
  EXPECT_TRUE(p.visible[Control::BPrewhite]);  // left as it was
  EXPECT_TRUE(p.visible[Control::StrGr]);

  // A rejected bin count, then Cancel: no bin count of 1 stays behind.
  Answer(All("0.5", "59000", "41", "59010", "1"));
  Answer({}, false);
  RunCommand(a, ShowSecondaryLightCurve);
  EXPECT_EQ(s.NBins, 6);
  EXPECT_EQ(s.View, 'n');
}

}  // namespace
}  // namespace korvel
