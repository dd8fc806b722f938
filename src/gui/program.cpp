#include "gui/program.h"

#include <QKeyEvent>
#include <QPushButton>

#include "app/mouse_commands.h"
#include "app/paint_commands.h"
#include "app/run_control.h"
#include "app/startup.h"
#include "gui/command_table.h"
#include "gui/plot_surface.h"

namespace korvel::gui {

namespace {

// F1 in a dialog presses its Help button. Taken before the shortcuts are
// looked up, since the main window's F1 (the guide's start) would match too.
class DialogHelpKey : public QObject {
 public:
  explicit DialogHelpKey(TOKRightDlg& dialog) : QObject(&dialog), dialog_(dialog) {
    dialog.installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
    e->accept();
    if (e->type() == QEvent::KeyPress) dialog_.HelpBtn->click();
    return true;
  }

 private:
  TOKRightDlg& dialog_;
};

}  // namespace

Program::Program(std::vector<std::string> args)
    : dialLK(&form),
      dlgLC(&form),
      dlgSecP(&form),
      mlcDlg(&form),
      fitDlg(&form),
      platform(state, form, dialLK, dlgLC, dlgSecP, mlcDlg, fitDlg),
      ctx(state, platform, std::move(args)) {
  WireCommands(ctx, form, Dialogs());
  // F1 in a dialog opens the guide at that dialog, as its Help button does.
  for (TOKRightDlg* d :
       std::initializer_list<TOKRightDlg*>{&dialLK, &dlgLC, &dlgSecP, &mlcDlg, &fitDlg})
    new DialogHelpKey(*d);
  PlotSurface& pwin = *form.PWin;
  pwin.paintPicture = [this](Canvas& c) { PWinPaint(ctx, c); };
  pwin.mouseDown = [this](const MouseEvent& e) { RunGuarded(ctx, [&] { PWinMouseDown(ctx, e); }); };
  pwin.mouseMove = [this](const MouseEvent& e) { RunGuarded(ctx, [&] { PWinMouseMove(ctx, e); }); };
  pwin.mouseUp = [this](const MouseEvent& e) { RunGuarded(ctx, [&] { PWinMouseUp(ctx, e); }); };
  QObject::connect(&form, &TForm1::activated, &form, [this] { RunCommand(ctx, StartProgram); });
  QObject::connect(&form, &TForm1::closing, &form, [this] { RunCommand(ctx, CloseWindow); });
}

}  // namespace korvel::gui
