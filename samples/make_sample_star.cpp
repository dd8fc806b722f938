// Writes the bundled sample star: one season of a Blazhko RR Lyrae star as
// a single observer would record it, in the Save as... observation format,
// and optionally the default.cfg holding its true elements.
//
// The output must be identical on every machine that builds it (see
// synthetic.h).
//
// Usage: korvel-make-sample OUT.dat [OUT.cfg]

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/analysis_state.h"
#include "core/error.h"
#include "io/observation_file.h"
#include "io/param_file.h"
#include "synthetic.h"

namespace {

using korvel::AnalysisState;
using korvel::samples::kTwoPi;
using korvel::samples::LightCurve;
using korvel::samples::Noise;

constexpr uint64_t kSeed = 0x4B52564C53544152ULL;

// The star's true elements.
constexpr double kPeriod = 0.5568;
constexpr double kBlazhkoPeriod = 39.8;
constexpr double kMeanMag = 12.5;
constexpr double kFullAmplitude = 0.8;  // of the mean light curve
constexpr double kAmplitudeModulation = 0.25;
constexpr double kPhaseModulation = 0.03;  // cycles of the primary period
constexpr double kNoise = 0.025;
// A maximum of light (ignoring the phase modulation) and a date of largest
// amplitude, both inside the season.
constexpr double kReferenceMaximum = 59000.2317;
constexpr double kMaxAmplitudeDate = 59021.0;

// The season: nights start at the integer dates (JD noon), a share of them is
// lost to weather, and the star is observed for a few hours a night in a
// window that moves earlier as the season goes on.
constexpr double kFirstNight = 59000;
constexpr int kNights = 150;
constexpr double kWeatherLoss = 0.3;
constexpr double kCadence = 0.0036;  // about five minutes

double BlazhkoAngle(double t) {
  return kTwoPi * (t - kMaxAmplitudeDate) / kBlazhkoPeriod;
}
double PhaseShift(double t) {
  return kPhaseModulation * std::sin(BlazhkoAngle(t));
}
double AmplitudeFactor(double t) {
  return 1 + kAmplitudeModulation * std::cos(BlazhkoAngle(t));
}

double Magnitude(const LightCurve& curve, double t) {
  const double phase = (t - kReferenceMaximum) / kPeriod + PhaseShift(t);
  return kMeanMag + AmplitudeFactor(t) * curve(phase);
}

// The first maximum of light at or after t, with the phase modulation.
double FirstMaximumAfter(double t) {
  const double k = std::ceil((t - kReferenceMaximum) / kPeriod + PhaseShift(t));
  double m = t;
  for (int i = 0; i < 20; ++i) m = kReferenceMaximum + (k - PhaseShift(m)) * kPeriod;
  return m;
}

void Generate(AnalysisState& s) {
  Noise noise(kSeed);
  const LightCurve curve(kFullAmplitude);
  s.JD.assign(1, 0.0);
  s.Mag.assign(1, 0.0);
  for (int night = 0; night < kNights; ++night) {
    const bool clouded = noise.Uniform() < kWeatherLoss;
    const double start = kFirstNight + night + 0.58 - 0.002 * night + 0.03 * noise.Uniform();
    const double length = 0.07 + 0.09 * noise.Uniform();
    if (clouded) continue;
    for (double t = start; t < start + length; t += kCadence * (0.85 + 0.3 * noise.Uniform())) {
      // The date as the file holds it, so that file and model agree.
      const double date = std::round(t * 1e4) / 1e4;
      s.JD.push_back(date);
      s.Mag.push_back(Magnitude(curve, date) + kNoise * noise.Normal());
    }
  }
  s.NObs = static_cast<int32_t>(s.JD.size() - 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "Usage: korvel-make-sample OUT.dat [OUT.cfg]\n");
    return 2;
  }
  try {
    AnalysisState s;
    Generate(s);
    if (s.NObs == 0) throw korvel::KorvelError("No observations were generated");
    korvel::WriteAllObservations(s, argv[1]);
    if (argc == 3) {
      s.Period = kPeriod;
      s.Epoch = FirstMaximumAfter(s.JD[1]);
      s.P2 = kBlazhkoPeriod;
      s.ExtrDate = kMaxAmplitudeDate;
      s.NBins = 8;
      const std::string dataName = std::filesystem::path(argv[1]).filename().string();
      korvel::WriteParamFile(argv[2], "", dataName, s);
    }
    std::printf("%d observations, %.4f .. %.4f\n", s.NObs, s.JD[1], s.JD[s.NObs]);
  } catch (const korvel::KorvelError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
