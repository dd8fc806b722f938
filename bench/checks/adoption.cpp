// How often do the distinct peaks and the adopted period hold the truth? The
// stars of korvel-make-survey (OUTDIR/truth.csv) are searched with
// Lafler-Kinman and Deeming over 0.2 .. 1 d (phase shift 0.05); a variable
// star counts when its true period (or, for an eclipsing binary, twice or
// half of it: equal minima fold on half) is within 1 % of one of the first K
// distinct peaks' fitted periods of either method, and of the adopted period.
//   korvel_adoption_check SURVEYDIR [K]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "search/adopt.h"
#include "search/search_methods.h"
#include "search/search_pipeline.h"

namespace {

bool Near(double found, double truth) {
  return std::abs(found - truth) < 0.01 * truth;
}

bool Matches(double found, double truth, bool eclipsing) {
  return Near(found, truth) || (eclipsing && (Near(found, truth / 2) || Near(found, 2 * truth)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: korvel_adoption_check SURVEYDIR [K]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const int count = argc > 2 ? std::atoi(argv[2]) : 5;
  std::ifstream truth(dir + "/truth.csv");
  std::string line;
  std::getline(truth, line);
  int stars = 0, inTop = 0, adoptedRight = 0, lkFirst = 0, deemingFirst = 0;
  while (std::getline(truth, line)) {
    std::istringstream fields(line);
    std::string file, type, period;
    std::getline(fields, file, ',');
    std::getline(fields, type, ',');
    std::getline(fields, period, ',');
    if (type == "constant") continue;
    const double p = std::stod(period);
    const bool eclipsing = type == "eclipsing";
    std::vector<double> t, m;
    std::ifstream in(dir + "/" + file);
    for (double a, b; in >> a >> b;) {
      t.push_back(a);
      m.push_back(b);
    }
    const korvel::Observations o = korvel::ObservationsOf(t, m);
    std::vector<korvel::PeakList> lists;
    bool top = false;
    for (const korvel::SearchKind kind :
         {korvel::SearchKind::LaflerKinman, korvel::SearchKind::Deeming}) {
      korvel::SearchRequest r;
      r.method = kind;
      r.pmin = 0.2;
      r.pmax = 1;
      r.phaseShift = 0.05;
      const auto prepared = korvel::PrepareSearch(r, o);
      if (!std::holds_alternative<korvel::PreparedSearch>(prepared)) continue;
      korvel::PlainSearchHooks hooks;
      const korvel::SearchResult result =
          korvel::RunSearch(std::get<korvel::PreparedSearch>(prepared), o, hooks);
      korvel::PeakList list{korvel::MethodOf(kind).name,
                            korvel::ReportPeaks(result, o, count, korvel::ErrorOptions{})};
      for (size_t k = 0; k < list.peaks.size(); ++k) {
        const korvel::PeakReport& peak = list.peaks[k];
        const double found = peak.problem.empty() ? peak.fittedPeriod : peak.peak.period;
        if (Matches(found, p, eclipsing)) {
          top = true;
          if (k == 0) (kind == korvel::SearchKind::LaflerKinman ? lkFirst : deemingFirst)++;
        }
      }
      lists.push_back(std::move(list));
    }
    const korvel::AdoptedPeriod adopted = korvel::AdoptPeriod(lists, o);
    ++stars;
    inTop += top;
    const bool right = adopted.ok() && Matches(adopted.period, p, eclipsing);
    adoptedRight += right;
    if (!right && argc > 3)
      std::printf("%s %s %.6f adopted %.6f (%s peak %d%s)\n", file.c_str(), type.c_str(), p,
                  adopted.period, adopted.method.c_str(), adopted.peak,
                  adopted.doubled ? ", 2P" : "");
  }
  std::printf(
      "%d variable stars, %d peaks per method: true period among them %.1f %%, adopted %.1f %%, "
      "first peak Lafler-Kinman %.1f %%, Deeming %.1f %%\n",
      stars, count, 100.0 * inTop / stars, 100.0 * adoptedRight / stars, 100.0 * lkFirst / stars,
      100.0 * deemingFirst / stars);
  return 0;
}
