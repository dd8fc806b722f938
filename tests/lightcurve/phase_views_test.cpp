#include "lightcurve/phase_views.h"

#include <gtest/gtest.h>

#include "lightcurve/document_light_curve.h"

namespace korvel {
namespace {

AnalysisState Elements(std::vector<double> dates) {
  AnalysisState s;
  s.NObs = static_cast<int32_t>(dates.size());
  s.JD.assign(1, 0);
  s.JD.insert(s.JD.end(), dates.begin(), dates.end());
  s.Mag.assign(s.JD.size(), 12);
  s.Phase.assign(s.JD.size(), -1);
  s.Period = 0.5;
  s.Epoch = 100;
  s.P2 = 40;
  s.ExtrDate = 100;
  s.NBins = 4;
  return s;
}

TEST(PhaseViews, WholePeriodsFromTheEpochGiveZeroAfterAndOneBefore) {
  AnalysisState s = Elements({100, 101.5, 98.5, 100.125});
  ComputePhases(s);
  EXPECT_EQ(s.Phase[1], 0.0);
  EXPECT_EQ(s.Phase[2], 0.0);
  EXPECT_EQ(s.Phase[3], 1.0);  // three periods before the epoch
  EXPECT_DOUBLE_EQ(s.Phase[4], 0.25);
}

TEST(PhaseViews, SecondaryBinsCentreTheExtremumInTheLastPanel) {
  // Secondary phases 0 (the extremum), 0.25 and 0.2 with four bins.
  AnalysisState s = Elements({100, 110, 108});
  const BinPlace extremum = SecondaryBinPlace(s, 1);
  EXPECT_EQ(extremum.bin, 3);
  EXPECT_DOUBLE_EQ(extremum.x, 3.5);  // primary phase 0 falls at u = 0.5
  // 0.25 lies at the centre of panel 0 ((0 + 1) / 4); 0.2 is within half a bin of it.
  EXPECT_EQ(SecondaryBinPlace(s, 2).bin, 0);
  EXPECT_EQ(SecondaryBinPlace(s, 3).bin, 0);
  EXPECT_DOUBLE_EQ(SecondaryBinPlace(s, 2).x, 0.5);
  // Just past half a bin before the extremum: still the last panel.
  AnalysisState t = Elements({100 - 40 * 0.12});
  EXPECT_EQ(SecondaryBinPlace(t, 1).bin, 3);
  EXPECT_DOUBLE_EQ(SecondaryColourParam(s, 2), 0.5);
}

TEST(PhaseViews, PhaseColourRunsFromBlueThroughRedAndGreen) {
  const Rgb at0 = PhaseColour(0);
  EXPECT_EQ(at0.r, 127);
  EXPECT_EQ(at0.g, 0);
  EXPECT_EQ(at0.b, 127);
  const Rgb atHalf = PhaseColour(0.5);
  EXPECT_EQ(atHalf.r, 255);
  EXPECT_EQ(atHalf.g, 127);
  EXPECT_EQ(atHalf.b, 0);
  const Rgb at1 = PhaseColour(1);
  EXPECT_EQ(at1.r, 127);
  EXPECT_EQ(at1.g, 255);
  EXPECT_EQ(at1.b, 127);
  const Rgb at15 = PhaseColour(1.5);
  EXPECT_EQ(at15.r, 0);
  EXPECT_EQ(at15.g, 127);
  EXPECT_EQ(at15.b, 255);
}

}  // namespace
}  // namespace korvel
