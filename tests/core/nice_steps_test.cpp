#include "core/nice_steps.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvel {
namespace {

// Because each entry is compared with the step taken so far, the step grows
// from 1 to 2 at a target (span / 5) of 3, from 2 to 5 at 7 and from 5 to 10
// at 15, in every decade: both sides of each edge, in four decades.
TEST(ChooseStep, EdgesBetweenStepsAndAcrossDecades) {
  struct Case {
    double span, step;
  } const cases[] = {
      {7.4, 0.5},  {7.6, 1},    {14.9, 1},    {15.1, 2},   {34.9, 2}, {35.1, 5},
      {74, 5},     {76, 10},    {0.74, 0.05}, {0.76, 0.1}, {740, 50}, {760, 100},
      {3.49, 0.2}, {3.51, 0.5}, {1.49, 0.1},  {1.51, 0.2},
  };
  for (const Case& c : cases) EXPECT_EQ(ChooseStep(c.span).step, c.step) << "span " << c.span;
}

TEST(ChooseStep, EndsOfTheTable) {
  EXPECT_EQ(ChooseStep(99999).index, 1);
  EXPECT_EQ(ChooseStep(99999).step, 10000);
  EXPECT_EQ(ChooseStep(100000).index, 0);  // the first span no entry serves
  EXPECT_EQ(ChooseStep(50000).index, 2);   // target 10000 itself gives the next entry
  EXPECT_EQ(ChooseStep(1e-5).index, 28);
  EXPECT_EQ(ChooseStep(1e-5).step, 0.00001);
}

// Axis loops add the step until they pass the end: whatever the span, the
// step is a positive table entry, and the index names it (or is 0 with the
// first entry, when nothing passed).
TEST(ChooseStep, AnySpanGivesAPositiveStepOfTheTable) {
  for (double span : {0.0, -0.0, 1e-300, -5.0, -1e6, 1e300, HUGE_VAL, -HUGE_VAL, std::nan("")}) {
    const StepChoice c = ChooseStep(span);
    ASSERT_GE(c.index, 0) << span;
    ASSERT_LE(c.index, 28) << span;
    EXPECT_EQ(c.step, NiceSteps[c.index == 0 ? 0 : static_cast<size_t>(c.index) - 1]) << span;
    EXPECT_GT(c.step, 0) << span;
  }
  // A span of zero (one observation, equal magnitudes) takes the finest step.
  EXPECT_EQ(ChooseStep(0).index, 28);
  EXPECT_EQ(ChooseStep(HUGE_VAL).index, 0);
}

TEST(ChooseStep, ComparesWithTheStepChosenSoFar) {
  EXPECT_EQ(ChooseStep(4).step, 0.5);
  EXPECT_EQ(ChooseStep(4).index, 14);
  EXPECT_EQ(ChooseStep(10).step, 1);
  EXPECT_EQ(ChooseStep(100).step, 10);
  EXPECT_EQ(ChooseStep(0.5).step, 0.05);  // a target equal to an entry gives the next one
  // Targets (span / 5) 0.2, 0.198, 0.35, 1.0 and 4.5:
  EXPECT_EQ(ChooseStep(1.0).step, 0.1);
  EXPECT_EQ(ChooseStep(0.99).step, 0.1);
  EXPECT_EQ(ChooseStep(1.75).step, 0.2);
  EXPECT_EQ(ChooseStep(5).step, 0.5);
  EXPECT_EQ(ChooseStep(22.5).step, 2);
}

TEST(ChooseStep, NoEntryPassesForAHugeSpan) {
  const StepChoice c = ChooseStep(200000);
  EXPECT_EQ(c.step, 10000);
  EXPECT_EQ(c.index, 0);
  EXPECT_EQ(ChooseStep(std::nan("")).index, 0);
}

}  // namespace
}  // namespace korvel
