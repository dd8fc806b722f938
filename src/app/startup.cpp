#include "app/startup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/file_commands.h"
#include "app/undo_commands.h"
#include "core/thread_count.h"
#include "io/param_file.h"
#include "io/text_reader.h"

namespace korvel {

ThreadsArgument TakeThreadsArgument(std::vector<std::string>& args) {
  ThreadsArgument result;
  result.threads = DefaultThreadCount();
  static const std::string kName = "--threads";
  for (size_t i = 1; i < args.size();) {
    std::optional<std::string> value;
    size_t taken = 1;
    if (args[i] == kName) {
      if (i + 1 < args.size()) value = args[i + 1];
      taken = 2;
    } else if (args[i].rfind(kName + "=", 0) == 0) {
      value = args[i].substr(kName.size() + 1);
    } else {
      ++i;
      continue;
    }
    const auto count = value ? ParseThreadCount(*value) : std::nullopt;
    if (!count) {
      result.error = kName + ": " + (value ? "'" + *value + "' " : std::string()) + kThreadsRule;
      return result;
    }
    result.threads = *count;
    args.erase(args.begin() + static_cast<ptrdiff_t>(i),
               args.begin() + static_cast<ptrdiff_t>(std::min(i + taken, args.size())));
  }
  return result;
}

void StartProgram(AppContext& a) {
  // A reload at every activation would throw away deletions, residuals and
  // the chosen view whenever a dialog or message box closes.
  if (a.formRunDone) return;
  a.formRunDone = true;

  AnalysisState& s = a.s;
  s.DataColumn = 1;
  s.RecentMark = 'n';
  s.View = 't';
  if (a.args.size() < 2) return;

  s.DataFileName = a.args[1];
  s.ExePath = a.args[0];
  // default.cfg lives beside the executable, whatever its name.
  s.CfgPath = (std::filesystem::path(s.ExePath).parent_path() / kParamFileName).string();
  if (a.args.size() >= 3) {
    int32_t column = 0;
    if (TextToInt(a.args[2], column)) s.DataColumn = column;
  }
  char viewLetter = 0;
  if (a.args.size() >= 4 && !a.args[3].empty()) viewLetter = a.args[3][0];
  if (a.args.size() >= 5 && !a.args[4].empty()) s.RecentMark = a.args[4][0];

  ReadJDWindowEdits(a);
  a.p.SetValue(Control::SpinEdit1, std::clamp(s.DataColumn, kMinColumn, kMaxColumn));
  s.DataReady = 'b';
  ReadDefaultParameters(a);
  if (!FileExists(s.DataFileName)) {
    a.p.ShowMessage(kFileDoesNotExist);
    return;
  }
  if (!LoadDataFile(a)) return;
  ShowCaption(a);
  a.p.SetEnabled(Control::MethodMenu, true);
  s.DataReady = 'y';
  if (viewLetter != 0 && viewLetter != s.View) {
    s.View = viewLetter;
    // Conversion errors are not reported: the values stay as they were.
    double value = 0;
    if (TextToReal(a.p.Text(Control::LC_Edit1), value)) s.Period = value;
    if (TextToReal(a.p.Text(Control::LC_Edit2), value)) s.Epoch = value;
  }
  a.p.RequestRepaint();
}

void ReadDefaultParameters(AppContext& a) {
  AnalysisState& s = a.s;
  SetParameterDefaults(s);
  // Working in a folder without default.cfg is normal: say so once per folder,
  // not before every Open.
  std::error_code error;
  std::string folder = std::filesystem::absolute(s.CfgPath, error).parent_path().string();
  if (error) folder = s.CfgPath;
  if (!FileExists(s.CfgPath)) {
    if (a.foldersWithoutDefaults.insert(folder).second) a.p.ShowMessage(kDefaultsNotFound);
    return;
  }
  a.foldersWithoutDefaults.erase(folder);
  TextReader in = TextReader::FromFile(s.CfgPath);
  s.InitDir = in.ReadLineText();
  a.p.SetFileDialogDir(FileDialog::FindFile, OpenDialogDir(s.InitDir));
  s.LastFile = in.ReadLineText();
  a.p.SetFileDialogName(FileDialog::FindFile, s.LastFile);

  s.Period = in.ReadReal();
  in.ReadLine();
  a.p.SetText(Control::LC_Edit1, PeriodFieldText(s.Period));
  a.p.SetText(Control::SecP_Period, PeriodFieldText(s.Period));
  s.Epoch = in.ReadReal();
  in.ReadLine();
  a.p.SetText(Control::LC_Edit2, DateFieldText(s.Epoch));
  a.p.SetText(Control::SecP_Epoch, DateFieldText(s.Epoch));
  s.P2 = in.ReadReal();
  in.ReadLine();
  a.p.SetText(Control::LC_Edit3, PeriodFieldText(s.P2));
  s.ExtrDate = in.ReadReal();
  in.ReadLine();
  a.p.SetText(Control::LC_Edit4, DateFieldText(s.ExtrDate));
  s.NBins = in.ReadInt();
  in.ReadLine();
  a.p.SetText(Control::LC_Edit5, BinsFieldText(s.NBins));
}

}  // namespace korvel
