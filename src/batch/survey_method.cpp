#include "batch/survey_method.h"

#include "search/search_methods.h"

namespace korvel::batch {

namespace {

constexpr const char* kAdoptedName = "adopted";

}  // namespace

std::string SurveyMethod::Name() const {
  return search_ ? MethodOf(*search_).name : kAdoptedName;
}

std::optional<SurveyMethod> SurveyMethodNamed(std::string_view name) {
  if (name == kAdoptedName) return SurveyMethod::Adopted();
  if (const SearchMethod* method = MethodNamed(name)) return SurveyMethod(method->kind);
  return std::nullopt;
}

std::string SurveyMethodNames() {
  return MethodNames() + ", " + kAdoptedName;
}

}  // namespace korvel::batch
