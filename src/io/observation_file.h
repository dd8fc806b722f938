// Observation files: reading a set into the analysis state (date, then
// values, one observation per line) and writing the Save as... and Save
// extraction formats.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/analysis_state.h"
#include "core/read_options.h"
#include "io/text_reader.h"
#include "io/text_writer.h"

namespace korvel {

// DataFileName up to the first point of the file's own name that is neither
// its first nor its last character (the directories' points do not count).
std::string BaseNameOf(const std::string& fileName);

// Replaces the observation set by the file's observations inside the window
// and recomputes the statistics, the JD window and the ranges. The format is
// options.format, or recognised from the content: a plain file goes through
// the token reader, an archive's through ReadObservations (io/read_observations.h),
// whose errors and band replace the set's. A read error of a plain file stops
// reading but keeps the observations accepted before it: its message is
// returned. A file that cannot be opened throws FileError, and an archive's
// file that cannot be read as its format throws FormatError; either leaves
// the state as it was. The state keeps the options used (ReadWith: the
// format and band as read) and what was read (Loaded).
std::optional<std::string> LoadObservations(AnalysisState& s, const std::string& path,
                                            const ReadOptions& options);

// The same load, with what the command line reports besides the message: the
// line the error is on and what the reader passed over.
struct LoadReport {
  std::optional<std::string> error;  // the text the window shows
  int64_t errorLine = 0;             // 0 when there is no error
  ReadDiagnostics diagnostics;
};
LoadReport LoadObservationsReporting(AnalysisState& s, const std::string& path,
                                     const ReadOptions& options);

// NObs is a 32-bit count: a file with more observations stops there.
inline constexpr const char* kTooManyObservations =
    "More than 2147483647 observations: the rest of the file was not read...";

// Mean, variance, extremes, JD window and ranges of Mag[1..NObs], JD[1..NObs].
// An empty set gets zeros throughout.
void ComputeLoadStatistics(AnalysisState& s);

// Makes jd and mag (element 0 unused, the same length) the observation set,
// as a load does: the work arrays sized to it, no marks, the statistics, and
// each observation numbered by its place (LoadIndex).
// err (element 0 unused) is empty when the observations have no errors.
void TakeObservations(AnalysisState& s, rarray jd, rarray mag, rarray err = {});

// MagMean and MagVar (divided by NObs) of Mag[1..NObs]; 0 for an empty set.
void ComputeMeanAndVariance(AnalysisState& s);

// One observation line: date 10.4, a blank, magnitude 7.magDecimals.
std::string ObservationLine(double jd, double mag, int magDecimals);

// Save as...: every observation, magnitudes with 4 decimals.
void WriteAllObservations(const AnalysisState& s, const std::string& path);
// The same lines into a file being written (put in place by its Close).
void WriteAllObservations(const AnalysisState& s, TextWriter& out);
// Save extraction: the observations marked 1, magnitudes with 3 decimals.
void WriteMarkedObservations(const AnalysisState& s, const std::string& path);

}  // namespace korvel
