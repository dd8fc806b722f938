// The whole program as one object: the analysis state, the main window, the
// five dialogs (created after the window, in this order), the Qt platform
// and the command context, wired together. main() makes one; so do the tests.
#pragma once

#include <string>
#include <vector>

#include "app/app_context.h"
#include "core/analysis_state.h"
#include "gui/dialogs.h"
#include "gui/main_window.h"
#include "gui/qt_platform.h"

namespace korvel::gui {

class Program {
 public:
  // args[0] is the executable's path, then the command-line arguments.
  explicit Program(std::vector<std::string> args);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  AnalysisState state;
  TForm1 form;
  TDialLK dialLK;
  TDlgLC dlgLC;
  TDlgSecP dlgSecP;
  TMLCDlg mlcDlg;
  TFitDlg fitDlg;
  QtPlatform platform;
  AppContext ctx;

  QList<QWidget*> Dialogs() { return {&dialLK, &dlgLC, &dlgSecP, &mlcDlg, &fitDlg}; }
};

}  // namespace korvel::gui
