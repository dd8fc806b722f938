// The command line through a real window: what the first activation loads,
// and that later activations leave the session alone.
#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "gui_test_support.h"

using korvel::Control;
using korvel::gui::testing::TestProgram;
using korvel::gui::testing::WriteFile;

class CommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    // The executable's path decides where default.cfg is looked for.
    exe = dir->filePath("korvel").toStdString();
    obs = WriteFile(*dir, "star.dat", "59001.1234  12.345\n59002.2  12.5\n59003.56789  12.1\n");
  }

  void fileArgumentIsLoadedAtActivation() {
    TestProgram t({exe, obs});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::TForm1& f = t->form;
    QCOMPARE(f.StatusBar1->currentMessage(), QString("Done... Number of observations: 3"));
    QCOMPARE(f.windowTitle(), QString::fromStdString(obs));
    QVERIFY(f.MethodMenu->menuAction()->isEnabled());
    QCOMPARE(f.JDmin->text(), QString("59001.1234"));
    QCOMPARE(f.JDmax->text(), QString("59003.5679"));
    QCOMPARE(f.SpinEdit1->value(), 1);
    QCOMPARE(t->state.View, 't');
    QCOMPARE(t->state.DataReady, 'y');
    // The residual file field of the moving-average dialog follows the file.
    QCOMPARE(t->mlcDlg.Edit4->text(), dir->filePath("star.o"));
    QCOMPARE(t.messages, std::vector<std::string>({"Default parameters file not found..."}));
  }

  void columnBeyondTheSpinRangeIsStillRead() {
    std::string line = "59010.5";
    for (int k = 1; k <= 25; ++k) {
      line += ' ';
      line += std::to_string(10 + k);
      line += ".5";
    }
    const std::string wide = WriteFile(*dir, "wide.dat", line + "\n");
    TestProgram t({exe, wide, "25"});
    QVERIFY(t.ShowAndActivate());
    QCOMPARE(t->form.SpinEdit1->value(), 20);
    QCOMPARE(t->state.NObs, 1);
    QCOMPARE(t->state.Mag[1], 35.5);
  }

  void viewLetterShowsThatViewWithTheSavedElements() {
    WriteFile(*dir, "default.cfg",
              std::string("/tmp\r\nstar.dat\r\n0.5000000\r\n59000.0000\r\n0.0000000\r\n"
                          "     0.0000\r\n 8\r\n"));
    TestProgram t({exe, obs, "1", "l", "r"});
    QVERIFY(t.ShowAndActivate());
    QVERIFY(t.messages.empty());
    QCOMPARE(t->state.View, 'l');
    QCOMPARE(t->state.Period, 0.5);
    QCOMPARE(t->state.Epoch, 59000.0);
    QCOMPARE(t->state.RecentMark, 'r');
    QCOMPARE(t->dlgLC.Edit1->text(), QString("0.5000000"));
    QCOMPARE(t->dlgSecP.Epoch->text(), QString("59000.0000"));
    QCOMPARE(t->platform.FileDialogName(korvel::FileDialog::FindFile), std::string("star.dat"));
  }

  void missingFileIsReportedAndNothingIsLoaded() {
    TestProgram t({exe, dir->filePath("absent.dat").toStdString()});
    QVERIFY(t.ShowAndActivate());
    QCOMPARE(t.messages, std::vector<std::string>(
                             {"Default parameters file not found...", "File does not exist..."}));
    QCOMPARE(t->form.windowTitle(), QString("Korvel for Windows"));
    QVERIFY(!t->form.MethodMenu->menuAction()->isEnabled());
    QCOMPARE(t->state.NObs, 0);
  }

  void laterActivationsChangeNothing() {
    TestProgram t({exe, obs});
    QVERIFY(t.ShowAndActivate());
    QCOMPARE(t->state.NObs, 3);
    t.messages.clear();

    // The user narrows the window and the file goes away; then another
    // window takes the focus and gives it back.
    t->form.JDmin->setText("59002.0");
    QVERIFY(QFile::remove(QString::fromStdString(obs)));
    t->state.View = 'l';
    QSignalSpy activations(&t->form, &korvel::gui::TForm1::activated);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    t->form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&t->form));
    QVERIFY(activations.count() > 0 || activations.wait(2000));

    QVERIFY(t.messages.empty());
    QCOMPARE(t->state.NObs, 3);
    QCOMPARE(t->state.View, 'l');
    QCOMPARE(t->form.JDmin->text(), QString("59002.0"));
    QCOMPARE(t->form.StatusBar1->currentMessage(), QString("Done... Number of observations: 3"));
  }

  void noArgumentsLoadNothing() {
    TestProgram t({exe});
    QVERIFY(t.ShowAndActivate());
    QVERIFY(t.messages.empty());
    QCOMPARE(t->state.NObs, 0);
    QCOMPARE(t->state.View, 't');
    QVERIFY(t->form.StatusBar1->currentMessage().isEmpty());
    QVERIFY(!t->form.MethodMenu->menuAction()->isEnabled());
  }

 private:
  std::unique_ptr<QTemporaryDir> dir;
  std::string exe, obs;
};

QTEST_MAIN(CommandLineTest)
#include "command_line_test.moc"
