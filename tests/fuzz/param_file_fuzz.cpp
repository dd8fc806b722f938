// default.cfg as the program reads it at start-up (defaults, then the seven
// lines into the state and the dialog fields). A file that reads is written
// back and read again: the second writing must repeat the first, or saving
// the parameters would drift them (as it did for values from about 1e57 on,
// written in full and read back split at 64 characters).
#include <cstdint>
#include <string>

#include "app/app_context.h"
#include "app/startup.h"
#include "core/analysis_state.h"
#include "fuzz/fuzz_support.h"
#include "io/param_file.h"
#include "support/fake_platform.h"

namespace {

// Reads the file at path into a fresh state; false when the program shows
// an error instead.
bool Install(const std::string& path, korvel::AnalysisState& s) {
  korvel::testing::FakePlatform platform;
  korvel::AppContext a(s, platform);
  s.CfgPath = path;
  korvel::RunCommand(a, korvel::ReadDefaultParameters);
  return platform.messages.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  korvel::AnalysisState first;
  if (!Install(korvel::fuzz::WriteFile("default.cfg", data, size), first)) return 0;

  const std::string written = korvel::fuzz::FreshFile("written.cfg");
  korvel::WriteParamFile(written, first.InitDir, first.LastFile, first);
  const std::string once = korvel::fuzz::ReadFile(written);
  korvel::AnalysisState second;
  korvel::fuzz::Check(Install(written, second), "a written default.cfg reads back");
  korvel::WriteParamFile(korvel::fuzz::FreshFile("written.cfg"), second.InitDir, second.LastFile,
                         second);
  korvel::fuzz::Check(korvel::fuzz::ReadFile(written) == once,
                      "default.cfg written, read and written again is unchanged");
  return 0;
}
