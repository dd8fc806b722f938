#include "batch/survey_command_line.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "batch/batch_search.h"
#include "batch/finite_numbers.h"
#include "batch/load_options.h"
#include "io/file_paths.h"

namespace korvel::batch {

namespace {

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; std::getline(in, word, ',');) words.push_back(word);
  return words;
}

SurveyRefused Refused(const std::string& why, int exitCode) {
  return {why + '\n', exitCode, false};
}

SurveyRefused Unwritable(const std::string& name) {
  return Refused(name + ": cannot be written: " + std::strerror(errno), kExitWriteError);
}

// Why OUT cannot take the rows, or nothing. Asked before anything is read or
// written: a FIFO or a device would block or never end when --resume reads it.
std::optional<SurveyRefused> OutputRefusal(const SurveyCommandLine& line) {
  if (line.out.empty()) return std::nullopt;
  if (const auto problem = PathProblem(line.out)) return Refused("-o: " + *problem, kExitRefused);
  const FileKind kind = KindOf(line.out);
  if (kind == FileKind::Directory) return Refused(*InputKindProblem(line.out), kExitWriteError);
  if (line.resume && kind != FileKind::Regular && kind != FileKind::Missing)
    return Refused(line.out +
                       ": cannot be resumed: it is not a regular file (a device or pipe holds "
                       "no rows to keep)...",
                   kExitRefused);
  return std::nullopt;
}

// The first star that is OUT itself, which writing the rows would destroy
// before it is read. A file that exists and one that does not are never
// one, so only stars that exist as OUT does are compared: a list of a
// million stars costs a stat each.
std::optional<std::string> OutputIsStar(const std::string& out,
                                        const std::vector<std::string>& files) {
  if (out.empty()) return std::nullopt;
  const bool outExists = KindOf(out) != FileKind::Missing;
  for (const std::string& file : files) {
    if ((KindOf(file) != FileKind::Missing) != outExists) continue;
    if (auto why = OutputIsInput(out, {file})) return why;
  }
  return std::nullopt;
}

}  // namespace

SurveyArgs::SurveyArgs(CLI::App& parent) {
  app_ = parent.add_subcommand(
      "survey",
      "Run period searches over many stars in one process: one row per star and method (CSV, or "
      "JSON lines for OUT.jsonl), written as each star is done");
  app_->add_option("FILE", files_, "Observation files, one star each");
  app_->add_option("--list", list_,
                   "A file naming one observation file per line (blank lines and # comments "
                   "skipped)");
  SurveyOptions& o = line_.options;
  AddReadOptions(*app_, o.read);
  // One comma-separated word: the files after it stay files.
  app_->add_option("--methods", methods_,
                   "Rows per star, comma-separated: " + SurveyMethodNames() +
                       " (adopted: the period adopted among the distinct peaks of lk and deeming; "
                       "fit: the multi-frequency fit with automatic prewhitening)")
      ->capture_default_str();
  searchOptions_ = AddSearchParameterOptions(
      *app_, o.params,
      "Secondary: the primary period (default: each star's best Lafler-Kinman period)",
      &o.methodParams);
  pmax_ = searchOptions_.pmax;
  period_ = searchOptions_.period;
  secondaryOnly_ = searchOptions_.secondaryOnly;
  AddMaxTrialsOption(*app_, o.maxTrials);
  app_->add_option("--top", o.top, "Places of the best list in each row")
      ->check(CLI::Range(1, kMaxTop))
      ->capture_default_str();
  peaks_ = AddPeakOptions(*app_, o.peaks, false);
  peaks_->description(peaks_->get_description() +
                      "; with adopted among the methods the default is " +
                      std::to_string(kDefaultPeaks));
  jobs_ = AddThreadsOption(*app_, o.jobs, "--jobs", "the stars");
  app_->add_option("-o,--out", line_.out,
                   "Write the rows to OUT (.jsonl: JSON lines; else CSV) instead of stdout");
  app_->add_flag("--resume", line_.resume,
                 "Keep the complete rows of OUT, skip their stars and methods, append the rest");
  app_->add_flag("--progress", line_.progress,
                 "Draw a progress bar on stderr: stars done, stars per second, time left");
}

// An option of a method not among --methods would be silently ignored, and
// --bins given to pdm and the secondary period both would be one's only.
std::optional<std::string> SurveyArgs::MethodOptionRefusal() {
  SurveyOptions& options = line_.options;
  for (const MethodOption& o : searchOptions_.methodOnly)
    if (o.option->count() > 0 && !HasMethod(options, MethodNamed(o.method)->kind))
      return o.option->get_name() + " belongs to " + o.method + ", which is not among --methods...";
  const bool pdm = HasMethod(options, SearchKind::Pdm);
  if (!pdm || searchOptions_.bins->count() == 0) return std::nullopt;
  if (HasMethod(options, SearchKind::Secondary))
    return std::string(
        "--bins is both pdm's and the secondary period's: survey them "
        "separately...");
  return TakePdmBins(options.params.bins, options.methodParams);
}

std::optional<SurveyRefused> SurveyArgs::Complete(bool oneStar) {
  SurveyOptions& options = line_.options;
  if (!oneStar) {
    if (auto refused = OutputRefusal(line_)) return refused;
    if (const auto why = OutputIsInput(line_.out, {list_})) return Refused(*why, kExitRefused);
    options.files = files_;
    if (!list_.empty())
      if (const auto why = ReadStarList(list_, options.files))
        return Refused(*why, kExitFileMissing);
    options.files = WithoutRepeats(options.files);
    if (options.files.empty())
      return Refused("No stars: name observation files or --list F...", kExitRefused);
    if (const auto why = OutputIsStar(line_.out, options.files)) return Refused(*why, kExitRefused);
  }
  if (const auto why = ParseMethodList(SplitAtCommas(methods_), options.methods))
    return Refused(*why, kExitRefused);
  if (peaks_->count() == 0 && HasMethod(options, SurveyMethod::Adopted()))
    options.peaks.count = kDefaultPeaks;
  options.pmaxGiven = pmax_->count() > 0;
  options.periodGiven = period_->count() > 0;
  line_.jobsGiven = jobs_->count() > 0;
  if (const auto why = MethodOptionRefusal()) return Refused(*why, kExitRefused);
  std::vector<CLI::Option*> secondaryOnly = secondaryOnly_;
  // --bins given to pdm alone is pdm's.
  if (HasMethod(options, SearchKind::Pdm) && !HasMethod(options, SearchKind::Secondary))
    std::erase(secondaryOnly, searchOptions_.bins);
  if (const auto why = SurveyRefusal(options, AnyGiven(secondaryOnly)))
    return Refused(*why, kExitRefused);
  return std::nullopt;
}

std::variant<SurveyCommandLine, SurveyRefused> ParseSurveyCommandLine(
    const std::vector<std::string>& args, bool oneStar) {
  CLI::App app{"korvel-batch: period analysis of variable-star photometry without a window"};
  app.require_subcommand(1);
  SurveyArgs survey(app);
  std::vector<const char*> argv = {"korvel-batch", "survey"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& e) {
    // The text and code korvel-batch's own parse ends with.
    std::ostringstream out, err;
    const int code = app.exit(e, out, err);
    return SurveyRefused{out.str() + err.str(), code, !out.str().empty()};
  }
  if (const auto refusal = NonFiniteOption(*survey.App())) return Refused(*refusal, kExitRefused);
  if (auto refused = survey.Complete(oneStar)) return *refused;
  return std::move(survey.Line());
}

std::variant<RowOutputStart, SurveyRefused> StartRowOutput(const SurveyCommandLine& line) {
  RowOutputStart start;
  const RowLayout layout = line.options.Layout();
  start.format = line.out.empty() ? RowFormat::Csv : FormatForFile(line.out);
  start.header = HeaderText(start.format, layout);
  if (line.out.empty()) {
    if (line.resume) return Refused("--resume needs -o OUT...", kExitRefused);
    return start;
  }
  std::error_code ec;
  if (line.resume && std::filesystem::exists(line.out, ec)) {
    std::ifstream in(line.out, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) return Unwritable(line.out);
    const auto existing = ReadExistingRows(text.str(), start.format, layout);
    if (const auto* why = std::get_if<std::string>(&existing))
      return Refused(line.out + ": cannot be resumed: " + *why + "...", kExitRefused);
    const auto& rows = std::get<ExistingRows>(existing);
    start.done = rows.done;
    if (rows.hasHeader) start.header.clear();
    // A record cut off by a kill is dropped before the rest is appended.
    std::filesystem::resize_file(line.out, rows.completeLength, ec);
    if (ec) return Unwritable(line.out);
    return start;
  }
  if (!std::ofstream(line.out, std::ios::binary | std::ios::trunc)) return Unwritable(line.out);
  return start;
}

}  // namespace korvel::batch
