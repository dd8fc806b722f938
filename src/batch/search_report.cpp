#include "batch/search_report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

#include "core/text_format.h"
#include "search/period_error.h"
#include "search/search_methods.h"
#include "search/significance.h"
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

void AddDistribution(const AmpDistribution& d, nlohmann::ordered_json& j) {
  j["amp_trials"] = d.AmpTrials;
  j["sigma"] = d.Sigma;
  j["amp_scale"] = d.AmpScale;
  j["amp_hist"] = Entries(d.AmpHist, 0, 100);
  j["amp_top_bin"] = d.AmpTopBin;
  j["amp_level"] = Entries(d.AmpLevel, 0, d.AmpTopBin);
  j["amp_cum_pct"] = Entries(d.AmpCumPct, 0, d.AmpTopBin);
  // Save statistics refuses to compute levels without a distribution.
  j["sig_levels"] =
      d.AmpTrials > 0 ? Entries(SignificanceLevels(d), 1, 4) : nlohmann::ordered_json(nullptr);
}

// A number, or null where there is none (JSON has no NaN).
nlohmann::ordered_json Number(double x) {
  return std::isfinite(x) ? nlohmann::ordered_json(x) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json Text(const std::string& s) {
  return s.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(s);
}

}  // namespace

void PrintSearchText(const SearchResult& r, const std::string& status, std::ostream& out,
                     double bestFapPdm) {
  // Only places that hold a trial: a search of few trials lists those.
  const int rows = FilledPlaces(r.best);
  std::array<size_t, kGridColumns> width{};
  for (int row = 0; row <= rows; ++row)
    for (int column = 0; column < kGridColumns; ++column)
      width[column] = std::max(width[column], BestCellText(r.best, row, column).size());
  for (int row = 0; row <= rows; ++row) {
    for (int column = 0; column < kGridColumns; ++column) {
      const std::string cell = BestCellText(r.best, row, column);
      out << (column > 0 ? "  " : "") << std::string(width[column] - cell.size(), ' ') << cell;
    }
    out << '\n';
  }
  if (MethodOf(r.method).secondary) out << "Primary theta: " << Str(r.primaryTheta, 0, 7) << '\n';
  if (std::isfinite(bestFapPdm)) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", bestFapPdm);
    out << "False-alarm probability of the best theta (PDM): " << text << '\n';
  }
  out << status << '\n';
}

nlohmann::ordered_json SearchJson(const SearchResult& r, const std::string& status,
                                  const std::vector<PeakReport>* peaks, bool bootstrap) {
  nlohmann::ordered_json j;
  j["method"] = MethodOf(r.method).name;
  j["trials"] = r.statistic.trials;
  j["freq_lo"] = r.grid.freqLo;
  j["freq_hi"] = r.grid.freqEnd;
  j["freq_step"] = r.grid.step;
  nlohmann::ordered_json best = nlohmann::ordered_json::array();
  for (int k = 0; k < FilledPlaces(r.best); ++k) {
    const BestTrial& t = r.best[static_cast<size_t>(k)];
    best.push_back({{"period", t.period}, {"param", t.value}, {"freq", t.freq}});
  }
  j["best"] = std::move(best);
  j["spec_high"] = r.display.high;
  j["spec_low"] = r.display.low;
  j["spec_max"] = r.display.max;
  j["spec_min"] = r.display.min;
  if (MethodOf(r.method).deeming && r.amplitudes) {
    AddDistribution(*r.amplitudes, j);
    j["status"] = status;
  }
  if (MethodOf(r.method).secondary) j["primary_theta"] = r.primaryTheta;
  if (peaks) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const PeakReport& p : *peaks) {
      nlohmann::ordered_json one = {{"period", p.peak.period},
                                    {"frequency", p.peak.frequency},
                                    {"statistic", p.peak.statistic},
                                    {"fitted_period", Number(p.fittedPeriod)},
                                    {"period_error", Number(p.periodError)}};
      if (bootstrap) one["period_error_bootstrap"] = Number(p.bootstrapError);
      one["harmonics"] = p.harmonics;
      // The reshuffled FAP where it was computed, else the analytic one.
      one["fap"] = Number(p.Fap());
      one["fap_method"] = p.fap == p.fap                   ? Text("reshuffled")
                          : p.fapPdm == p.fapPdm           ? Text("pdm")
                          : p.fapAnalytic == p.fapAnalytic ? Text("analytic")
                                                           : Text("");
      one["fap_analytic"] = Number(p.fapAnalytic);
      // Only pdm has one: the other methods' reports stay as they were.
      if (r.method == SearchKind::Pdm) one["fap_pdm"] = Number(p.fapPdm);
      one["fap_low"] = Number(p.fapLow);
      one["fap_high"] = Number(p.fapHigh);
      one["fap_at_frequency"] = Number(p.fapHere);
      one["snr"] = Number(p.snr);
      one["label"] = Text(p.peak.label);
      one["error"] = Text(p.problem);
      list.push_back(std::move(one));
    }
    j["peaks"] = std::move(list);
  }
  return j;
}

}  // namespace korvel::batch
