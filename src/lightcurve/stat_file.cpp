#include "lightcurve/stat_file.h"

#include <array>

#include "core/error.h"
#include "core/numeric.h"
#include "core/text_format.h"
#include "io/text_reader.h"
#include "io/text_writer.h"
#include "search/significance.h"

namespace korvel {

StatSaveResult WriteStatistics(AnalysisState& s, const std::string& path) {
  const AnalysisState::AmpDistribution& d = s.AmpDist;
  if (d.AmpTrials <= 0) return {false, kNoDistribution};
  s.SigLevel = SignificanceLevels(s.AmpDist);
  TextWriter out(path);
  for (int j = 1; j <= 4; ++j)
    out.WriteLine(Str(SigPercentage(j), 5, 2) + " " + Str(s.SigLevel[j], 12, 8));
  out.WriteLine("0 " + std::to_string(d.AmpTrials));
  for (int k = 0; k <= d.AmpTopBin; ++k)
    out.WriteLine(Str(d.AmpLevel[k], 12, 8) + " " + Str(d.AmpCumPct[k], 12, 8));
  out.Close();
  s.StatLoaded = true;
  return {true, std::string("File ") + kStatFileName + " is done..."};
}

void ReadStatistics(AnalysisState& s, const std::string& path) {
  s.StatFromFile = true;
  TextReader in = TextReader::FromFile(path);
  std::array<double, 5> levels = s.SigLevel;
  for (int j = 1; j <= 4; ++j) {
    if (in.SeekEof()) throw IoError(100);
    in.ReadReal();
    if (in.SeekEof()) throw IoError(100);
    levels[j] = in.ReadReal();
    in.ReadLine();
  }
  s.SigLevel = levels;
  s.StatLoaded = true;
}

void ToggleMagMode(AnalysisState& s) {
  s.MagMode = !s.MagMode;
  s.MagAxisFlip = s.MagMode ? 0 : 1;
  s.MagAxisSign = s.MagMode ? 1 : -1;
  s.MagLabel = s.MagMode ? "Mag" : "Flux";
}

}  // namespace korvel
