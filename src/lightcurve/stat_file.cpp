// stat.dat on plain values, and the ordinate of either mode.
#include "lightcurve/stat_file.h"

#include "core/error.h"
#include "core/text_format.h"
#include "io/text_reader.h"
#include "io/text_writer.h"

namespace korvel {

void WriteStatFile(const AmpDistribution& d, std::span<const double, 4> levels,
                   const std::string& path) {
  TextWriter out(path);
  for (int j = 1; j <= 4; ++j)
    out.WriteLine(Str(SigPercentage(j), 5, 2) + " " + Str(levels[j - 1], 12, 8));
  out.WriteLine("0 " + std::to_string(d.AmpTrials));
  for (int k = 0; k <= d.AmpTopBin; ++k)
    out.WriteLine(Str(d.AmpLevel[k], 12, 8) + " " + Str(d.AmpCumPct[k], 12, 8));
  out.Close();
}

std::array<double, 4> ReadSignificanceLevels(const std::string& path) {
  TextReader in = TextReader::FromFile(path);
  std::array<double, 4> levels{};
  for (double& level : levels) {
    if (in.SeekEof()) throw IoError(100);
    in.ReadReal();
    if (in.SeekEof()) throw IoError(100);
    level = in.ReadReal();
    in.ReadLine();
  }
  return levels;
}

OrdinateDirection OrdinateFor(bool magnitudes) {
  if (magnitudes) return {0, 1, "Mag"};
  return {1, -1, "Flux"};
}

}  // namespace korvel
