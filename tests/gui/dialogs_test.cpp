// The five dialogs shown offscreen: captions, labels and defaults, the focus
// the platform puts into a field, OK closing only when the handler accepts,
// and the file dialogs.
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "gui_test_support.h"

using korvel::Control;
using korvel::Dialog;
using korvel::FileDialog;
using korvel::gui::testing::TestProgram;

namespace {

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

// The text of the label that shares a field's row at its right, if any.
QString UnitOf(QWidget* field) {
  auto* form = field->window()->findChild<QFormLayout*>();
  for (int r = 0; form && r < form->rowCount(); ++r) {
    QLayoutItem* item = form->itemAt(r, QFormLayout::FieldRole);
    QLayout* row = item ? item->layout() : nullptr;
    if (!row || row->indexOf(field) < 0) continue;
    for (int i = row->indexOf(field) + 1; i < row->count(); ++i)
      if (auto* l = qobject_cast<QLabel*>(row->itemAt(i)->widget())) return l->text();
  }
  return {};
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(tmp.isValid()); }

  void dialogsCarryTheirCaptionsLabelsAndDefaults() {
    TestProgram t({"korvel"});
    korvel::gui::Program& p = *t.program;
    // Created after the window, in this order, each an OK/Cancel dialog.
    QStringList order;
    for (QObject* o : p.form.children())
      if (auto* d = qobject_cast<korvel::gui::TOKRightDlg*>(o)) order << d->objectName();
    QCOMPARE(order, QStringList({"TDialLK", "TDlgLC", "TDlgSecP", "TMLCDlg", "TFitDlg"}));
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

  void searchFieldsShowDaysAndEveryFieldExplainsItself() {
    TestProgram t({"korvel"});
    korvel::gui::Program& p = *t.program;
    QWidget* inDays[] = {p.dialLK.Pmax,      p.dlgSecP.Period, p.dialLK.Pmin, p.dlgSecP.Epoch,
                         p.dlgSecP.ExtrDate, p.dlgSecP.Pmax,   p.dlgSecP.Pmin};
    for (QWidget* w : inDays) QCOMPARE(UnitOf(w), QString("days"));
    for (QWidget* w : {p.dialLK.PhaseShift, p.dlgSecP.NBins, p.dlgSecP.PhaseShift})
      QCOMPARE(UnitOf(w), QString());
    for (QWidget* d : p.Dialogs())
      for (QWidget* w : d->findChildren<QWidget*>())
        if ((qobject_cast<QLineEdit*>(w) && !qobject_cast<QSpinBox*>(w->parentWidget())) ||
            qobject_cast<QSpinBox*>(w) || qobject_cast<QCheckBox*>(w) ||
            qobject_cast<QRadioButton*>(w))
          QVERIFY2(!w->toolTip().isEmpty(), qPrintable(d->objectName() + "." + w->objectName()));
  }

  void guidanceFollowsTheFieldsAsTheyAreTyped() {
    TestProgram t({"korvel"});
    korvel::gui::Program& p = *t.program;
    QVERIFY(p.dialLK.Guidance->wordWrap() && p.dlgSecP.Guidance->wordWrap());
    p.dialLK.Pmin->setText("1x");
    QVERIFY2(p.dialLK.Guidance->text().contains("\"Minimum trial period\" is not a number"),
             qPrintable(p.dialLK.Guidance->text()));
    p.dlgSecP.PhaseShift->setText("");
    QVERIFY2(p.dlgSecP.Guidance->text().contains(
                 "\"Maximum phase shift of the secondary period\" is not a number"),
             qPrintable(p.dlgSecP.Guidance->text()));
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
        {FileDialog::FindFile, "Find file", {"All files (*.*)", "Stars (*.dat *.ne2 *.o)"}},
        {FileDialog::SaveFile, "Set a name for the new file...", {}},
        {FileDialog::MLCFileShow,
         "Find the mean light curve file",
         {"Mean light curves (*.sup)", "Other files (*.*)"}},
        {FileDialog::MLCDialog, {}, {"Mean light curves (*.sup)", "Other files (*.*)"}},
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

 private:
  QTemporaryDir tmp;
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
