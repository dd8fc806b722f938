// The analysis file: one JSON document that records an analysis of one star
// (the observation file and how it was loaded, deletions and marks, the
// elements, the search parameters, the last search with its best trials and
// peaks, the mean curves, the collecting file's name and the view), so the
// window can be put back as it was and korvel-batch and Python can start from
// it. A plain value: what the window holds is copied in and out elsewhere
// (search/document_analysis.h).
//
// Reading judges the whole file before anything uses it: a file that is not
// JSON, not an analysis, of a newer version, or holds a value of the wrong
// type or out of range is refused with the reason. Keys this version does not
// know are ignored, and kept: writing back a document that was read keeps
// them where they were.
#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace korvel {

inline constexpr const char* kAnalysisFormat = "korvel-analysis";
inline constexpr int kAnalysisVersion = 1;
inline constexpr const char* kAnalysisSuffix = ".korvel.json";

// An observation named so that a changed file is noticed: its place in the
// set as loaded (from 1) and its date and magnitude as the file gave them.
struct ObservationRef {
  int64_t index = 0;
  double jd = 0, mag = 0;
  bool operator==(const ObservationRef&) const = default;
};

struct AnalysisObservations {
  std::string file;          // absolute
  std::string relativeFile;  // as seen from the analysis file's directory
  int32_t column = 1;
  bool readZeros = false;
  // A window that loads exactly the set that was loaded.
  double jdMin = 0, jdMax = 0;
  int64_t loadedCount = 0;   // observations the load gave
  bool intensities = false;  // shown as intensities (Mag/Int)
  std::vector<ObservationRef> deleted, marked;
  // The remaining observations' magnitudes where they are no longer the
  // file's (residuals of prewhitening, reshuffled values); empty otherwise.
  std::vector<double> magnitudes;
  // An archive's format and how it was read ("format" is a --format name);
  // written only for a file that is not in the plain format.
  std::string format = "plain", band, timeColumn, magColumn, errColumn;
  double timeOffset = 0;
  bool flux = false;
  bool operator==(const AnalysisObservations&) const = default;
};

struct AnalysisElements {
  double period = 0, epoch = 0, secondaryPeriod = 0, secondaryEpoch = 0, extremumDate = 0;
  int32_t bins = 0;
  bool periodDoubled = false;  // Px2 is pressed: period is twice the one found
  bool operator==(const AnalysisElements&) const = default;
};

// The search dialogs' fields; nothing where a field holds no number.
struct AnalysisSearchParameters {
  std::optional<double> pmin, pmax, phaseShift;
  std::optional<double> secondaryPeriod, secondaryEpoch, secondaryExtremumDate, secondaryPmin,
      secondaryPmax, secondaryPhaseShift;
  std::optional<int32_t> secondaryBins;
  int32_t secondaryMode = 1;  // 1: the secondary period's phases are binned, 2: the primary's
  bool windowSpectrum = false;
  bool operator==(const AnalysisSearchParameters&) const = default;
};

struct AnalysisTrial {
  double period = 0, frequency = 0, statistic = 0;
  bool operator==(const AnalysisTrial&) const = default;
};

struct AnalysisPeak {
  double period = 0, frequency = 0, statistic = 0;
  double fittedPeriod = 0, periodError = 0, fap = 0;  // NaN (null) where unknown
  std::string label;
  bool operator==(const AnalysisPeak&) const;  // NaN equals NaN
};

inline constexpr int kAnalysisSpectrumColumns = 481;

struct AnalysisSearch {
  std::string method;  // the method table's name: "lk", "deeming", "secondary"
  double pmin = 0, pmax = 0, frequencyStep = 0;
  double primaryTheta = 0;  // the secondary search's yardstick
  // The method's own parameters by their korvel-batch option names
  // ("bins": 20); none for a method without any, or in an older file.
  std::map<std::string, int32_t> methodParameters;
  // The spectrum's columns as the window draws them, and its value range.
  std::vector<double> spectrumLow, spectrumHigh;
  double spectrumMin = 0, spectrumMax = 0;
  std::vector<AnalysisTrial> best;  // best first
  std::vector<AnalysisPeak> peaks;  // distinct peaks, best first
  bool operator==(const AnalysisSearch&) const = default;
};

struct AnalysisMeanPoint {
  double count = 0, phase = 0, mag = 0, phaseError = 0, magError = 0, edited = 0;
  bool operator==(const AnalysisMeanPoint&) const = default;
};

struct AnalysisMeanCurve {
  int32_t number = 1, points = 0;
  double binLength = 0;
  double magHigh = 0, magLow = 0;        // the mean curve view's value range
  char state = 0;                        // 'd' computed, 'f' points dragged; 0 none
  std::vector<AnalysisMeanPoint> curve;  // `points` of them with a state, else none
  bool operator==(const AnalysisMeanCurve&) const = default;
};

struct AnalysisCollectedCurve {
  double period = 0, epoch = 0;
  std::vector<double> phase, mag;
  bool operator==(const AnalysisCollectedCurve&) const = default;
};

struct AnalysisView {
  char view = 't', ready = 'y';
  double jdLow = 0, jdHigh = 0, magLow = 0, magHigh = 0, phMin = -0.5, phMax = 1;
  bool fullRange = true, mirror = false;
  double mirrorJD = 0;
  bool operator==(const AnalysisView&) const = default;
};

struct AnalysisDocument {
  AnalysisObservations observations;
  AnalysisElements elements;
  AnalysisSearchParameters search;
  std::optional<AnalysisSearch> lastSearch;
  AnalysisMeanCurve meanCurve;
  std::string collectingFile, residualFile;
  // The curves read back from a collecting file (the model), and its name.
  std::optional<std::string> collectedFile;
  std::vector<AnalysisCollectedCurve> collected;
  AnalysisView view;
  // The document as read, unknown keys included; written back underneath.
  nlohmann::ordered_json source;
  // Equality of what this version knows (source is not compared).
  bool operator==(const AnalysisDocument& o) const;
};

struct AnalysisRefusal {
  std::string reason;
};

// The document of a file. Refused: a file that cannot be read, that is not JSON, not an
// analysis, of a newer version, or holds a wrong type or a value out of range.
std::variant<AnalysisDocument, AnalysisRefusal> ReadAnalysisFile(const std::string& path);
// The same on text already read; `name` heads the reasons.
std::variant<AnalysisDocument, AnalysisRefusal> AnalysisFromText(const std::string& text,
                                                                 const std::string& name);

// The JSON of a document (NaN as null), over what it was read from.
nlohmann::ordered_json AnalysisJson(const AnalysisDocument& d);
// Writes the document to path (replacing a file only by a complete one),
// with the observation file also named relative to path's directory; throws
// FileError.
void WriteAnalysisFile(AnalysisDocument d, const std::string& path);

// The observation file a document names: its absolute name where that
// exists, else the relative one from the analysis file's directory, else the
// absolute one (whose absence the load reports).
std::string ObservationFileOf(const AnalysisDocument& d, const std::string& analysisPath);

}  // namespace korvel
