#include "search/trial_record.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

// Trial k of these tests is at frequency k, so BestFreq tells which trial
// holds a place.
void Rank(AnalysisState& s, double freq, double value, bool smallest) {
  s.Freq = freq;
  smallest ? RankSmallest(s, value) : RankLargest(s, value);
}

TEST(BestList, SmallestFirstWithEarlierTrialsFirstAmongEquals) {
  AnalysisState s;
  InitBestList(s, kEmptyTheta);
  Rank(s, 1, 0.5, true);
  Rank(s, 2, 0.3, true);
  Rank(s, 3, 0.5, true);
  Rank(s, 4, 0.3, true);
  EXPECT_EQ(s.BestFreq[1], 2);
  EXPECT_EQ(s.BestFreq[2], 4);
  EXPECT_EQ(s.BestFreq[3], 1);
  EXPECT_EQ(s.BestFreq[4], 3);
  EXPECT_EQ(s.BestParam[5], kEmptyTheta);
  EXPECT_EQ(s.BestPeriod[1], 0.5);  // 1 / Freq
}

TEST(BestList, ACandidateBetweenThe19thAndThe20thReplacesThe20th) {
  AnalysisState s;
  InitBestList(s, kEmptyTheta);
  for (int k = 1; k <= 20; ++k) Rank(s, k, 0.1 * k, true);
  Rank(s, 21, 1.95, true);
  EXPECT_EQ(s.BestFreq[19], 19);
  EXPECT_EQ(s.BestFreq[20], 21);
  Rank(s, 22, 1.95, true);  // equal to the 20th: not admitted
  EXPECT_EQ(s.BestFreq[20], 21);
  Rank(s, 23, 0.05, true);  // a new best pushes the 20th out
  EXPECT_EQ(s.BestFreq[1], 23);
  EXPECT_EQ(s.BestFreq[20], 19);
}

TEST(BestList, LargestFirstDoesNotAdmitAValueEqualToThe20th) {
  AnalysisState s;
  InitBestList(s, kEmptyAmplitude);
  for (int k = 1; k <= 20; ++k) Rank(s, k, 100 - k, false);
  Rank(s, 21, 80, false);
  EXPECT_EQ(s.BestFreq[20], 20);
  EXPECT_EQ(s.BestParam[20], 80);
  Rank(s, 22, 80.5, false);
  EXPECT_EQ(s.BestFreq[20], 22);
  Rank(s, 23, 99, false);  // equal to the first: goes after it
  EXPECT_EQ(s.BestFreq[1], 1);
  EXPECT_EQ(s.BestFreq[2], 23);
}

TEST(BestList, AnyPositiveAmplitudeEntersAnEmptyList) {
  AnalysisState s;
  InitBestList(s, kEmptyAmplitude);
  Rank(s, 1, 1e-9, false);
  EXPECT_EQ(s.BestFreq[1], 1);
  Rank(s, 2, 0, false);  // equal to the empty value
  EXPECT_EQ(s.BestFreq[2], 0);
}

TEST(BestList, AFrequencyWithoutAPeriodIsNotRanked) {
  AnalysisState s;
  InitBestList(s, kEmptyTheta);
  Rank(s, 0, 0.5, true);
  Rank(s, 0, 0.5, false);
  EXPECT_EQ(s.BestParam[1], kEmptyTheta);
}

TEST(Spectrum, ColumnsKeepTheRangeOfTheirTrials) {
  AnalysisState s;
  ClearSpectrum(s);
  EXPECT_EQ(s.SpecMin, 100);
  s.FreqLo = 0;
  s.FreqScale = 1;
  s.Freq = 3;
  RecordSpectrum(s, 2.0);
  EXPECT_EQ(s.SpecCol, 3);
  EXPECT_EQ(s.SpecHigh[3], 2.0);
  EXPECT_EQ(s.SpecLow[3], 2.0);
  s.Freq = 3.2;
  RecordSpectrum(s, 5.0);
  s.Freq = 2.9;
  RecordSpectrum(s, 1.0);
  EXPECT_EQ(s.SpecHigh[3], 5.0);
  EXPECT_EQ(s.SpecLow[3], 1.0);
  EXPECT_EQ(s.SpecMax, 5.0);
  EXPECT_EQ(s.SpecMin, 1.0);
  EXPECT_EQ(s.SpecHigh[2], 0);
  EXPECT_EQ(s.SpecHigh[4], 0);
}

TEST(Spectrum, AZeroMinimumIsReset) {
  AnalysisState s;
  ClearSpectrum(s);
  s.FreqLo = 0;
  s.FreqScale = 1;
  s.SpecMin = 0;  // as a condition file may leave it
  s.Freq = 1;
  RecordSpectrum(s, 7.0);
  EXPECT_EQ(s.SpecMin, 7.0);
}

TEST(Spectrum, AFrequencyOutsideTheColumnsTouchesNoColumn) {
  AnalysisState s;
  ClearSpectrum(s);
  s.FreqLo = 0;
  s.FreqScale = 1;
  s.SpecCol = 9;
  s.Freq = 900;
  RecordSpectrum(s, 3.0);
  for (double v : s.SpecHigh) EXPECT_EQ(v, 0);
  EXPECT_EQ(s.SpecCol, 9);
  EXPECT_EQ(s.SpecMax, 3.0);
}

}  // namespace
}  // namespace korvel
