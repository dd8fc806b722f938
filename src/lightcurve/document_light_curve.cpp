// The light-curve entry points on the window's document: each copies what it
// needs out of AnalysisState, calls the value function and stores the result
// under the window's names.
#include "lightcurve/document_light_curve.h"

#include <algorithm>
#include <string>

#include "io/observation_file.h"

namespace korvel {

static_assert(kMaxMeanPoints == AnalysisState::kMeanSize - 1,
              "the dialog's limit is the size of the document's mean curve");

namespace {

// Elements 1 .. n of a document array, 0-based; none when n < 1.
std::span<const double> Observed(const rarray& a, int32_t n) {
  if (n < 1) return {};
  return std::span<const double>(a).subspan(1, static_cast<size_t>(n));
}

template <size_t N>
std::span<const double> MeanColumn(const std::array<double, N>& a, int32_t n) {
  return std::span<const double>(a).subspan(1, static_cast<size_t>(n));
}

// MeanPoints within the document's arrays.
int32_t StoredMeanPoints(const AnalysisState& s) {
  return std::clamp(s.MeanPoints, 0, kMaxMeanPoints);
}

// The residuals become the observations: Mag replaced, the phases below the
// first mean phase raised by 1 (the phase curve of the residuals draws them
// there), the codes of the residuals' phase curve and their statistics.
void TakeResiduals(AnalysisState& s, std::span<const double> residuals) {
  for (int32_t i = 1; i <= s.NObs; ++i) {
    s.Mag[i] = residuals[static_cast<size_t>(i - 1)];
    if (s.Phase[i] < s.MeanPhase[1]) s.Phase[i] += 1;
  }
  s.DataReady = 'y';
  s.View = 'd';
  s.RunCode = 'n';
  const MagnitudeSummary m = SummariseResiduals(MagsOf(s));
  s.MagHigh = s.DataMagMax = m.high;
  s.MagLow = s.DataMagMin = m.low;
  s.MagMean = m.mean;
  s.MagVar = m.variance;
}

}  // namespace

Ephemeris EphemerisOf(const AnalysisState& s) {
  return {s.Period, s.Epoch};
}

SecondaryEphemeris SecondaryEphemerisOf(const AnalysisState& s) {
  return {s.P2, s.ExtrDate, s.NBins};
}

std::span<const double> DatesOf(const AnalysisState& s) {
  return Observed(s.JD, s.NObs);
}

std::span<const double> MagsOf(const AnalysisState& s) {
  return Observed(s.Mag, s.NObs);
}

std::span<const double> PhasesOf(const AnalysisState& s) {
  return Observed(s.Phase, s.NObs);
}

MeanCurve MeanCurveOf(const AnalysisState& s) {
  const int32_t n = StoredMeanPoints(s);
  const auto column = [n](const auto& a) {
    const std::span<const double> c = MeanColumn(a, n);
    return std::vector<double>(c.begin(), c.end());
  };
  return {column(s.MeanCount),  column(s.MeanPhase), column(s.MeanMag), column(s.MeanPhaseErr),
          column(s.MeanMagErr), s.MeanMagHigh,       s.MeanMagLow};
}

void StoreMeanCurve(AnalysisState& s, const MeanCurve& c) {
  const auto n = static_cast<int32_t>(std::min<size_t>(c.size(), kMaxMeanPoints));
  for (int32_t k = 1; k <= n; ++k) {
    const auto j = static_cast<size_t>(k - 1);
    s.MeanCount[k] = c.count[j];
    s.MeanPhase[k] = c.phase[j];
    s.MeanMag[k] = c.mag[j];
    s.MeanPhaseErr[k] = c.phaseErr[j];
    s.MeanMagErr[k] = c.magErr[j];
  }
  s.MeanPoints = n;
  s.MeanMagHigh = c.magHigh;
  s.MeanMagLow = c.magLow;
}

PeriodicCurve EditedCurveOf(const AnalysisState& s) {
  const int32_t n = StoredMeanPoints(s);
  return {MeanColumn(s.MeanPhase, n), MeanColumn(s.EditedMag, n)};
}

CollectingBlock CollectingBlockOf(const AnalysisState& s) {
  CollectingBlock b{s.CurveNumber, EphemerisOf(s), MeanCurveOf(s), s.WaveState == 'f', {}};
  if (b.smoothed) {
    const std::span<const double> edited = EditedCurveOf(s).mag;
    b.editedMag.assign(edited.begin(), edited.end());
  }
  return b;
}

void StoreCollectedCurves(AnalysisState& s, const std::vector<CollectedCurve>& curves) {
  // Element 0 of every table is unused.
  s.MLCCount.assign(1, 0);
  s.MLCPeriod.assign(1, 0);
  s.MLCEpoch.assign(1, 0);
  s.MLCPhase.assign(1, rarray{});
  s.MLCMag.assign(1, rarray{});
  for (const CollectedCurve& c : curves) {
    s.MLCCount.push_back(static_cast<int32_t>(c.phase.size()));
    s.MLCPeriod.push_back(c.ephemeris.period);
    s.MLCEpoch.push_back(c.ephemeris.epoch);
    s.MLCPhase.push_back(rarray{0});
    s.MLCPhase.back().insert(s.MLCPhase.back().end(), c.phase.begin(), c.phase.end());
    s.MLCMag.push_back(rarray{0});
    s.MLCMag.back().insert(s.MLCMag.back().end(), c.mag.begin(), c.mag.end());
  }
  s.MLCCurves = static_cast<int32_t>(curves.size());
  s.MLCLoaded = true;
}

// ---- Phases and the secondary views ----

void ComputePhases(AnalysisState& s) {
  const Ephemeris e = EphemerisOf(s);
  for (int32_t i = 1; i <= s.NObs; ++i) s.Phase[i] = PhaseOf(s.JD[i], e);
}

BinPlace SecondaryBinPlace(const AnalysisState& s, int32_t i) {
  return SecondaryBinPlace(s.JD[i], EphemerisOf(s), SecondaryEphemerisOf(s));
}

double SecondaryColourParam(const AnalysisState& s, int32_t i) {
  return SecondaryColourParam(s.JD[i], SecondaryEphemerisOf(s));
}

// ---- The mean curve ----

void ComputeMeanCurve(AnalysisState& s) {
  // The dialog keeps N in 2 .. 99; a caller that does not must not overrun.
  const MeanCurveParameters p{StoredMeanPoints(s), s.BinLength};
  StoreMeanCurve(s, MovingAverage(PhasesOf(s), MagsOf(s), p));
  std::copy_n(s.MeanMag.begin() + 1, s.MeanPoints, s.EditedMag.begin() + 1);
}

// ---- The collecting file and the model ----

std::string CollectingHeader(const AnalysisState& s) {
  return CollectingHeader(CollectingBlockOf(s));
}

std::string CollectingPointLine(const AnalysisState& s, int32_t k) {
  return CollectingPointLine(CollectingBlockOf(s), static_cast<size_t>(k - 1));
}

void WriteCollectingFile(const AnalysisState& s, const std::string& path, bool appendIfExists) {
  WriteCollectingFile(CollectingBlockOf(s), path, appendIfExists);
}

void ReadMeanCurveFile(AnalysisState& s, const std::string& path, ReadDiagnostics* diagnostics) {
  StoreCollectedCurves(s, ReadCollectedCurves(path, diagnostics));
}

double ModelValue(const AnalysisState& s, double t) {
  // Summed in place: the time view asks for a thousand dates per paint.
  double sum = 0;
  for (int32_t k = 1; k <= s.MLCCurves; ++k) {
    const int32_t n = s.MLCCount[k];
    if (n < 1) continue;
    const PeriodicCurve c{Observed(s.MLCPhase[k], n), Observed(s.MLCMag[k], n)};
    sum += ModelTerm({s.MLCPeriod[k], s.MLCEpoch[k]}, c, t);
  }
  return sum;
}

// ---- Prewhitening ----

std::optional<std::string> PrewhitenProblem(const AnalysisState& s) {
  const bool curve = s.MeanPoints >= 1 && s.MeanPoints <= kMaxMeanPoints;
  return PrewhitenProblem(static_cast<size_t>(std::max(s.NObs, 0)),
                          curve ? static_cast<size_t>(s.MeanPoints) : 0, EphemerisOf(s));
}

double MeanCurveValue(const AnalysisState& s, double phi) {
  return MeanCurveValue(EditedCurveOf(s), phi);
}

void Prewhiten(AnalysisState& s, const std::string& collectFile, bool appendIfExists) {
  if (!collectFile.empty()) WriteCollectingFile(s, collectFile, appendIfExists);
  ComputePhases(s);
  const std::vector<double> residuals = Residuals(PhasesOf(s), MagsOf(s), EditedCurveOf(s));
  TakeResiduals(s, residuals);
}

std::optional<std::string> PrewhitenFileProblem(const AnalysisState& s,
                                                const std::string& collectFile,
                                                const std::string& residualFile) {
  return PrewhitenFileProblem(s.DataFileName, collectFile, residualFile);
}

void PrewhitenWithFiles(AnalysisState& s, const std::string& collectFile, bool appendIfExists,
                        const std::string& residualFile) {
  const std::vector<double> phases = Phases(DatesOf(s), EphemerisOf(s));
  const std::vector<double> residuals = Residuals(phases, MagsOf(s), EditedCurveOf(s));
  const auto writeResiduals = [&s, &residuals](TextWriter& out) {
    for (int32_t i = 1; i <= s.NObs; ++i)
      out.WriteLine(ObservationLine(s.JD[i], residuals[static_cast<size_t>(i - 1)], 4));
  };
  WritePrewhiteningFiles(CollectingBlockOf(s), collectFile, appendIfExists, residualFile,
                         writeResiduals);
  std::copy(phases.begin(), phases.end(), s.Phase.begin() + 1);
  TakeResiduals(s, residuals);
}

// ---- stat.dat and the ordinate ----

StatSaveResult WriteStatistics(AnalysisState& s, const std::string& path) {
  if (s.AmpDist.AmpTrials <= 0) return {false, kNoDistribution};
  s.SigLevel = SignificanceLevels(s.AmpDist);
  WriteStatFile(s.AmpDist, std::span<const double, 4>(s.SigLevel.data() + 1, 4), path);
  s.StatLoaded = true;
  return {true, std::string("File ") + kStatFileName + " is done..."};
}

void ReadStatistics(AnalysisState& s, const std::string& path) {
  s.StatFromFile = true;
  const std::array<double, 4> levels = ReadSignificanceLevels(path);
  std::copy(levels.begin(), levels.end(), s.SigLevel.begin() + 1);
  s.StatLoaded = true;
}

void ToggleMagMode(AnalysisState& s) {
  s.MagMode = !s.MagMode;
  const OrdinateDirection d = OrdinateFor(s.MagMode);
  s.MagAxisFlip = d.flip;
  s.MagAxisSign = d.sign;
  s.MagLabel = d.label;
}

// ---- The dialogs' fields ----

std::optional<FieldRefusal> ApplyLightCurveElements(AnalysisState& s, int32_t mode,
                                                    const LightCurveElements& e) {
  // Starting from the document: the fields after a refused one keep their values.
  ElementValues v{EphemerisOf(s), SecondaryEphemerisOf(s)};
  const std::optional<FieldRefusal> refusal = CheckLightCurveElements(mode, e, v);
  s.Period = v.primary.period;
  s.Epoch = v.primary.epoch;
  s.P2 = v.secondary.period;
  s.ExtrDate = v.secondary.extremumDate;
  s.NBins = v.secondary.bins;
  return refusal;
}

namespace {

std::optional<FieldRefusal> ApplyCurveFields(
    AnalysisState& s, const WaveParameters& p,
    std::optional<FieldRefusal> (*check)(const WaveParameters&, MeanCurveParameters&)) {
  s.CurveNumber = p.curveNumber;
  MeanCurveParameters v{s.MeanPoints, s.BinLength};
  const std::optional<FieldRefusal> refusal = check(p, v);
  s.MeanPoints = v.points;
  s.BinLength = v.binLength;
  return refusal;
}

}  // namespace

std::optional<FieldRefusal> ApplyMeanCurveParameters(AnalysisState& s, const WaveParameters& p) {
  return ApplyCurveFields(s, p, &CheckMeanCurveParameters);
}

std::optional<FieldRefusal> ApplyWaveParameters(AnalysisState& s, const WaveParameters& p) {
  const std::optional<FieldRefusal> refusal = ApplyCurveFields(s, p, &CheckWaveParameters);
  // The collecting file is taken once it is named, whatever the residual file.
  if (!refusal || refusal->field == kWaveResidualField) s.CollectFileName = p.collectFile;
  return refusal;
}

}  // namespace korvel
