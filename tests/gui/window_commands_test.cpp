// The window's commands: every control in the command table, the wired
// handlers, a search from the menu with Stop, and the wave and prewhitening
// run through their dialogs.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "gui/command_table.h"
#include "gui_test_support.h"
#include "search/peak_text.h"

using korvel::FileDialog;
using korvel::gui::testing::TestProgram;
using korvel::gui::testing::WriteFile;

class WindowCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(tmp.isValid()); }

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

    // Help of a dialog opens the guide at that dialog's section.
    p.dlgSecP.HelpBtn->click();
    QCOMPARE(t.helpTopics, std::vector<std::string>({"Parameters to search the secondary period"}));

    // Closing during a search stops it; Exit closes the window.
    p.state.RunCode = 'r';
    p.form.findChild<QAction*>("Exit3Click")->trigger();
    QVERIFY(!p.form.isVisible());
    QCOMPARE(p.state.RunCode, 'e');
    QDir::setCurrent(oldDir);
  }

  void keysRunTheirCommands() {
    TestProgram t({"korvel"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    QTest::keyClick(&p.form, Qt::Key_F5);
    QCOMPARE(p.form.StatusBar1->currentMessage(), QString("No search to repeat yet."));
    QTest::keyClick(&p.form, Qt::Key_F1);
    QCOMPARE(t.helpTopics, std::vector<std::string>({""}));
    p.platform.SetVisible(korvel::Control::PeakGr, true);
    QTest::keyClick(&p.form, Qt::Key_Escape);
    QVERIFY(!p.platform.Visible(korvel::Control::PeakGr));
    QVERIFY(!p.form.TablePanel->isVisible());
    // Ctrl+O is File > Open, Ctrl+E Export picture, Ctrl+S Save analysis
    // (which, with nothing loaded, says why it cannot).
    std::vector<FileDialog> asked;
    p.platform.SetFileDialogHook([&](FileDialog d, QFileDialog&) -> std::optional<std::string> {
      asked.push_back(d);
      return std::nullopt;
    });
    QTest::keyClick(&p.form, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(&p.form, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(asked, std::vector<FileDialog>({FileDialog::FindFile, FileDialog::ExportPicture}));
    const size_t said = t.messages.size();
    QTest::keyClick(&p.form, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(t.messages.size(), said + 1);

    // F1 in a dialog, modal as the commands show it, does what its Help
    // button does.
    p.dlgLC.setModal(true);
    p.dlgLC.show();
    p.dlgLC.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p.dlgLC));
    QTest::keyClick(&p.dlgLC, Qt::Key_F1);
    QCOMPARE(t.helpTopics, std::vector<std::string>({"", "Light curve elements"}));
    p.dlgLC.hide();
  }

  // The Open dialog's Band box lists the selected file's bands, most rows
  // first, and the band picked there is the one loaded; a plain file has
  // no bands to pick.
  void openDialogBandBoxChoosesTheBandLoaded() {
    TestProgram t({"korvel"});
    korvel::gui::Program& p = *t.program;
    const std::string csv =
        WriteFile(tmp, "two.csv",
                  "JD,Mag,Err,Band\n1,10,0.1,V\n2,11,0.1,V\n3,12,0.1,B\n4,,0.1,V\n5,9,0.1,V\n");
    const std::string plain = WriteFile(tmp, "plain.dat", "1 10\n2 11\n");
    QStringList items;
    bool plainBoxEnabled = true;
    p.platform.SetFileDialogHook([&](FileDialog, QFileDialog& fd) -> std::optional<std::string> {
      auto* box = fd.findChild<QComboBox*>("BandChoice");
      if (!box) return std::nullopt;
      emit fd.currentChanged(QString::fromStdString(plain));
      plainBoxEnabled = box->isEnabled();
      emit fd.currentChanged(QString::fromStdString(csv));
      for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
      box->setCurrentIndex(1);
      return csv;
    });
    p.form.findChild<QAction*>("BfileopenClick")->trigger();
    QVERIFY(!plainBoxEnabled);
    QCOMPARE(items, QStringList({"V (3)", "B (1)"}));
    QCOMPARE(p.form.StatusBar1->currentMessage(),
             QString("CSV B: 1 of 1 rows, dates JD. Number of observations: 1"));
    QCOMPARE(p.state.Loaded.band, std::string("B"));
  }

  // A format picked in the Open dialog re-lists the bands as read in it and
  // is the one the load uses: a CSV read as plain cannot be read, the Band
  // box says so, and Open refuses it with the reason, the data kept.
  void openDialogFormatBoxOverridesTheFormatRecognised() {
    TestProgram t({"korvel"});
    korvel::gui::Program& p = *t.program;
    const std::string csv = WriteFile(tmp, "v.csv", "JD,Mag,Band\n1,10,V\n2,11,V\n3,12,B\n");
    int opens = 0;
    bool forcedBandsEnabled = true;
    QString recognised;
    p.platform.SetFileDialogHook([&](FileDialog, QFileDialog& fd) -> std::optional<std::string> {
      auto* format = fd.findChild<QComboBox*>("FormatChoice");
      auto* band = fd.findChild<QComboBox*>("BandChoice");
      if (!format || !band) return std::nullopt;
      emit fd.currentChanged(QString::fromStdString(csv));
      recognised = format->currentText();
      if (++opens == 2) {
        format->setCurrentIndex(format->findText("Plain"));
        forcedBandsEnabled = band->isEnabled();
      }
      return csv;
    });
    p.form.findChild<QAction*>("BfileopenClick")->trigger();
    QCOMPARE(recognised, QString("Recognised: CSV"));
    QCOMPARE(p.state.NObs, 2);  // V, the band with most rows
    const size_t said = t.messages.size();
    p.form.findChild<QAction*>("BfileopenClick")->trigger();
    QVERIFY(!forcedBandsEnabled);
    QCOMPARE(t.messages.size(), said + 1);
    QVERIFY2(t.messages.back().find(csv) != std::string::npos, t.messages.back().c_str());
    QCOMPARE(p.state.NObs, 2);
    QCOMPARE(p.state.Loaded.format, korvel::ObservationFormat::Csv);
  }

  void searchRunsFromTheMenuStopsAndFillsTheGrid() {
    TestProgram t({"korvel"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    // Worker threads compute the trials; the window thread keeps the events.
    p.ctx.threads = 3;
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
    QVERIFY2(p.form.StatusBar1->currentMessage().startsWith("P = 10.0"),
             qPrintable(p.form.StatusBar1->currentMessage()));
    // One thread finds exactly the same.
    const korvel::AnalysisState threaded = p.state;
    p.ctx.threads = 1;
    p.form.findChild<QAction*>("LaflerKinman1Click")->trigger();
    QVERIFY(p.state.BestParam == threaded.BestParam && p.state.BestFreq == threaded.BestFreq);
    QVERIFY(p.state.SpecHigh == threaded.SpecHigh && p.state.SpecLow == threaded.SpecLow);
    p.ctx.threads = 3;

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

    // Table twice: the distinct peaks in the grid's place, no larger than
    // it; picking the second folds on its period.
    QTest::mouseClick(p.form.BTable, Qt::LeftButton);
    QTest::mouseClick(p.form.BTable, Qt::LeftButton);
    QTableWidget* peaks = p.form.PeakGr;
    QVERIFY(peaks->isVisible() && !p.form.StrGr->isVisible());
    QCOMPARE(peaks->rowCount(), static_cast<int>(p.ctx.peaks.peaks.size()));
    QCOMPARE(peaks->horizontalHeaderItem(2)->text(), QString("FAP"));
    QVERIFY(peaks->item(0, 0)->text().contains(QChar(0x00b1)));
    QVERIFY(peaks->geometry().width() * peaks->geometry().height() <
            p.form.StrGr->geometry().width() * p.form.StrGr->geometry().height());
    const QRect peak2 = peaks->visualRect(peaks->model()->index(1, 1));
    QTest::mouseClick(peaks->viewport(), Qt::LeftButton, {}, peak2.center());
    QVERIFY(!peaks->isVisible());
    QCOMPARE(p.state.Period, korvel::PeakPeriod(p.ctx.peaks.peaks[1]));

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

QTEST_MAIN(WindowCommandsTest)
#include "window_commands_test.moc"
