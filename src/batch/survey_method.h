// The method of a survey row: one search of the method table, the
// adopted period (search/adopt.h), chosen among the distinct peaks of the
// star's Lafler-Kinman and Deeming searches, or the multi-frequency fit
// (batch/fit_command.h). Rows, --methods and --resume name them alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "search/search_values.h"

namespace korvel::batch {

class SurveyMethod {
 public:
  // A search is a row's method as it stands.
  SurveyMethod(SearchKind kind) : search_(kind) {}  // NOLINT(google-explicit-constructor)
  static SurveyMethod Adopted() { return SurveyMethod(Other::Adopted); }
  static SurveyMethod Fit() { return SurveyMethod(Other::Fit); }

  // The search of the row; nothing for the adopted period and the fit.
  const std::optional<SearchKind>& Search() const { return search_; }
  bool IsAdopted() const { return other_ == Other::Adopted; }
  // "lk", "deeming", "secondary", "adopted", "fit".
  std::string Name() const;
  bool operator==(const SurveyMethod&) const = default;

 private:
  enum class Other { None, Adopted, Fit };
  explicit SurveyMethod(Other other) : other_(other) {}
  std::optional<SearchKind> search_;
  Other other_ = Other::None;
};

// The method a row or --methods names; nothing for a name of none.
std::optional<SurveyMethod> SurveyMethodNamed(std::string_view name);
// "lk, deeming, secondary, adopted, fit": for help texts and messages.
std::string SurveyMethodNames();

}  // namespace korvel::batch
