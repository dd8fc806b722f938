// Writes a synthetic star of known period in every photometry layout KORVEL
// reads (the plain format, CSV and TSV, the AAVSO, ZTF, Gaia and ASAS-SN
// downloads, Kepler, K2 and TESS light-curve FITS), with flagged rows,
// limits, missing values and rows out of date order, and prints what each
// file holds. The acceptance test reads the same files through korvel-batch.
//
// Usage: korvel-make-format-samples DIR

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "format_samples.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]).rfind('-', 0) == 0) {
    std::fprintf(stderr, "usage: korvel-make-format-samples DIR\n");
    return 2;
  }
  namespace kt = korvel::testing;
  const std::filesystem::path dir = argv[1];
  try {
    std::filesystem::create_directories(dir);
    const kt::SampleStar star = kt::MakeSampleStar();
    std::printf("period %.5f d; file, format, time system, rows read / kept per band\n",
                star.period);
    for (const kt::SampleFile& f : kt::AllFormatSamples(star)) {
      kt::WriteSampleFile((dir / f.name).string(), f);
      std::printf("%-20s %-15s %-8s", f.name.c_str(), korvel::ObservationFormatName(f.format),
                  f.timeSystem.c_str());
      for (const std::string& band : f.bands) {
        if (!f.expect.count(band)) continue;
        const kt::SampleCounts& c = f.expect.at(band);
        std::printf(" %s %lld/%lld", band.empty() ? "-" : band.c_str(),
                    static_cast<long long>(c.read), static_cast<long long>(c.kept));
      }
      std::printf("%s\n", f.outOfOrder ? " (not in date order)" : "");
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvel-make-format-samples: %s\n", e.what());
    return 1;
  }
  return 0;
}
