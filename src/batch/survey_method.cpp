#include "batch/survey_method.h"

#include "search/search_methods.h"

namespace korvel::batch {

namespace {

constexpr const char* kAdoptedName = "adopted";
constexpr const char* kFitName = "fit";

}  // namespace

std::string SurveyMethod::Name() const {
  if (search_) return MethodOf(*search_).name;
  return other_ == Other::Fit ? kFitName : kAdoptedName;
}

std::optional<SurveyMethod> SurveyMethodNamed(std::string_view name) {
  if (name == kAdoptedName) return SurveyMethod::Adopted();
  if (name == kFitName) return SurveyMethod::Fit();
  if (const SearchMethod* method = MethodNamed(name)) return SurveyMethod(method->kind);
  return std::nullopt;
}

std::string SurveyMethodNames() {
  return MethodNames() + ", " + kAdoptedName + ", " + kFitName;
}

}  // namespace korvel::batch
