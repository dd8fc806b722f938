#include "gui/program.h"

#include "app/mouse_commands.h"
#include "app/paint_commands.h"
#include "app/run_control.h"
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
  PlotSurface& pwin = *form.PWin;
  pwin.paintPicture = [this](Canvas& c) { PWinPaint(ctx, c); };
  pwin.mouseDown = [this](const MouseEvent& e) { RunGuarded(ctx, [&] { PWinMouseDown(ctx, e); }); };
  pwin.mouseMove = [this](const MouseEvent& e) { RunGuarded(ctx, [&] { PWinMouseMove(ctx, e); }); };
  pwin.mouseUp = [this](const MouseEvent& e) { RunGuarded(ctx, [&] { PWinMouseUp(ctx, e); }); };
  QObject::connect(&form, &TForm1::activated, &form, [this] { RunCommand(ctx, StartProgram); });
  QObject::connect(&form, &TForm1::closing, &form, [this] { RunCommand(ctx, CloseWindow); });
}

}  // namespace korvel::gui
