#include "search/deeming.h"

#include <cmath>
#include <exception>
#include <memory>
#include <optional>

#include "core/error.h"
#include "core/text_format.h"
#include "io/text_writer.h"
#include "search/engine_support.h"
#include "search/significance.h"
#include "search/trial_kernels.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel {

void SetDeemingWeights(AnalysisState& s) {
  EnsureWorkArrays(s);
  for (int32_t i = 1; i <= s.NObs; ++i)
    s.WMag[i] = s.WindowSpec ? kWindowWeight : s.Mag[i] - s.MagMean;
}

namespace {

// The amplitude of one trial.
class DeemingAmplitude : public TrialStatistic {
 public:
  DeemingAmplitude(const Offsets& dt, const std::vector<double>& weights)
      : dt_(dt), weights_(weights) {}

  double Value(double freq) override {
    const kernels::Sums sums = kernels::DeemingSums(dt_.values.data(), weights_.data(),
                                                    dt_.values.size(), freq, FoldIsa(dt_, freq, 0));
    double a;
    kernels::DeemingAmplitudes(&sums.ss, &sums.sc, 1, Count(), kAmplitudeFactor, &a,
                               kernels::Isa::Scalar);
    return a;
  }

  void Values(const double* freq, double* value, size_t count) override {
    if (count == 0) return;
    const std::optional<kernels::Isa> run = FoldIsaOfRun(dt_, freq, count, 0);
    if (!run) return TrialStatistic::Values(freq, value, count);
    const kernels::Isa isa = *run;
    ss_.resize(count);
    sc_.resize(count);
    kernels::DeemingSumsOfTrials(dt_.values.data(), weights_.data(), dt_.values.size(), freq, count,
                                 ss_.data(), sc_.data(), isa);
    kernels::DeemingAmplitudes(ss_.data(), sc_.data(), count, Count(), kAmplitudeFactor, value,
                               isa);
  }

 private:
  double Count() const { return static_cast<double>(dt_.values.size()); }

  const Offsets& dt_;
  const std::vector<double>& weights_;
  std::vector<double> ss_, sc_;
};

}  // namespace

std::string SpectrumLine(double freq, double amplitude) {
  return Str(freq, 9, 7) + " " + Str(amplitude, 7, 4);
}

void SearchDeeming(AnalysisState& s, SearchHooks& hooks) {
  s.SpecFileName = hooks.SpectrumFileName();
  if (auto problem = CheckObservations(s, false); problem) return RefuseRun(s, hooks, *problem);
  if (auto problem = CheckGrid(s); problem) return RefuseRun(s, hooks, *problem);
  EnsureWorkArrays(s);

  std::optional<TextWriter> file;
  if (s.SpecToFile) {
    try {
      file.emplace(s.SpecFileName);
    } catch (const KorvelError&) {
      s.RunCode = 'e';
      s.Resumed = false;
      hooks.RequestRepaint();
      throw;
    }
  }

  const int32_t n = s.NObs;
  const Offsets dt = OffsetsFrom(s.JD, n, s.JD[1]);
  const std::vector<double> weights(s.WMag.begin() + 1, s.WMag.begin() + 1 + n);
  AmpDistribution& dist = s.AmpDist;
  ResetAmpDistribution(dist);
  double sumSquares = 0;
  std::exception_ptr failure;  // the first error of the spectrum file, whole

  RunBracket run(s, hooks);
  RunTrials(
      s, hooks, EventsAt::BeforeAdvance,
      [&] { return std::make_unique<DeemingAmplitude>(dt, weights); },
      [&](double a) {
        if (!std::isfinite(a)) return true;  // weights so large that the squares overflow
        CountAmplitude(dist, a, sumSquares);
        s.TrialParam = a;
        if (file) {
          try {
            file->WriteLine(SpectrumLine(s.Freq, a));
          } catch (const KorvelError&) {
            failure = std::current_exception();
            return false;
          }
        }
        RecordSpectrum(s, a);
        RankLargest(s, a);
        return true;
      });
  run.Finish();
  s.Resumed = false;

  if (auto discount = FinishAmpDistribution(dist, sumSquares); discount)
    hooks.ShowMessage(*discount);
  hooks.SetStatus(DeemingSummary(dist));
  if (file) {
    try {
      file->Close();
    } catch (const KorvelError&) {
      if (!failure) failure = std::current_exception();
    }
  }
  hooks.RequestRepaint();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace korvel
