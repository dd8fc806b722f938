#include "app/shell_commands.h"

#include <filesystem>

#include "app/run_control.h"
#include "app/search_commands.h"
#include "render/picture_file.h"  // the extension rule only; no Qt
#include "search/search_methods.h"

namespace korvel {

void RepeatLastSearch(AppContext& a) {
  const SearchMethod* last = MethodOfView(a.s.SearchView);
  if (!last) {
    a.p.SetStatus(kNoSearchToRepeat);
    return;
  }
  StartSearchBy(a, last->kind);
}

void StopSearchOrHideTables(AppContext& a) {
  if (a.s.RunCode == 'r')
    StopSearch(a);
  else
    HideResultTables(a);
}

void ExportPicture(AppContext& a) {
  if (a.s.RunCode == 'r') return;
  a.p.RunFileDialog(FileDialog::ExportPicture, [&a](const std::string& chosen) {
    std::string path = chosen;
    if (std::filesystem::path(path).extension().empty()) path += ".png";
    const auto format = render::PictureFormatOf(path);
    if (!format || *format == render::PictureFormat::Bmp) {
      a.p.ShowMessage("Unknown picture format: " + path +
                      " (the name must end in .png, .svg or .pdf)...");
      return false;
    }
    if (const auto failure = a.p.WritePlotPicture(path)) {
      a.p.ShowMessage(*failure);
      return false;
    }
    a.p.SetStatus("Picture written to " + path);
    return true;
  });
}

}  // namespace korvel
