// Writes a synthetic survey: K light curves sampled as a survey samples them
// (about 60 nights spread over 8 observing seasons, one to three observations
// a night), mostly RR Lyrae stars with periods of 0.2 to 1 d, a few per cent
// eclipsing binaries and constant stars, with noise of 0.01 to 0.05 mag; and
// a truth table. Each star has its own seed drawn from the survey's, so star
// k is the same whatever K is, and the output is the same on every machine.
//
// Usage: korvel-make-survey [--observations M] [--span D] [--periods LO HI]
//                            [--] OUTDIR [STARS [SEED]]
//   OUTDIR/star_NNNN.dat  the observations, in the Save as... format
//   OUTDIR/truth.csv      file,type,period,amplitude,noise,nobs
// --observations sets the mean number of observations a star gets (80 by
// default; the nights scale with it); --span squeezes or stretches the
// seasons into about D days; --periods maps the variables' periods from
// 0.2 .. 1 d onto LO .. HI d (logarithmically). Without them a survey is
// the same as ever.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "core/error.h"
#include "io/observation_file.h"
#include "synthetic.h"

namespace {

using korvel::AnalysisState;
using korvel::samples::kTwoPi;
using korvel::samples::LightCurve;
using korvel::samples::Noise;

constexpr uint64_t kDefaultSeed = 0x5355525645593031ULL;
constexpr int kDefaultStars = 500;
constexpr int kYears = 8;
constexpr double kSeason = 240;  // days a year the field can be observed
constexpr double kFirstNight = 56000;

enum class Type { RRab, RRc, Eclipsing, Constant };

const char* Name(Type t) {
  switch (t) {
    case Type::RRab:
      return "rrab";
    case Type::RRc:
      return "rrc";
    case Type::Eclipsing:
      return "eclipsing";
    case Type::Constant:
      return "constant";
  }
  return "constant";
}

struct Star {
  Type type = Type::Constant;
  double period = 0, amplitude = 0, noise = 0, meanMag = 0, epoch = 0;
  double secondaryDepth = 0, width = 0;  // eclipsing binaries
};

Star DrawStar(Noise& n) {
  Star s;
  const double u = n.Uniform();
  s.type = u < 0.62   ? Type::RRab
           : u < 0.90 ? Type::RRc
           : u < 0.95 ? Type::Eclipsing
                      : Type::Constant;
  s.noise = n.Uniform(0.01, 0.05);
  s.meanMag = n.Uniform(11, 16);
  s.epoch = kFirstNight + n.Uniform(0, 1);
  switch (s.type) {
    case Type::RRab:
      s.period = n.Uniform(0.45, 1.0);
      s.amplitude = n.Uniform(0.5, 1.2);
      break;
    case Type::RRc:
      s.period = n.Uniform(0.2, 0.45);
      s.amplitude = n.Uniform(0.25, 0.6);
      break;
    case Type::Eclipsing:
      s.period = n.Uniform(0.3, 1.0);
      s.amplitude = n.Uniform(0.3, 0.9);  // depth of the primary eclipse
      s.secondaryDepth = s.amplitude * n.Uniform(0.1, 0.9);
      s.width = n.Uniform(0.04, 0.1);  // in phase
      break;
    case Type::Constant:
      break;
  }
  return s;
}

// Magnitude without noise at date t.
double Light(const Star& s, const LightCurve& rrab, double t) {
  if (s.type == Type::Constant) return s.meanMag;
  const double x = (t - s.epoch) / s.period;
  const double phase = x - std::floor(x);
  switch (s.type) {
    case Type::RRab:
      return s.meanMag + s.amplitude * rrab(phase);
    case Type::RRc: {
      // Nearly sinusoidal, with a weak second harmonic.
      const double v = std::cos(kTwoPi * phase) + 0.15 * std::cos(2 * kTwoPi * phase + 0.8);
      return s.meanMag - 0.5 * s.amplitude * v / 1.15;
    }
    case Type::Eclipsing: {
      const auto dip = [&s](double d) { return std::exp(-0.5 * (d / s.width) * (d / s.width)); };
      const double toSecondary = phase - 0.5;
      const double toPrimary = std::min(phase, 1 - phase);
      return s.meanMag + s.amplitude * dip(toPrimary) + s.secondaryDepth * dip(toSecondary);
    }
    case Type::Constant:
      break;
  }
  return s.meanMag;
}

constexpr int kDefaultObservations = 80;

// The default first to last night: the seasons as they fall.
constexpr double kDefaultSpan = 365.25 * (kYears - 1) + kSeason;

// How the survey's stars deviate from the default ones.
struct Shape {
  int observations = kDefaultObservations;
  double span = 0;                       // days; 0: the seasons as they fall
  double periodLow = 0, periodHigh = 0;  // days; 0: as drawn
};

// About 60 nights over the seasons (for 80 observations; 0.75 of a night
// per observation), one to three observations a night.
std::vector<double> DrawDates(Noise& n, const Shape& shape) {
  const int observations = shape.observations;
  const double meanNights = 0.75 * observations;
  const int fewest = static_cast<int>(std::lround(0.75 * meanNights));
  const int spread = static_cast<int>(std::lround(0.5 * meanNights)) + 1;
  const int nights = fewest + static_cast<int>(n.Uniform() * spread);  // 45 .. 75 for 80
  std::vector<double> dates;
  for (int k = 0; k < nights; ++k) {
    const int year = static_cast<int>(n.Uniform() * kYears);
    const double night = shape.span > 0
                             ? std::floor(kFirstNight + (365.25 * year + n.Uniform() * kSeason) *
                                                            (shape.span / kDefaultSpan))
                             : std::floor(kFirstNight + 365.25 * year + n.Uniform() * kSeason);
    const double u = n.Uniform();
    const int count = u < 0.75 ? 1 : u < 0.92 ? 2 : 3;
    double t = night + n.Uniform(0.55, 0.8);
    for (int j = 0; j < count; ++j, t += n.Uniform(0.01, 0.06))
      dates.push_back(std::round(t * 1e4) / 1e4);  // as the file holds it
  }
  std::sort(dates.begin(), dates.end());
  dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
  return dates;
}

constexpr const char* kUsage =
    "Usage: korvel-make-survey [--observations M] [--span D] [--periods LO HI] [--] OUTDIR "
    "[STARS [SEED]]\n";
constexpr const char* kHelp =
    "Writes a synthetic survey of STARS stars (500 by default) drawn from SEED:\n"
    "  OUTDIR/star_NNNN.dat  the observations\n"
    "  OUTDIR/truth.csv      file,type,period,amplitude,noise,nobs\n"
    "  --observations M      mean observations a star gets (4 .. 100000, default 80)\n"
    "  --span D              the seasons squeezed or stretched into about D days\n"
    "                        (1 .. 100000; default about 2800)\n"
    "  --periods LO HI       the variables' periods drawn from LO .. HI days\n"
    "                        (0.01 .. 10000; default 0.2 .. 1)\n"
    "  --                    ends the options: OUTDIR may then start with -\n";

// The whole text as a number in [low, high], or a KorvelError naming what.
template <class Int>
Int WholeNumber(const std::string& text, const char* what, Int low, Int high) {
  Int n = 0;
  const char* end = text.data() + text.size();
  const auto parsed = std::from_chars(text.data(), end, n);
  if (parsed.ec != std::errc() || parsed.ptr != end || n < low || n > high)
    throw korvel::KorvelError(std::string(what) + " must be a whole number " + std::to_string(low) +
                              " .. " + std::to_string(high));
  return n;
}

// The whole text as a number in [low, high], or a KorvelError naming what.
double Number(const std::string& text, const char* what, double low, double high) {
  double x = 0;
  const char* end = text.data() + text.size();
  const auto parsed = std::from_chars(text.data(), end, x);
  if (parsed.ec != std::errc() || parsed.ptr != end || !(x >= low && x <= high))
    throw korvel::KorvelError(std::string(what) + " must be a number " + std::to_string(low) +
                              " .. " + std::to_string(high));
  return x;
}

// The drawn period (0.2 .. 1 d) on the survey's own range, the same share
// of the way in logarithm.
double Rescaled(double period, const Shape& shape) {
  if (shape.periodLow <= 0 || period <= 0) return period;  // constant stars have none
  return shape.periodLow * std::pow(shape.periodHigh / shape.periodLow, (period - 0.2) / 0.8);
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing is written before the whole command line is understood: an
  // option mistaken for OUTDIR would fill a directory named after it.
  std::vector<std::string> args;
  Shape shape;
  int stars = kDefaultStars;
  uint64_t seed = kDefaultSeed;
  try {
    bool options = true;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (options && arg == "--") {
        options = false;
      } else if (options && (arg == "--help" || arg == "-h")) {
        std::printf("%s%s", kUsage, kHelp);
        return 0;
      } else if (options && arg == "--observations") {
        if (++i >= argc) throw korvel::KorvelError("--observations needs a number");
        shape.observations = WholeNumber(argv[i], "--observations", 4, 100000);
      } else if (options && arg == "--span") {
        if (++i >= argc) throw korvel::KorvelError("--span needs a number");
        shape.span = Number(argv[i], "--span", 1, 100000);
      } else if (options && arg == "--periods") {
        if (i + 2 >= argc) throw korvel::KorvelError("--periods needs two numbers");
        shape.periodLow = Number(argv[++i], "--periods", 0.01, 10000);
        shape.periodHigh = Number(argv[++i], "--periods", 0.01, 10000);
        if (shape.periodHigh < shape.periodLow)
          throw korvel::KorvelError("--periods needs LO no greater than HI");
      } else if (options && arg.size() > 1 && arg.front() == '-') {
        throw korvel::KorvelError(arg + " is not an option of korvel-make-survey");
      } else {
        args.push_back(arg);
      }
    }
    if (args.empty() || args.size() > 3) throw korvel::KorvelError("name OUTDIR");
    if (args.size() >= 2) stars = WholeNumber(args[1], "STARS", 1, 999999);
    if (args.size() >= 3)
      seed = WholeNumber(args[2], "SEED", uint64_t{0}, std::numeric_limits<uint64_t>::max());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n%s", e.what(), kUsage);
    return 2;
  }
  try {
    const std::filesystem::path dir = args[0];
    std::filesystem::create_directories(dir);
    std::ofstream truth(dir / "truth.csv", std::ios::binary);
    truth << "file,type,period,amplitude,noise,nobs\n";
    const LightCurve rrab(1.0);
    Noise seeds(seed);
    for (int k = 1; k <= stars; ++k) {
      Noise n(static_cast<uint64_t>(seeds.Uniform() * 0x1.0p53));
      Star star = DrawStar(n);
      star.period = Rescaled(star.period, shape);
      AnalysisState s;
      s.JD.assign(1, 0.0);
      s.Mag.assign(1, 0.0);
      for (double t : DrawDates(n, shape)) {
        s.JD.push_back(t);
        s.Mag.push_back(Light(star, rrab, t) + star.noise * n.Normal());
      }
      s.NObs = static_cast<int32_t>(s.JD.size() - 1);
      char name[32];
      std::snprintf(name, sizeof name, "star_%04d.dat", k);
      korvel::WriteAllObservations(s, (dir / name).string());
      char row[160];
      std::snprintf(row, sizeof row, "%s,%s,%.9f,%.4f,%.4f,%d\n", name, Name(star.type),
                    star.period, star.amplitude, star.noise, s.NObs);
      truth << row;
    }
    truth.close();
    if (!truth) throw korvel::KorvelError("Cannot write " + (dir / "truth.csv").string());
    std::printf("%d stars in %s\n", stars, dir.string().c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
