#include "batch/search_report.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <vector>

#include "core/text_format.h"
#include "search/trial_record.h"

namespace korvel::batch {

namespace {

constexpr int kGridColumns = 3;

// Entries first .. last of a table, as a JSON array.
template <typename Table>
nlohmann::ordered_json Entries(const Table& table, int first, int last) {
  nlohmann::ordered_json a = nlohmann::ordered_json::array();
  for (int k = first; k <= last; ++k) a.push_back(table[static_cast<size_t>(k)]);
  return a;
}

void AddDistribution(const AnalysisState& s, nlohmann::ordered_json& j) {
  const AnalysisState::AmpDistribution& d = s.AmpDist;
  j["amp_trials"] = d.AmpTrials;
  j["sigma"] = d.Sigma;
  j["amp_scale"] = d.AmpScale;
  j["amp_hist"] = Entries(d.AmpHist, 0, 100);
  j["amp_top_bin"] = d.AmpTopBin;
  j["amp_level"] = Entries(d.AmpLevel, 0, d.AmpTopBin);
  j["amp_cum_pct"] = Entries(d.AmpCumPct, 0, d.AmpTopBin);
  // Save statistics refuses to compute levels without a distribution.
  j["sig_levels"] = d.AmpTrials > 0 ? Entries(s.SigLevel, 1, 4) : nlohmann::ordered_json(nullptr);
}

}  // namespace

void PrintSearchText(const AnalysisState& s, SearchKind kind, const std::string& status,
                     std::ostream& out) {
  // Only places that hold a trial: a search of few trials lists those.
  const int rows = FilledBestPlaces(s);
  std::array<size_t, kGridColumns> width{};
  for (int row = 0; row <= rows; ++row)
    for (int column = 0; column < kGridColumns; ++column)
      width[column] = std::max(width[column], GridCellText(s, row, column).size());
  for (int row = 0; row <= rows; ++row) {
    for (int column = 0; column < kGridColumns; ++column) {
      const std::string cell = GridCellText(s, row, column);
      out << (column > 0 ? "  " : "") << std::string(width[column] - cell.size(), ' ') << cell;
    }
    out << '\n';
  }
  if (MethodOf(kind).secondary) out << "Primary theta: " << Str(s.PrimaryTheta, 0, 7) << '\n';
  out << status << '\n';
}

nlohmann::ordered_json SearchJson(const AnalysisState& s, SearchKind kind, int64_t trials,
                                  const std::string& status) {
  nlohmann::ordered_json j;
  j["method"] = MethodOf(kind).name;
  j["trials"] = trials;
  j["freq_lo"] = s.FreqLo;
  j["freq_hi"] = s.FreqHi;
  j["freq_step"] = s.FreqStep;
  nlohmann::ordered_json best = nlohmann::ordered_json::array();
  for (int k = 1; k <= FilledBestPlaces(s); ++k)
    best.push_back(
        {{"period", s.BestPeriod[k]}, {"param", s.BestParam[k]}, {"freq", s.BestFreq[k]}});
  j["best"] = std::move(best);
  j["spec_high"] = s.SpecHigh;
  j["spec_low"] = s.SpecLow;
  j["spec_max"] = s.SpecMax;
  j["spec_min"] = s.SpecMin;
  if (MethodOf(kind).deeming) {
    AddDistribution(s, j);
    j["status"] = status;
  }
  if (MethodOf(kind).secondary) j["primary_theta"] = s.PrimaryTheta;
  return j;
}

}  // namespace korvel::batch
