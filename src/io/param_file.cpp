#include "io/param_file.h"

#include "core/text_format.h"
#include "io/text_reader.h"
#include "io/text_writer.h"

namespace korvel {

void SetParameterDefaults(AnalysisState& s) {
  s.ShuffleCount = 0;
  s.StatLoaded = false;
  s.MLCLoaded = false;
  s.MouseOn = 'y';
  s.Px2State = 'n';
  s.MagMode = true;
  s.MagAxisFlip = 0;
  s.MagAxisSign = 1;
  s.MagLabel = "Mag";
  s.FrameLeft = 60;
  s.FrameRight = 600;
  s.FrameTop = 50;
  s.FrameBottom = 220;
  s.WindowSpec = false;
  s.RunCode = 'n';
  s.Resumed = false;
  s.FullRange = true;
  s.PhMax = s.PhMaxAll = 1.0;
  s.PhMin = s.PhMinAll = -0.5;
  s.MirrorOn = false;
  s.SpecToFile = false;
}

std::string PeriodFieldText(double period) {
  return Str(period, 0, 7);
}
std::string DateFieldText(double date) {
  return Str(date, 0, 4);
}
std::string BinsFieldText(int32_t nbins) {
  return Str(int64_t{nbins}, 2);
}

std::string OpenDialogDir(std::string dir) {
  if (dir.size() >= 2 && (dir.back() == '/' || dir.back() == '\\') && dir[dir.size() - 2] != ':')
    dir.pop_back();
  return dir;
}

namespace {

// The fixed layout, unless the value is so large that its fixed text would
// not fit one token of the reader (about 1e57 and up): then the shortest
// exponent form, so that the file reads back as it was written.
std::string ReadableField(std::string fixed, double x) {
  if (fixed.size() <= TextReader::kMaxToken) return fixed;
  return ShortestText(x);
}

}  // namespace

void WriteParamFile(const std::string& path, const std::string& initDir,
                    const std::string& lastFile, const AnalysisState& s) {
  TextWriter out(path);
  out.WriteLine(initDir);
  out.WriteLine(lastFile);
  out.WriteLine(ReadableField(Str(s.Period, 0, 7), s.Period));
  out.WriteLine(ReadableField(Str(s.Epoch, 10, 4), s.Epoch));
  out.WriteLine(ReadableField(Str(s.P2, 0, 7), s.P2));
  out.WriteLine(ReadableField(Str(s.ExtrDate, 10, 4), s.ExtrDate));
  out.WriteLine(Str(int64_t{s.NBins}, 2));
  out.Close();
}

}  // namespace korvel
