#include "batch/survey_options.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <unordered_set>

namespace korvel::batch {

namespace {

bool Has(const std::vector<SearchKind>& methods, SearchKind kind) {
  return std::find(methods.begin(), methods.end(), kind) != methods.end();
}

}  // namespace

std::optional<std::string> ParseMethodList(const std::vector<std::string>& names,
                                           std::vector<SearchKind>& methods) {
  methods.clear();
  for (const std::string& name : names) {
    const SearchMethod* method = MethodNamed(name);
    if (method == nullptr) return "--methods: " + name + " is not one of " + MethodNames() + "...";
    if (!Has(methods, method->kind)) methods.push_back(method->kind);
  }
  if (methods.empty()) return "--methods: name at least one of " + MethodNames() + "...";
  return std::nullopt;
}

bool SecondaryUsesLkPeriod(const SurveyOptions& options) {
  return Has(options.methods, SearchKind::Secondary) && !options.periodGiven;
}

std::optional<std::string> SurveyRefusal(const SurveyOptions& options, bool secondaryOptionsGiven) {
  const bool secondary = Has(options.methods, SearchKind::Secondary);
  if (!secondary && secondaryOptionsGiven)
    return "--period, --epoch, --extremum-date, --bins and --mode belong to the secondary "
           "method...";
  if (SecondaryUsesLkPeriod(options) && !Has(options.methods, SearchKind::LaflerKinman))
    return "The secondary period needs the primary period: --period P, or lk among --methods "
           "to use each star's Lafler-Kinman period...";
  if (options.top < 1 || options.top > kMaxTop) return "--top must be 1 to 20...";
  return std::nullopt;
}

std::optional<std::string> ReadStarList(const std::string& listFile,
                                        std::vector<std::string>& files) {
  std::ifstream in(listFile, std::ios::binary);
  if (!in) return listFile + ": " + std::strerror(errno);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos || line.front() == '#') continue;
    files.push_back(line);
  }
  if (in.bad()) return listFile + ": cannot be read to its end";
  return std::nullopt;
}

std::vector<std::string> WithoutRepeats(const std::vector<std::string>& files) {
  std::vector<std::string> unique;
  std::unordered_set<std::string> seen;
  for (const std::string& f : files)
    if (seen.insert(f).second) unique.push_back(f);
  return unique;
}

}  // namespace korvel::batch
