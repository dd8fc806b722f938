// The condition file (BaseName + ".img"): the state of a period search, written
// by Save condition and read back by Continue.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/analysis_state.h"

namespace korvel {

// What a condition file holds, read into a temporary so that a bad file can be
// refused before anything in the analysis state changes.
struct ConditionRecord {
  double r[7] = {};  // r[1] .. r[6] of line 1
  char View = 0;
  int32_t NBins = 0;
  double ExtrDate = 0, Period = 0, P2Epoch = 0;
  std::array<double, kBestPlaces + 1> BestPeriod{}, BestParam{}, BestFreq{};
  std::array<double, kSpecColumns> SpecHigh{}, SpecLow{};
};

// Empty when the state can be saved; otherwise the reason it cannot.
std::string ConditionSaveProblem(const AnalysisState& s);
// Recomputes SpecCol and writes the file; the caller checks ConditionSaveProblem first.
void WriteConditionFile(AnalysisState& s, const std::string& path);

// Reads the whole file; throws the read error of a malformed file. Spectrum
// lines beyond the last column are ignored.
ConditionRecord ReadConditionFile(const std::string& path);
// Empty when the record can be applied; otherwise the reason it cannot.
std::string ConditionRecordProblem(const ConditionRecord& c);

}  // namespace korvel
