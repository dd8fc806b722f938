#include "gui/program.h"

#include "app/paint_commands.h"
#include "app/startup.h"
#include "gui/command_table.h"
#include "gui/plot_surface.h"

namespace korvel::gui {

Program::Program(std::vector<std::string> args)
    : dialLK(&form),
      dlgLC(&form),
      dlgSecP(&form),
      mlcDlg(&form),
      platform(form, dialLK, dlgLC, dlgSecP, mlcDlg),
      ctx(state, platform, std::move(args)) {
  WireCommands(ctx, form, Dialogs());
  form.PWin->paintPicture = [this](Canvas& c) { PWinPaint(ctx, c); };
  QObject::connect(&form, &TForm1::activated, &form, [this] { RunCommand(ctx, FormRun); });
  // A search runs inside its command; closing the window must end it too, or
  // the program would go on computing without a window.
  QObject::connect(&form, &TForm1::closing, &form, [this] {
    if (state.RunCode == 'r') state.RunCode = 'e';
  });
}

}  // namespace korvel::gui
