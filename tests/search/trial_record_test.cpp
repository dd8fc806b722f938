#include "search/trial_record.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

// Trial k of these tests is at frequency k, so BestFreq tells which trial
// holds a place.
void Rank(BestList& s, double freq, double value, bool smallest) {
  smallest ? RankSmallest(s, freq, value) : RankLargest(s, freq, value);
}

TEST(BestList, SmallestFirstWithEarlierTrialsFirstAmongEquals) {
  BestList s = EmptyBestList(kEmptyTheta);
  Rank(s, 1, 0.5, true);
  Rank(s, 2, 0.3, true);
  Rank(s, 3, 0.5, true);
  Rank(s, 4, 0.3, true);
  EXPECT_EQ(s[0].freq, 2);
  EXPECT_EQ(s[1].freq, 4);
  EXPECT_EQ(s[2].freq, 1);
  EXPECT_EQ(s[3].freq, 3);
  EXPECT_EQ(s[4].value, kEmptyTheta);
  EXPECT_EQ(s[0].period, 0.5);  // 1 / Freq
}

TEST(BestList, ACandidateBetweenThe19thAndThe20thReplacesThe20th) {
  BestList s = EmptyBestList(kEmptyTheta);
  for (int k = 1; k <= 20; ++k) Rank(s, k, 0.1 * k, true);
  Rank(s, 21, 1.95, true);
  EXPECT_EQ(s[18].freq, 19);
  EXPECT_EQ(s[19].freq, 21);
  Rank(s, 22, 1.95, true);  // equal to the 20th: not admitted
  EXPECT_EQ(s[19].freq, 21);
  Rank(s, 23, 0.05, true);  // a new best pushes the 20th out
  EXPECT_EQ(s[0].freq, 23);
  EXPECT_EQ(s[19].freq, 19);
}

TEST(BestList, LargestFirstDoesNotAdmitAValueEqualToThe20th) {
  BestList s = EmptyBestList(kEmptyAmplitude);
  for (int k = 1; k <= 20; ++k) Rank(s, k, 100 - k, false);
  Rank(s, 21, 80, false);
  EXPECT_EQ(s[19].freq, 20);
  EXPECT_EQ(s[19].value, 80);
  Rank(s, 22, 80.5, false);
  EXPECT_EQ(s[19].freq, 22);
  Rank(s, 23, 99, false);  // equal to the first: goes after it
  EXPECT_EQ(s[0].freq, 1);
  EXPECT_EQ(s[1].freq, 23);
}

TEST(BestList, AnyPositiveAmplitudeEntersAnEmptyList) {
  BestList s = EmptyBestList(kEmptyAmplitude);
  Rank(s, 1, 1e-9, false);
  EXPECT_EQ(s[0].freq, 1);
  Rank(s, 2, 0, false);  // equal to the empty value
  EXPECT_EQ(s[1].freq, 0);
}

TEST(BestList, AFrequencyWithoutAPeriodIsNotRanked) {
  BestList s = EmptyBestList(kEmptyTheta);
  Rank(s, 0, 0.5, true);
  Rank(s, 0, 0.5, false);
  EXPECT_EQ(s[0].value, kEmptyTheta);
}

TEST(Spectrum, ColumnsKeepTheRangeOfTheirTrials) {
  DisplayColumns s;
  const TrialGrid g{0, 480, 1, 0, 1};
  EXPECT_EQ(s.min, 100);
  RecordSpectrum(s, g, 3, 2.0);
  EXPECT_EQ(s.last, 3);
  EXPECT_EQ(s.high[3], 2.0);
  EXPECT_EQ(s.low[3], 2.0);
  RecordSpectrum(s, g, 3.2, 5.0);
  RecordSpectrum(s, g, 2.9, 1.0);
  EXPECT_EQ(s.high[3], 5.0);
  EXPECT_EQ(s.low[3], 1.0);
  EXPECT_EQ(s.max, 5.0);
  EXPECT_EQ(s.min, 1.0);
  EXPECT_EQ(s.high[2], 0);
  EXPECT_EQ(s.high[4], 0);
}

TEST(Spectrum, AZeroMinimumIsReset) {
  DisplayColumns s;
  const TrialGrid g{0, 480, 1, 0, 1};
  s.min = 0;  // as a condition file may leave it
  RecordSpectrum(s, g, 1, 7.0);
  EXPECT_EQ(s.min, 7.0);
}

TEST(Spectrum, AFrequencyOutsideTheColumnsTouchesNoColumn) {
  DisplayColumns s;
  const TrialGrid g{0, 480, 1, 0, 1};
  s.last = 9;
  RecordSpectrum(s, g, 900, 3.0);
  for (double v : s.high) EXPECT_EQ(v, 0);
  EXPECT_EQ(s.last, 9);
  EXPECT_EQ(s.max, 3.0);
}

}  // namespace
}  // namespace korvel
