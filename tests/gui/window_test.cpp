// The main window, its dialogs and the Qt platform, shown offscreen.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <stdexcept>

#include "gui/command_table.h"
#include "gui/plot_surface.h"
#include "gui_test_support.h"

using korvel::Control;
using korvel::Dialog;
using korvel::FileDialog;
using korvel::gui::testing::TestProgram;
using korvel::gui::testing::WriteFile;

namespace {

QStringList Captions(const QMenu* menu) {
  QStringList out;
  for (const QAction* a : menu->actions()) out << a->text();
  return out;
}

// The label of a field's row, also when the field shares its row with a button.
QString LabelOf(QWidget* field) {
  auto* form = field->window()->findChild<QFormLayout*>();
  if (!form) return "<no form>";
  for (int r = 0; r < form->rowCount(); ++r) {
    QLayoutItem* item = form->itemAt(r, QFormLayout::FieldRole);
    if (!item ||
        (item->widget() != field && !(item->layout() && item->layout()->indexOf(field) >= 0)))
      continue;
    QLayoutItem* label = form->itemAt(r, QFormLayout::LabelRole);
    auto* l = label ? qobject_cast<QLabel*>(label->widget()) : nullptr;
    return l ? l->text() : "<no label>";
  }
  return "<not in the form>";
}

// Whether a button's caption fits the room its style leaves for it.
bool CaptionFits(QAbstractButton* b) {
  QStyleOptionButton opt;
  opt.initFrom(b);
  opt.text = b->text();
  const bool check = qobject_cast<QCheckBox*>(b) != nullptr;
  const QRect room = b->style()->subElementRect(
      check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &opt, b);
  return b->fontMetrics().horizontalAdvance(b->text()) <= room.width();
}

QColor PixelAt(QWidget* w, int x, int y) {
  return w->grab().toImage().pixelColor(x, y);
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(tmp.isValid()); }

  void startsWithCaptionSizeAndColours() {
    TestProgram t({tmp.filePath("korvel").toStdString()});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::TForm1& f = t->form;
    QCOMPARE(f.windowTitle(), QString("Korvel for Windows"));
    QCOMPARE(f.PWin->size(), QSize(734, 432));
    QCOMPARE(f.pos(), QPoint(84, 107));
    QCOMPARE(f.Panel1->height(), 63);
    // Panel along the bottom of the plot, status line under it.
    QCOMPARE(f.Panel1->mapTo(&f, QPoint(0, 0)).y(), f.PWin->mapTo(&f, QPoint(0, 0)).y() + 432);
    QVERIFY(f.StatusBar1->geometry().top() >= f.Panel1->mapTo(&f, QPoint(0, 63)).y());
    // Nothing to draw yet: the surface shows the window colour.
    QCOMPARE(PixelAt(f.PWin, 10, 10), QColor(0, 128, 255));
    QCOMPARE(PixelAt(f.Panel1, 300, 58), QColor(0, 128, 255));
    QCOMPARE(PixelAt(f.StatusBar1, 200, f.StatusBar1->height() / 2), QColor(Qt::white));
    // Without arguments the start loads nothing and says nothing.
    QVERIFY(t.messages.empty());
    QCOMPARE(t->state.View, 't');
  }

  void menuHasEveryItemAndMethodStartsDisabled() {
    TestProgram t({"korvel"});
    korvel::gui::TForm1& f = t->form;
    QStringList top;
    for (const QAction* a : f.menuBar()->actions()) top << a->text();
    QCOMPARE(top, QStringList({"File", "Method", "About the software"}));
    QCOMPARE(Captions(f.FileMenu),
             QStringList({"Open", "Save parameters", "Save as...", "Save condition",
                          "Save extraction", "Exit", "Save statistics", "Mean light curve file"}));
    QCOMPARE(Captions(f.MethodMenu), QStringList({"Light curve", "Lafler - Kinman", "Deeming",
                                                  "Secondary period", "Continue"}));
    QCOMPARE(f.MethodMenu->actions().front()->menu(), f.LightCurveMenu);
    QCOMPARE(Captions(f.LightCurveMenu),
             QStringList({"For the primary period",
                          "Light curves divided by the secondary period phase bins",
                          "The secondary period phases are distinquished with different colors",
                          "Dependent on time"}));
    QVERIFY(f.AboutAction->menu() == nullptr);
    QCOMPARE(f.AboutAction->objectName(), QString("Menu3Click"));
    QVERIFY(!f.MethodMenu->menuAction()->isEnabled());
    QVERIFY(!t->platform.Enabled(Control::MethodMenu));
    t->platform.SetEnabled(Control::MethodMenu, true);
    QVERIFY(f.MethodMenu->menuAction()->isEnabled());
  }

  void panelControlsSitAtTheirPlacesWithTheirCaptions() {
    TestProgram t({"korvel"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::TForm1& f = t->form;
    struct Expect {
      const char* name;
      int left, top;
      const char* text;
      bool visible;
    };
    const Expect expected[] = {
        {"SpinEdit1", 8, 9, "1", true},
        {"JDmin", 96, 10, "", true},
        {"JDmax", 96, 34, "", true},
        {"ChBZero", 8, 40, "Read zeros", true},
        {"ChBWindow", 224, 40, "Window spectrum", true},
        {"Butt4print", 224, 2, "Print", true},
        {"BStop", 272, 2, "Stop", true},
        {"BTable", 368, 2, "Table", true},
        {"Butt2wave", 432, 2, "Wave", true},
        {"BPrewhite", 496, 2, "Prewhitening", false},
        {"SpToFile", 592, 2, "Spectrum to file", true},
        {"SpFN", 592, 32, "SpFName.dat", true},
        {"Chaos", 344, 30, "Chaos", true},
        {"StatX", 392, 30, "Stat", true},
        {"Px2", 432, 30, "Px2", true},
        {"ButAllDiap", 496, 30, "All", false},
        {"Magint", 536, 30, "Mag/Int", true},
    };
    for (const Expect& e : expected) {
      auto* w = f.Panel1->findChild<QWidget*>(e.name);
      QVERIFY2(w, e.name);
      QCOMPARE(w->pos(), QPoint(e.left, e.top));
      QString text;
      if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        text = b->text();
        QVERIFY2(CaptionFits(b), e.name);
      } else if (auto* le = qobject_cast<QLineEdit*>(w)) {
        text = le->text();
      } else if (auto* sp = qobject_cast<QSpinBox*>(w)) {
        text = sp->text();
        QCOMPARE(sp->minimum(), 1);
        QCOMPARE(sp->maximum(), 20);
      }
      QCOMPARE(text, QString(e.text));
      QCOMPARE(w->isVisibleTo(&f), e.visible);
    }
    // Labels at the right of their fields.
    const std::pair<QWidget*, QLabel*> labelled[] = {
        {f.SpinEdit1, f.LabelColumn}, {f.JDmin, f.LabelJDmin}, {f.JDmax, f.LabelJDmax}};
    for (const auto& [field, label] : labelled) {
      QVERIFY(label->x() > field->geometry().right());
      QVERIFY(label->y() >= field->y() && label->y() < field->geometry().bottom());
    }
    QCOMPARE(f.LabelColumn->text(), QString("Column"));
    QCOMPARE(f.LabelJDmin->text(), QString("JDmin"));
    QCOMPARE(f.LabelJDmax->text(), QString("JDmax"));
    // No control covers another, and all lie inside the panel.
    const QList<QWidget*> all = f.Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (int i = 0; i < all.size(); ++i) {
      QVERIFY2(f.Panel1->rect().contains(all[i]->geometry()), qPrintable(all[i]->objectName()));
      for (int j = i + 1; j < all.size(); ++j)
        QVERIFY2(!all[i]->geometry().intersects(all[j]->geometry()),
                 qPrintable(all[i]->objectName() + " / " + all[j]->objectName()));
    }
    // Stop stands out: bold red Arial.
    QVERIFY(f.BStop->font().bold());
    QCOMPARE(f.BStop->font().family(), QString("Arial"));
    QCOMPARE(f.BStop->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
    QCOMPARE(f.font().pointSize(), 8);
  }

  void resultsGridIsHiddenAndShowsTheBestTrials() {
    TestProgram t({"korvel"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::TForm1& f = t->form;
    QTableWidget* g = f.StrGr;
    QVERIFY(!g->isVisible());
    QVERIFY(!t->platform.Visible(Control::StrGr));
    QCOMPARE(g->parentWidget(), static_cast<QWidget*>(f.PWin));
    QCOMPARE(g->geometry(), QRect(400, 0, 238, 343));
    QCOMPARE(g->columnCount(), 3);
    QCOMPARE(g->rowCount(), 20);
    for (int c = 0; c < 3; ++c) QCOMPARE(g->columnWidth(c), 77);
    for (int r = 0; r < 20; ++r) QCOMPARE(g->rowHeight(r), 16);
    QCOMPARE(g->horizontalHeader()->height(), 16);
    QVERIFY(g->verticalHeader()->isHidden());
    QCOMPARE(g->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    QCOMPARE(g->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(g->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(g->selectionBehavior(), QAbstractItemView::SelectRows);

    t->platform.SetGridCell(0, 0, "Period");
    t->platform.SetGridCell(0, 2, "Frequency");
    t->platform.SetGridCell(1, 0, "0.5000000");
    t->platform.SetGridCell(20, 1, "0.125");
    t->platform.SetGridCell(21, 1, "beyond");  // ignored, no row 21
    QCOMPARE(g->horizontalHeaderItem(0)->text(), QString("Period"));
    QCOMPARE(g->horizontalHeaderItem(2)->text(), QString("Frequency"));
    QCOMPARE(g->item(0, 0)->text(), QString("0.5000000"));
    QCOMPARE(g->item(19, 1)->text(), QString("0.125"));

    t->platform.SetVisible(Control::StrGr, true);
    QVERIFY(g->isVisible());
    // Colours as drawn: header row, an unselected cell, and the text colour.
    QCOMPARE(PixelAt(g, 120, 8), QColor(200, 83, 70));
    QCOMPARE(PixelAt(g, 40, 16 + 16 * 5 + 8), QColor(141, 46, 44));
    QCOMPARE(g->palette().color(QPalette::Text), QColor(254, 254, 84));

    // The first trial row is selected until the user picks another.
    QCOMPARE(t->platform.SelectedGridRow(), 1);
    const QRect row5 = g->visualRect(g->model()->index(4, 1));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, row5.center());
    QCOMPARE(t->platform.SelectedGridRow(), 5);
  }

  void dialogsCarryTheirCaptionsLabelsAndDefaults() {
    TestProgram t({"korvel"});
    korvel::gui::Program& p = *t.program;
    // Created after the window, in this order, each an OK/Cancel dialog.
    QStringList order;
    for (QObject* o : p.form.children())
      if (auto* d = qobject_cast<korvel::gui::TOKRightDlg*>(o)) order << d->objectName();
    QCOMPARE(order, QStringList({"TDialLK", "TDlgLC", "TDlgSecP", "TMLCDlg"}));
    for (QWidget* w : p.Dialogs()) {
      auto* d = qobject_cast<korvel::gui::TOKRightDlg*>(w);
      QCOMPARE(d->OKBtn->text(), QString("OK"));
      QCOMPARE(d->CancelBtn->text(), QString("Cancel"));
      QCOMPARE(d->HelpBtn->text(), QString("Help"));
      QVERIFY(d->OKBtn->isDefault());
    }

    struct Field {
      QLineEdit* edit;
      const char* label;
      const char* text;
    };
    QCOMPARE(p.dialLK.windowTitle(), QString("Initial parameters"));
    QCOMPARE(p.dlgLC.windowTitle(), QString("Light curve elements"));
    QCOMPARE(p.dlgSecP.windowTitle(), QString("Parameters to search the secondary period"));
    QCOMPARE(p.mlcDlg.windowTitle(), QString("Moving average method calculation"));
    const Field fields[] = {
        {p.dialLK.Pmax, "Maximum trial period", "100"},
        {p.dialLK.Pmin, "Minimum trial period", "1"},
        {p.dialLK.PhaseShift, "Maximum phase shift", "0.05"},
        {p.dlgLC.Edit1, "Period", "0"},
        {p.dlgLC.Edit2, "Initial date", "0"},
        {p.dlgLC.Edit3, "Secondary period", "0"},
        {p.dlgLC.Edit4, "Extremum moment date", "0"},
        {p.dlgLC.Edit5, "Number of bins ", "8"},
        {p.dlgSecP.Period, "Primary period", "0"},
        {p.dlgSecP.Epoch, "Initial date of the primary period", "0"},
        {p.dlgSecP.ExtrDate, "Date of extremal light curve shape", "0"},
        {p.dlgSecP.Pmax, "Maximum trial secondary period", "1000"},
        {p.dlgSecP.Pmin, "Minimum trial secondary period", "1"},
        {p.dlgSecP.NBins, "Phase bin number for secondary period", "8"},
        {p.dlgSecP.PhaseShift, "Maximum phase shift of the secondary period", "0.05"},
        {p.mlcDlg.Edit1, "Number of average points (<100)", "40"},
        {p.mlcDlg.Edit2, "Length of the average bin", "0.05"},
        {p.mlcDlg.Edit3, "File name to collect mean light curves", ""},
        {p.mlcDlg.Edit4, "File name to save residuals of prewhitening", ""},
    };
    for (const Field& fd : fields) {
      QCOMPARE(LabelOf(fd.edit), QString(fd.label));
      QCOMPARE(fd.edit->text(), QString(fd.text));
    }

    QCOMPARE(p.dlgSecP.Mode->title(), QString("Mode"));
    QCOMPARE(p.dlgSecP.Mode1->text(),
             QString("To devide the phases of the secondary period  by bins"));
    QCOMPARE(p.dlgSecP.Mode2->text(),
             QString("To divide the phases of the primary period by bins"));
    QVERIFY(p.dlgSecP.Mode1->isChecked());
    QVERIFY(!p.dlgSecP.Mode2->isChecked());
    p.platform.SetChecked(Control::SecP_Mode2, true);
    QVERIFY(!p.platform.Checked(Control::SecP_Mode1));  // one group

    QCOMPARE(LabelOf(p.mlcDlg.SpinEdit1), QString("Number of the mean light curve"));
    QCOMPARE(p.mlcDlg.SpinEdit1->minimum(), 1);
    QCOMPARE(p.mlcDlg.SpinEdit1->maximum(), 100);
    QCOMPARE(p.mlcDlg.SpinEdit1->value(), 1);
    QCOMPARE(p.mlcDlg.Button1->text(), QString("..."));
    QCOMPARE(p.mlcDlg.CheckBox1->text(), QString("Append the existing file"));
    QVERIFY(p.mlcDlg.CheckBox1->isChecked());
    QVERIFY(!p.mlcDlg.CheckBox1->isEnabled());
    QCOMPARE(p.mlcDlg.CheckBox2->text(), QString("Check to be not saved"));
    QVERIFY(!p.mlcDlg.CheckBox2->isChecked());
  }

  void platformReachesEveryControl() {
    TestProgram t({"korvel"});
    korvel::gui::QtPlatform& pf = t->platform;
    for (int c = 0; c <= static_cast<int>(Control::MLC_CheckBox2); ++c)
      QVERIFY2(pf.IsBound(static_cast<Control>(c)), qPrintable(QString::number(c)));

    pf.SetText(Control::LK_Pmax, "250");
    QCOMPARE(t->dialLK.Pmax->text(), QString("250"));
    QCOMPARE(pf.Text(Control::LC_Edit5), std::string("8"));
    QCOMPARE(pf.Text(Control::MainWindow), std::string("Korvel for Windows"));
    pf.SetText(Control::MainWindow, "/data/star.dat");
    QCOMPARE(t->form.windowTitle(), QString("/data/star.dat"));
    pf.SetText(Control::Px2, "P/2");
    QCOMPARE(t->form.Px2->text(), QString("P/2"));
    // Non-ASCII text survives the round trip.
    pf.SetText(Control::MLC_Edit3, "кривые.sup");
    QCOMPARE(pf.Text(Control::MLC_Edit3), std::string("кривые.sup"));

    pf.SetValue(Control::SpinEdit1, 25);
    QCOMPARE(pf.Value(Control::SpinEdit1), 20);
    pf.SetValue(Control::MLC_SpinEdit1, 42);
    QCOMPARE(t->mlcDlg.SpinEdit1->value(), 42);

    QVERIFY(!pf.Visible(Control::BPrewhite));
    QVERIFY(pf.Visible(Control::BTable));
    pf.SetVisible(Control::BPrewhite, true);
    QVERIFY(pf.Visible(Control::BPrewhite));
    QVERIFY(!pf.Checked(Control::ChBZero));
    pf.SetChecked(Control::ChBZero, true);
    QVERIFY(t->form.ChBZero->isChecked());
    pf.SetEnabled(Control::MLC_CheckBox1, true);
    QVERIFY(pf.Enabled(Control::MLC_CheckBox1));

    pf.SetStatus("Running...");
    QCOMPARE(t->form.StatusBar1->currentMessage(), QString("Running..."));

    QVERIFY(!pf.TimerEnabled());
    QCOMPARE(t->form.Timer1->interval(), 1000);
    pf.SetTimerEnabled(true);
    QVERIFY(t->form.Timer1->isActive());
    pf.SetTimerEnabled(false);
    QVERIFY(!pf.TimerEnabled());
  }

  void focusGoesToTheNamedField() {
    TestProgram t({"korvel"});
    korvel::gui::TDialLK& d = t->dialLK;
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    t->platform.Focus(Control::LK_Pmin);
    QCOMPARE(d.focusWidget(), static_cast<QWidget*>(d.Pmin));
    QCOMPARE(d.Pmin->selectedText(), QString("1"));
    d.hide();
  }

  void dialogClosesWithOkOnlyWhenItsHandlerAccepts() {
    TestProgram t({"korvel"});
    korvel::gui::QtPlatform& pf = t->platform;
    int clicks = 0;
    pf.SetDialogHook([](korvel::gui::TOKRightDlg& d) {
      d.OKBtn->click();  // refused: stays open
      d.OKBtn->click();  // accepted
    });
    QVERIFY(pf.ShowDialog(Dialog::LK, [&] { return ++clicks == 2; }));
    QCOMPARE(clicks, 2);

    pf.SetDialogHook([](korvel::gui::TOKRightDlg& d) { d.CancelBtn->click(); });
    QVERIFY(!pf.ShowDialog(Dialog::LC, [&] { return true; }));

    // An error inside OK is shown and keeps the dialog open.
    pf.SetDialogHook([](korvel::gui::TOKRightDlg& d) { d.OKBtn->click(); });
    QVERIFY(
        !pf.ShowDialog(Dialog::SecP, []() -> bool { throw std::runtime_error("I/O error 5"); }));
    QCOMPARE(t.messages, std::vector<std::string>({"I/O error 5"}));

    // The real modal loop: OK pressed while the dialog is shown.
    pf.SetDialogHook(nullptr);
    korvel::gui::TMLCDlg& mlc = t->mlcDlg;
    QTimer::singleShot(0, &mlc, [&mlc] {
      mlc.Edit1->setText("30");
      QTest::mouseClick(mlc.OKBtn, Qt::LeftButton);
    });
    std::string seen;
    QVERIFY(pf.ShowDialog(Dialog::MLC, [&] {
      seen = pf.Text(Control::MLC_Edit1);
      return true;
    }));
    QCOMPARE(seen, std::string("30"));
    QVERIFY(!mlc.isVisible());
    // The texts stay for the next showing.
    QCOMPARE(mlc.Edit1->text(), QString("30"));
  }

  void fileDialogsKeepNameAndDirectoryAndLoopUntilAccepted() {
    TestProgram t({"korvel"});
    korvel::gui::QtPlatform& pf = t->platform;
    struct Look {
      FileDialog d;
      QString title;
      QStringList filters;
    };
    const Look looks[] = {
        {FileDialog::FindFile, "Поиск файла", {"Все файлы (*.*)", "Звезды (*.dat *.ne2 *.o)"}},
        {FileDialog::SaveFile, "Установите имя для нового файла...", {}},
        {FileDialog::MLCFileShow,
         "Поиск файла средней кривой блеска",
         {"Средние кривые (*.sup)", "Другие файлы (*.*)"}},
        {FileDialog::MLCDialog, {}, {"Средние кривые (*.sup)", "Другие файлы (*.*)"}},
    };
    QCOMPARE(pf.FileDialogName(FileDialog::MLCFileShow), std::string("ci51.mlc"));
    for (const Look& l : looks) {
      pf.SetFileDialogDir(l.d, tmp.path().toStdString());
      bool checked = false;
      pf.SetFileDialogHook([&](FileDialog d, QFileDialog& fd) -> std::optional<std::string> {
        checked = d == l.d && fd.testOption(QFileDialog::DontUseNativeDialog) &&
                  QDir(fd.directory()) == QDir(tmp.path());
        if (!l.title.isEmpty()) checked = checked && fd.windowTitle() == l.title;
        if (!l.filters.isEmpty()) checked = checked && fd.nameFilters() == l.filters;
        if (l.d == FileDialog::SaveFile)
          checked = checked && fd.acceptMode() == QFileDialog::AcceptSave &&
                    fd.testOption(QFileDialog::DontConfirmOverwrite);
        return std::nullopt;
      });
      QVERIFY(!pf.RunFileDialog(l.d, [](const std::string&) { return true; }));
      QVERIFY2(checked, qPrintable(l.title));
    }

    // Refused names show the dialog again; the last confirmed name is kept.
    std::vector<std::string> answers = {"/x/first.dat", "/x/second.dat"};
    size_t shown = 0;
    pf.SetFileDialogHook([&](FileDialog, QFileDialog&) -> std::optional<std::string> {
      return answers.at(shown++);
    });
    std::vector<std::string> offered;
    QVERIFY(pf.RunFileDialog(FileDialog::SaveFile, [&](const std::string& n) {
      offered.push_back(n);
      return offered.size() == 2;
    }));
    QCOMPARE(offered, answers);
    QCOMPARE(pf.FileDialogName(FileDialog::SaveFile), std::string("/x/second.dat"));
    // Each dialog has its own name and directory.
    pf.SetFileDialogName(FileDialog::FindFile, "a.dat");
    pf.SetFileDialogDir(FileDialog::MLCDialog, "/curves");
    QCOMPARE(pf.FileDialogName(FileDialog::FindFile), std::string("a.dat"));
    QCOMPARE(pf.FileDialogName(FileDialog::SaveFile), std::string("/x/second.dat"));
    QCOMPARE(pf.FileDialogDir(FileDialog::MLCDialog), std::string("/curves"));
    QCOMPARE(pf.FileDialogDir(FileDialog::FindFile), tmp.path().toStdString());
  }

  void everyControlIsInTheCommandTable() {
    TestProgram t({"korvel"});
    korvel::gui::Program& p = *t.program;
    QStringList named;
    for (const korvel::gui::CommandBinding& b : korvel::gui::CommandTable()) {
      QObject* o = korvel::gui::FindCommandObject(b.object, p.form, p.Dialogs());
      QVERIFY2(o && korvel::gui::CanRunCommands(o), b.object);
      named << b.object;
    }
    // Every menu command and every panel button has its entry.
    for (QAction* a : p.form.findChildren<QAction*>())
      if (!a->menu() && !a->isSeparator() && !a->objectName().isEmpty())
        QVERIFY2(named.contains(a->objectName()), qPrintable(a->objectName()));
    for (QAbstractButton* b : p.form.Panel1->findChildren<QAbstractButton*>())
      QVERIFY2(named.contains(b->objectName()), qPrintable(b->objectName()));
  }

  void wiredCommandsRunTheirHandlers() {
    TestProgram t({"korvel"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    const QString oldDir = QDir::currentPath();
    QDir::setCurrent(tmp.path());
    const std::string file = WriteFile(tmp, "v.dat", "100.5 12.3\n101.25 12.6\n");

    // File > Open through its dialog.
    p.platform.SetFileDialogHook(
        [&](FileDialog, QFileDialog&) -> std::optional<std::string> { return file; });
    p.form.findChild<QAction*>("BfileopenClick")->trigger();
    QCOMPARE(p.form.StatusBar1->currentMessage(), QString("Done... Number of observations: 2"));
    QCOMPARE(p.form.windowTitle(), QString::fromStdString(file));
    QVERIFY(p.form.MethodMenu->menuAction()->isEnabled());
    QCOMPARE(p.form.JDmax->text(), QString("101.2500"));
    // No default.cfg in the current directory: said once, the load goes on.
    QCOMPARE(t.messages, std::vector<std::string>({"Default parameters file not found..."}));

    // File > Save parameters writes default.cfg there.
    p.form.findChild<QAction*>("Save1Click")->trigger();
    QVERIFY(QFile::exists(tmp.filePath("default.cfg")));

    // All hides itself.
    p.form.ButAllDiap->show();
    QTest::mouseClick(p.form.ButAllDiap, Qt::LeftButton);
    QVERIFY(!p.form.ButAllDiap->isVisible());

    // Help says that no help is installed.
    t.messages.clear();
    p.dlgSecP.HelpBtn->click();
    QCOMPARE(t.messages, std::vector<std::string>({"No help is installed..."}));

    // Closing during a search stops it; Exit closes the window.
    p.state.RunCode = 'r';
    p.form.findChild<QAction*>("Exit3Click")->trigger();
    QVERIFY(!p.form.isVisible());
    QCOMPARE(p.state.RunCode, 'e');
    QDir::setCurrent(oldDir);
  }

  void searchRunsFromTheMenuStopsAndFillsTheGrid() {
    TestProgram t({"korvel"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    const QString oldDir = QDir::currentPath();
    QDir::setCurrent(tmp.path());
    // A 10-day sinusoid over 400 days.
    std::string text;
    for (int i = 0; i < 400; ++i) {
      const double jd = 1000 + i + 0.37 * (i % 3);
      text +=
          std::to_string(jd) + " " + std::to_string(12 + 0.5 * std::sin(2 * M_PI * jd / 10)) + "\n";
    }
    const std::string file = WriteFile(tmp, "sine.dat", text);
    p.platform.SetFileDialogHook(
        [&](FileDialog, QFileDialog&) -> std::optional<std::string> { return file; });
    p.form.findChild<QAction*>("BfileopenClick")->trigger();
    QCOMPARE(p.form.StatusBar1->currentMessage(), QString("Done... Number of observations: 400"));

    // Table before any search does nothing.
    QTest::mouseClick(p.form.BTable, Qt::LeftButton);
    QVERIFY(!p.form.StrGr->isVisible());

    int shown = 0;
    p.platform.SetDialogHook([&](korvel::gui::TOKRightDlg& d) {
      auto* lk = qobject_cast<korvel::gui::TDialLK*>(&d);
      QVERIFY(lk);
      ++shown;
      lk->Pmax->setText("20");
      lk->Pmin->setText("5");
      lk->OKBtn->click();
    });
    p.form.findChild<QAction*>("LaflerKinman1Click")->trigger();
    QCOMPARE(shown, 1);
    QCOMPARE(p.state.RunCode, 'e');
    QVERIFY(!p.form.Timer1->isActive());
    QVERIFY(p.form.StatusBar1->currentMessage().startsWith("Done"));

    // Table shows the best trial first; picking it sets the period.
    QTest::mouseClick(p.form.BTable, Qt::LeftButton);
    QVERIFY(p.form.StrGr->isVisible());
    QCOMPARE(p.form.StrGr->horizontalHeaderItem(1)->text(), QString("Parameter"));
    QVERIFY(std::abs(p.form.StrGr->item(0, 0)->text().toDouble() - 10.0) < 0.01);
    const QRect row1 = p.form.StrGr->visualRect(p.form.StrGr->model()->index(0, 1));
    QTest::mouseClick(p.form.StrGr->viewport(), Qt::LeftButton, {}, row1.center());
    QVERIFY(!p.form.StrGr->isVisible());
    QCOMPARE(p.state.Period, p.state.BestPeriod[1]);
    QCOMPARE(p.state.View, 'l');

    // Stop, clicked while a long search passes to the event loop, ends it
    // after the current trial with the best so far kept.
    p.platform.SetDialogHook([&](korvel::gui::TOKRightDlg& d) {
      auto* lk = qobject_cast<korvel::gui::TDialLK*>(&d);
      lk->Pmax->setText("100");
      lk->Pmin->setText("0.002");
      lk->OKBtn->click();
      QTimer::singleShot(50, p.form.BStop, [&] {
        // The one-second timer runs while the engine does.
        QVERIFY(p.form.Timer1->isActive());
        QVERIFY(p.form.BStop->isEnabled());
        QTest::mouseClick(p.form.BStop, Qt::LeftButton);
      });
    });
    p.form.findChild<QAction*>("Deeming1Click")->trigger();
    QCOMPARE(p.state.RunCode, 'e');
    QVERIFY(!p.form.Timer1->isActive());
    QVERIFY(p.state.Freq < p.state.FreqEnd);
    QVERIFY(p.state.BestPeriod[1] > 0);
    QDir::setCurrent(oldDir);
  }

  void waveAndPrewhiteningRunFromTheWindow() {
    TestProgram t({"korvel"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    // A 2-day sinusoid over 60 days.
    std::string text;
    for (int i = 0; i < 300; ++i) {
      const double jd = 1000 + i * 0.2 + 0.013 * (i % 7);
      text +=
          std::to_string(jd) + " " + std::to_string(12 + 0.5 * std::sin(2 * M_PI * jd / 2)) + "\n";
    }
    const std::string file = WriteFile(tmp, "sine.dat", text);
    const std::string collect = tmp.filePath("sine.sup").toStdString();
    const std::string residuals = tmp.filePath("sine.o").toStdString();
    p.platform.SetFileDialogHook(
        [&](FileDialog, QFileDialog&) -> std::optional<std::string> { return file; });
    p.form.findChild<QAction*>("BfileopenClick")->trigger();
    QCOMPARE(p.mlcDlg.Edit4->text().toStdString(), residuals);

    // Wave does nothing on the time view.
    int shown = 0;
    p.platform.SetDialogHook([&](korvel::gui::TOKRightDlg&) { ++shown; });
    QTest::mouseClick(p.form.Butt2wave, Qt::LeftButton);
    QCOMPARE(shown, 0);

    // The phase light curve of period 2, then Wave through its dialog: the
    // browse button fills the collecting file name, which does not exist yet.
    p.platform.SetDialogHook([&](korvel::gui::TOKRightDlg& d) {
      auto* lc = qobject_cast<korvel::gui::TDlgLC*>(&d);
      QVERIFY(lc);
      lc->Edit1->setText("2");
      lc->Edit2->setText("1000");
      lc->OKBtn->click();
    });
    p.form.findChild<QAction*>("Lightcurveofthemainperiod1Click")->trigger();
    QCOMPARE(p.state.View, 'l');
    p.platform.SetFileDialogHook([&](FileDialog d, QFileDialog&) -> std::optional<std::string> {
      if (d == FileDialog::MLCDialog) return collect;
      return std::nullopt;
    });
    bool appendChecked = false, appendEnabled = true;
    p.platform.SetDialogHook([&](korvel::gui::TOKRightDlg& d) {
      auto* mlc = qobject_cast<korvel::gui::TMLCDlg*>(&d);
      QVERIFY(mlc);
      ++shown;
      appendChecked = mlc->CheckBox1->isChecked();
      mlc->Button1->click();
      appendEnabled = mlc->CheckBox1->isEnabled();
      mlc->Edit1->setText("20");
      mlc->OKBtn->click();
    });
    QTest::mouseClick(p.form.Butt2wave, Qt::LeftButton);
    QCOMPARE(shown, 1);
    QVERIFY(appendChecked);
    QVERIFY(!appendEnabled);
    QCOMPARE(p.mlcDlg.Edit3->text().toStdString(), collect);
    QCOMPARE(p.state.View, 'm');
    QCOMPARE(p.state.MeanPoints, 20);
    QVERIFY(p.form.BPrewhite->isVisible());

    // Prewhitening: the collecting and residual files, the button hidden.
    QTest::mouseClick(p.form.BPrewhite, Qt::LeftButton);
    QVERIFY(!p.form.BPrewhite->isVisible());
    QCOMPARE(p.state.View, 'd');
    QVERIFY(QFile::exists(QString::fromStdString(collect)));
    QVERIFY(QFile::exists(QString::fromStdString(residuals)));
    QVERIFY(p.state.MagVar < 0.01);

    // Mean light curve file reads the collected curve back.
    p.platform.SetFileDialogHook([&](FileDialog d, QFileDialog&) -> std::optional<std::string> {
      if (d == FileDialog::MLCFileShow) return collect;
      return std::nullopt;
    });
    t.messages.clear();
    p.form.findChild<QAction*>("OnMLCfileClick")->trigger();
    QVERIFY(t.messages.empty());
    QVERIFY(p.state.MLCLoaded);
    QCOMPARE(p.state.MLCCurves, 1);
    QCOMPARE(p.state.MLCCount[1], 20);
  }

 private:
  QTemporaryDir tmp;
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
