#include "search/deeming.h"

#include <cmath>
#include <exception>
#include <memory>
#include <optional>

#include "core/error.h"
#include "core/text_format.h"
#include "io/text_writer.h"
#include "search/engine_support.h"
#include "search/search_methods.h"
#include "search/significance.h"
#include "search/trial_kernels.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel {

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
    kernels::DeemingTrialAmplitudes(dt_.values.data(), weights_.data(), dt_.values.size(), freq,
                                    count, kAmplitudeFactor, value, *run);
  }

 private:
  double Count() const { return static_cast<double>(dt_.values.size()); }

  const Offsets& dt_;
  const std::vector<double>& weights_;
};

}  // namespace

std::string SpectrumLine(double freq, double amplitude) {
  return Str(freq, 9, 7) + " " + Str(amplitude, 7, 4);
}

void RunDeeming(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                SearchResult& r) {
  std::optional<TextWriter> file;
  if (!p.request.spectrumFile.empty()) file.emplace(p.request.spectrumFile);

  const Offsets dt = OffsetsFrom(o.jd, o.jd[0]);
  std::vector<double> weights(o.size());
  for (size_t i = 0; i < o.size(); ++i)
    weights[i] = p.request.windowSpectrum ? kWindowWeight : o.mag[i] - o.magMean;
  AmpDistribution& dist = r.amplitudes.emplace();
  ResetAmpDistribution(dist);
  double sumSquares = 0;
  std::exception_ptr failure;  // the first error of the spectrum file, whole

  RunTrials(
      r, o.size(), hooks, MethodOf(p.request.method).events,
      [&] { return std::make_unique<DeemingAmplitude>(dt, weights); },
      [&](double a) {
        KeepTrial(r.statistic, a, false);
        if (!std::isfinite(a)) return true;  // weights so large that the squares overflow
        CountAmplitude(dist, a, sumSquares);
        r.lastValue = a;
        if (file) {
          try {
            file->WriteLine(SpectrumLine(r.freq, a));
          } catch (const KorvelError&) {
            failure = std::current_exception();
            return false;
          }
        }
        RecordSpectrum(r.display, r.grid, r.freq, a);
        RankLargest(r.best, r.freq, a);
        return true;
      });

  r.notice = FinishAmpDistribution(dist, sumSquares);
  if (file) {
    try {
      file->Close();
    } catch (const KorvelError&) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace korvel
