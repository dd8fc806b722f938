// The analysis state: the one record that holds the observations, their
// statistics, the light-curve elements, the search parameters and results and
// the one-letter state codes. Exactly one instance exists in a program run;
// every command reads and writes it directly. Field names are the names the
// whole program uses for these quantities.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/amp_distribution.h"
#include "core/read_options.h"
#include "core/search_sizes.h"

namespace korvel {

using rarray = std::vector<double>;
using iarray = std::vector<int32_t>;
using barray = std::vector<uint8_t>;

struct AnalysisState {
  // Observation arrays: NObs + 1 elements once loaded, element 0 unused.
  rarray JD, Mag, Phase, SortPhase, WMag;
  iarray BinOf, Marks;
  barray BinByte;
  // Each observation's error (element 0 unused), kept beside JD and Mag
  // through deletions; empty when the file gave none.
  rarray Err;

  // Each observation's place (from 1) in the set as loaded, which deletions
  // do not renumber; how many the load gave and whether it kept zeros. An
  // analysis file names observations by them.
  iarray LoadIndex;
  int32_t LoadedCount = 0;
  bool LoadedZeros = false;
  // The options of that load (the format and band as read) and what it read.
  ReadOptions ReadWith;
  LoadedFormat Loaded;

  // Observation statistics.
  int32_t NObs = 0;
  double DataJDmin = 0, DataJDmax = 0, DataMagMin = 0, DataMagMax = 0;
  double MagMean = 0, MagVar = 0;
  int32_t DataColumn = 0;

  // Windows and plot ranges.
  double JDLow = 0, JDHigh = 0, MagLow = 0, MagHigh = 0;
  double PhMin = 0, PhMax = 0, PhMinAll = 0, PhMaxAll = 0;
  bool FullRange = false;
  int32_t FrameLeft = 0, FrameRight = 0, FrameTop = 0, FrameBottom = 0;

  // Light-curve elements.
  double Period = 0, Epoch = 0, P2 = 0, P2Epoch = 0, ExtrDate = 0;
  int32_t NBins = 0;

  // Search parameters, progress and results.
  double Pmin = 0, Pmax = 0, FreqLo = 0, FreqHi = 0, FreqStep = 0, Freq = 0, FreqEnd = 0;
  double FreqScale = 0;
  int32_t SpecCol = 0;
  std::array<double, kSpecColumns> SpecLow{}, SpecHigh{};
  double SpecMin = 0, SpecMax = 0, DrawnSpecMin = 0, DrawnSpecMax = 0, SpecYScale = 0;
  double TrialParam = 0;
  std::array<double, kBestPlaces + 1> BestPeriod{}, BestFreq{}, BestParam{};  // 1 .. 20 used
  int32_t ShuffleCount = 0;
  bool WindowSpec = false, SpecToFile = false;
  uint8_t SecPMode = 0;
  bool Resumed = false;
  char SearchView = 0;  // the view letter of the search run last ('l', 'd', 's'); 0: none
  // The searches' own parameters as the search dialog last accepted them, so
  // that F5 and the next dialog take them again.
  int32_t Harmonics = kDefaultHarmonics, PdmBins = kDefaultPdmBins, PdmCovers = kDefaultPdmCovers,
          CePhaseBins = kDefaultCePhaseBins, CeMagBins = kDefaultCeMagBins;

  // Display state.
  bool MagMode = false;
  int32_t MagAxisFlip = 0, MagAxisSign = 0;
  std::string MagLabel;
  bool StatLoaded = false, MLCLoaded = false, MirrorOn = false, SelMade = false;
  double MirrorJD = 0;  // the date the time view is mirrored about

  // ---- The mouse (src/app/mouse_commands): the rubber band from its anchor
  // (BandX0, BandY0) to the corner last drawn, and the mean-curve point
  // picked (-1: the press missed the plot). ----
  int32_t BandX0 = 0, BandY0 = 0, BandX1 = 0, BandY1 = 0;
  int32_t SelNode = -1;
  int32_t ImageCount = 0;  // pictures saved by Print since the start

  // ---- Geometry of the picture last drawn (src/plot): frames in pixels and
  // scales, rewritten by each paint of their view; the mouse reads them. ----
  int32_t PhBoxLeft = 0, PhBoxTop = 0, PhBoxRight = 0, PhBoxBottom = 0;      // 'd' 'l' 'n' 'm'
  int32_t BinBoxLeft = 0, BinBoxRight = 0, BinBoxTop = 0, BinBoxBottom = 0;  // 's'
  double PhScaleX = 0;    // pixels per unit of phase on a fixed phase axis
  double PhSpan = 0;      // width of the zoomed phase window
  double TimeScaleX = 0;  // pixels per day on the time view
  int32_t StepIndex = 0;  // position 1 .. 28 in NiceSteps of the last axis step

  // Names and files.
  std::string DataFileName, BaseName, InitDir, LastFile, CfgPath, ExePath;
  bool SaveAll = false, SaveMarked = false;

  // State codes: the letters themselves; character 0 until first set.
  char View = 0, DataReady = 0, RunCode = 0, Px2State = 0, RecentMark = 0, MouseOn = 0,
       WaveState = 0;

  // ---- Mean light curve of the moving average (src/lightcurve/moving_average).
  // Points 1 .. MeanPoints are used; the dialog keeps N below 100. ----
  static constexpr int kMeanSize = 100;
  int32_t MeanPoints = 0, CurveNumber = 1;
  double BinLength = 0;
  std::string CollectFileName;
  std::array<double, kMeanSize> MeanCount{}, MeanPhase{}, MeanMag{}, MeanPhaseErr{}, MeanMagErr{},
      EditedMag{};
  double MeanMagHigh = 0, MeanMagLow = 0;

  // ---- Curves read back from a collecting file (src/lightcurve/mean_curve_file):
  // curve k = 1 .. MLCCurves has MLCCount[k] points MLCPhase[k][1..],
  // MLCMag[k][1..]; element 0 of every vector is unused. Sized from the file. ----
  int32_t MLCCurves = 0;
  iarray MLCCount;
  rarray MLCPeriod, MLCEpoch;
  std::vector<rarray> MLCPhase, MLCMag;
  std::string MLCFileName;

  // ---- Period search: frequency axis, secondary period, Deeming amplitude
  // distribution and significance levels (written by src/search and
  // src/lightcurve/stat_file). ----
  // The frequency axis of the spectrum plot: its ends, tick spacing and the
  // tick value from which tick drawing starts.
  double AxisFreqLo = 0, AxisFreqHi = 0, AxisStep = 0, AxisFirst = 0;
  // Lafler-Kinman theta of the primary period, the yardstick of the
  // secondary-period search.
  double PrimaryTheta = 0;
  // The spectrum file a Deeming run writes when SpecToFile is set.
  std::string SpecFileName;
  // Distribution of all trial amplitudes of the last Deeming run.
  using AmpDistribution = korvel::AmpDistribution;
  AmpDistribution AmpDist;
  std::array<double, 5> SigLevel{};  // 1 .. 4 used: amplitudes at 90, 99, 99.9, 99.99 %
  bool StatFromFile = false;         // the levels were read back from stat.dat
};

// Observation i carries an extraction mark (Marks may be shorter than the set
// after a load that added observations).
inline bool Marked(const AnalysisState& s, int32_t i) {
  return static_cast<size_t>(i) < s.Marks.size() && s.Marks[i] == 1;
}

}  // namespace korvel
