// The light-curve steps on the window's document: copies AnalysisState
// (1-based arrays, the window's names) into the values the light-curve
// functions take, and their results back, and the document's entry points of
// each topic (phases, moving average, collecting file, prewhitening,
// statistics file, dialogs).
#pragma once

#include <span>

#include "core/analysis_state.h"
#include "lightcurve/mean_curve_file.h"
#include "lightcurve/moving_average.h"
#include "lightcurve/periodic_curve.h"
#include "lightcurve/phase_views.h"
#include "lightcurve/prewhitening.h"
#include "lightcurve/stat_file.h"
#include "lightcurve/wave_parameters.h"

namespace korvel {

// Period, Epoch; P2, ExtrDate, NBins.
Ephemeris EphemerisOf(const AnalysisState& s);
SecondaryEphemeris SecondaryEphemerisOf(const AnalysisState& s);

// JD, Mag and Phase [1..NObs], 0-based.
std::span<const double> DatesOf(const AnalysisState& s);
std::span<const double> MagsOf(const AnalysisState& s);
std::span<const double> PhasesOf(const AnalysisState& s);

// The mean curve MeanCount .. MeanMagLow [1..MeanPoints], and back (its
// points, at most kMaxMeanPoints, into 1..; EditedMag is left alone).
MeanCurve MeanCurveOf(const AnalysisState& s);
void StoreMeanCurve(AnalysisState& s, const MeanCurve& c);

// The curve prewhitening subtracts: MeanPhase and EditedMag [1..MeanPoints].
PeriodicCurve EditedCurveOf(const AnalysisState& s);

// The current mean curve as the collecting file records it.
CollectingBlock CollectingBlockOf(const AnalysisState& s);

// The curves read back into MLCCurves .. MLCMag, MLCLoaded set.
void StoreCollectedCurves(AnalysisState& s, const std::vector<CollectedCurve>& curves);

// ---- phase views ----
// Phase[i] := PhaseOf(JD[i]) for i = 1 .. NObs (views 'l', 'd' and 'n'; the
// moving average reads them afterwards).
void ComputePhases(AnalysisState& s);
// Observation i of the document on Period, Epoch, P2, ExtrDate and NBins.
BinPlace SecondaryBinPlace(const AnalysisState& s, int32_t i);
double SecondaryColourParam(const AnalysisState& s, int32_t i);

// ---- moving average ----
// The mean curve of Phase[1..NObs] (as the last phase-curve paint left them) and Mag, for
// MeanPoints (N, at most 99) and BinLength, into MeanPoints (the number kept)
// .. MeanMagErr, EditedMag (a copy of MeanMag) and MeanMagHigh .. MeanMagLow.
void ComputeMeanCurve(AnalysisState& s);

// ---- mean curve file ----
// The current mean curve (CurveNumber, MeanPoints .. EditedMag, Period,
// Epoch, WaveState 'f': smoothed) as a block of the collecting file.
void WriteCollectingFile(const AnalysisState& s, const std::string& path, bool appendIfExists);
std::string CollectingHeader(const AnalysisState& s);
std::string CollectingPointLine(const AnalysisState& s, int32_t k);  // k = 1 .. MeanPoints
// Reads every curve into MLCCurves .. MLCMag and sets MLCLoaded; a file that
// throws leaves the table and MLCLoaded as they were.
void ReadMeanCurveFile(AnalysisState& s, const std::string& path,
                       ReadDiagnostics* diagnostics = nullptr);
// M(t) of the curves in MLCCurves .. MLCMag.
double ModelValue(const AnalysisState& s, double t);

// ---- prewhitening ----
// No observations, no mean curve (MeanPoints), or no positive Period.
std::optional<std::string> PrewhitenProblem(const AnalysisState& s);
// The value of the curve MeanPhase / EditedMag[1..MeanPoints] at phase phi:
// the curve as the user left it (the computed means unless points were
// dragged), the same curve the collecting file records, so that the residuals
// and the model always add up to the observations.
double MeanCurveValue(const AnalysisState& s, double phi);
// Records the mean curve in collectFile (skipped when the name is empty;
// appended when appendIfExists and it exists), then replaces every Mag by its
// residual, keeps the phases in Phase (raised by 1 below the first mean
// phase), sets View 'd', DataReady 'y', RunCode 'n' and recomputes MagHigh,
// MagLow, DataMagMax, DataMagMin, MagMean and MagVar over the residuals.
// Check PrewhitenProblem first. A collecting file that cannot be written
// throws before anything else changes.
void Prewhiten(AnalysisState& s, const std::string& collectFile, bool appendIfExists);
// The file check against DataFileName.
std::optional<std::string> PrewhitenFileProblem(const AnalysisState& s,
                                                const std::string& collectFile,
                                                const std::string& residualFile);
// Prewhiten with its files (WritePrewhiteningFiles): the state takes the
// residuals only once both files are written; a failure throws and leaves the
// state and both files as they were.
void PrewhitenWithFiles(AnalysisState& s, const std::string& collectFile, bool appendIfExists,
                        const std::string& residualFile);

// ---- stat file ----
struct StatSaveResult {
  bool written = false;
  std::string text;  // status text when written, else the message to show
};
// Save statistics: SigLevel := SignificanceLevels(AmpDist), stat.dat written,
// StatLoaded set. Before any Deeming run (no trial counted) nothing is written
// and the result carries kNoDistribution.
StatSaveResult WriteStatistics(AnalysisState& s, const std::string& path = kStatFileName);
// Stat: StatFromFile := true, then the levels into SigLevel[1..4] and
// StatLoaded set. A file that throws leaves SigLevel and StatLoaded as they were.
void ReadStatistics(AnalysisState& s, const std::string& path = kStatFileName);
// Mag/Int: MagMode switched, MagAxisFlip, MagAxisSign and MagLabel to match.
void ToggleMagMode(AnalysisState& s);

// ---- wave parameters ----
// The dialogs' checks (wave_parameters.h), storing into Period, Epoch, P2, ExtrDate, NBins;
// CurveNumber, MeanPoints, BinLength and, once the collecting file is named, CollectFileName.
std::optional<FieldRefusal> ApplyLightCurveElements(AnalysisState& s, int32_t mode,
                                                    const LightCurveElements& e);
std::optional<FieldRefusal> ApplyMeanCurveParameters(AnalysisState& s, const WaveParameters& p);
std::optional<FieldRefusal> ApplyWaveParameters(AnalysisState& s, const WaveParameters& p);

}  // namespace korvel
