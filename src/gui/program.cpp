#include "gui/program.h"

#include <QPushButton>
#include <QShortcut>

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
      platform(state, form, dialLK, dlgLC, dlgSecP, mlcDlg),
      ctx(state, platform, std::move(args)) {
  WireCommands(ctx, form, Dialogs());
  // F1 in a dialog opens the guide at that dialog, as its Help button does.
  for (TOKRightDlg* d : std::initializer_list<TOKRightDlg*>{&dialLK, &dlgLC, &dlgSecP, &mlcDlg}) {
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), d);
    QObject::connect(f1, &QShortcut::activated, d->HelpBtn, &QPushButton::click);
  }
  PlotSurface& pwin = *form.PWin;
  pwin.paintPicture = [this](Canvas& c) { PWinPaint(ctx, c); };
  pwin.mouseDown = [this](const MouseEvent& e) { RunGuarded(ctx, [&] { PWinMouseDown(ctx, e); }); };
  pwin.mouseMove = [this](const MouseEvent& e) { RunGuarded(ctx, [&] { PWinMouseMove(ctx, e); }); };
  pwin.mouseUp = [this](const MouseEvent& e) { RunGuarded(ctx, [&] { PWinMouseUp(ctx, e); }); };
  QObject::connect(&form, &TForm1::activated, &form, [this] { RunCommand(ctx, StartProgram); });
  QObject::connect(&form, &TForm1::closing, &form, [this] { RunCommand(ctx, CloseWindow); });
}

}  // namespace korvel::gui
