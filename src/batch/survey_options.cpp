#include "batch/survey_options.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <unordered_set>

#include "batch/file_messages.h"
#include "io/file_paths.h"

namespace korvel::batch {

namespace {

bool Has(const std::vector<SurveyMethod>& methods, const SurveyMethod& method) {
  return std::find(methods.begin(), methods.end(), method) != methods.end();
}

}  // namespace

std::optional<std::string> ParseMethodList(const std::vector<std::string>& names,
                                           std::vector<SurveyMethod>& methods) {
  methods.clear();
  for (const std::string& name : names) {
    const std::optional<SurveyMethod> method = SurveyMethodNamed(name);
    if (!method) return "--methods: " + name + " is not one of " + SurveyMethodNames() + "...";
    if (!Has(methods, *method)) methods.push_back(*method);
  }
  if (methods.empty()) return "--methods: name at least one of " + SurveyMethodNames() + "...";
  return std::nullopt;
}

bool HasMethod(const SurveyOptions& options, const SurveyMethod& method) {
  return Has(options.methods, method);
}

bool SecondaryUsesLkPeriod(const SurveyOptions& options) {
  return HasMethod(options, SearchKind::Secondary) && !options.periodGiven;
}

std::optional<std::string> SurveyRefusal(const SurveyOptions& options, bool secondaryOptionsGiven) {
  const bool secondary = HasMethod(options, SearchKind::Secondary);
  if (!secondary && secondaryOptionsGiven)
    return "--period, --epoch, --extremum-date, --bins and --mode belong to the secondary "
           "method...";
  if (SecondaryUsesLkPeriod(options) && !HasMethod(options, SearchKind::LaflerKinman))
    return "The secondary period needs the primary period: --period P, or lk among --methods "
           "to use each star's Lafler-Kinman period...";
  if (options.top < 1 || options.top > kMaxTop) return "--top must be 1 to 20...";
  if (HasMethod(options, SurveyMethod::Adopted()) && options.peaks.count < 1)
    return "--methods adopted chooses among the distinct peaks of each search: --peaks must be "
           "1 or more...";
  return std::nullopt;
}

std::optional<std::string> ReadStarList(const std::string& listFile,
                                        std::vector<std::string>& files) {
  if (const auto problem = PathProblem(listFile)) return "--list: " + *problem;
  // A pipe is a fine list (a shell's <(find ...)); a directory is none.
  if (KindOf(listFile) == FileKind::Directory) return InputKindProblem(listFile);
  std::ifstream in(listFile, std::ios::binary);
  if (!in) return listFile + ": " + std::strerror(errno);
  // Read in pieces with every line and the whole bounded, so that a device
  // that never ends (/dev/zero) or a file of no lines fails at once.
  int64_t lineNumber = 1;
  size_t bytes = 0, entries = 0;
  std::string line;
  const auto take = [&]() -> std::optional<std::string> {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos || line.front() == '#')
      return std::nullopt;
    if (++entries > kMaxListEntries)
      return FileMessage(listFile, lineNumber,
                         "more than " + std::to_string(kMaxListEntries) +
                             " files in one list; split the survey...");
    files.push_back(line);
    return std::nullopt;
  };
  std::array<char, 1 << 16> chunk;
  while (in) {
    in.read(chunk.data(), chunk.size());
    const auto got = static_cast<size_t>(in.gcount());
    bytes += got;
    if (bytes > kMaxListBytes)
      return FileMessage(listFile, 0,
                         "a list longer than " + std::to_string(kMaxListBytes >> 20) +
                             " MiB is not read; split the survey...");
    for (size_t i = 0; i < got; ++i) {
      const char c = chunk[i];
      if (c == '\n') {
        if (auto why = take()) return why;
        line.clear();
        ++lineNumber;
      } else if (c == '\0') {
        return FileMessage(listFile, lineNumber, "a file name cannot hold a NUL byte...");
      } else if (line.size() >= kMaxListLine) {
        return FileMessage(
            listFile, lineNumber,
            "a line longer than " + std::to_string(kMaxListLine) + " bytes is not a file name...");
      } else {
        line += c;
      }
    }
  }
  if (in.bad()) return listFile + ": cannot be read to its end";
  return take();
}

std::vector<std::string> WithoutRepeats(const std::vector<std::string>& files) {
  std::vector<std::string> unique;
  std::unordered_set<std::string> seen;
  for (const std::string& f : files)
    if (seen.insert(f).second) unique.push_back(f);
  return unique;
}

}  // namespace korvel::batch
