// The plot surface of the window on the sample star: the pictures it shows,
// the spectrum growing during a search with its progress bar, incremental
// drawing, and the same pixels as the files korvel-batch plot writes.
#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "gui/plot_surface.h"
#include "gui_test_support.h"
#include "search/peak_text.h"

using korvel::gui::testing::TestProgram;

namespace {

const QString kSample = QStringLiteral(KORVEL_SAMPLES_DIR "/sample_star.dat");

// White pixels in the rectangle left <= x < right, top <= y < bottom.
int WhiteIn(const QImage& image, int left, int top, int right, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if ((image.pixel(x, y) & 0xffffffu) == 0xffffffu) ++n;
  return n;
}

// Runs korvel-batch plot on the sample star; the picture it wrote, or a null
// image when it failed.
QImage BatchPicture(const QString& out, const QStringList& options) {
  QProcess batch;
  batch.start(KORVEL_BATCH_PATH, QStringList{"plot", kSample, "-o", out} + options);
  if (!batch.waitForFinished(60000) || batch.exitStatus() != QProcess::NormalExit ||
      batch.exitCode() != 0) {
    qWarning("korvel-batch: %s", batch.readAllStandardError().constData());
    return {};
  }
  return QImage(out).convertToFormat(QImage::Format_RGB32);
}

// The first pixel where two pictures differ, as text; empty when they agree.
QString Difference(const QImage& a, const QImage& b) {
  if (a.size() != b.size())
    return QString("sizes %1x%2 and %3x%4")
        .arg(a.width())
        .arg(a.height())
        .arg(b.width())
        .arg(b.height());
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if ((a.pixel(x, y) & 0xffffffu) != (b.pixel(x, y) & 0xffffffu))
        return QString("pixel (%1, %2): %3 and %4")
            .arg(x)
            .arg(y)
            .arg(a.pixel(x, y) & 0xffffffu, 6, 16)
            .arg(b.pixel(x, y) & 0xffffffu, 6, 16);
  return {};
}

}  // namespace

class PlotWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(tmp.isValid());
    // The elements of the sample star in default.cfg beside the executable.
    exe = tmp.filePath("korvel").toStdString();
    QFile::remove(tmp.filePath("default.cfg"));
    QVERIFY(QFile::copy(KORVEL_SAMPLES_DIR "/default.cfg", tmp.filePath("default.cfg")));
  }

  void startDrawsTheTimeViewOfTheSampleStar() {
    TestProgram t({exe, kSample.toStdString(), "1"});
    QVERIFY(t.ShowAndActivate());
    QVERIFY(t.messages.empty());
    korvel::gui::PlotSurface* pwin = t->form.PWin;
    QTRY_VERIFY(!pwin->FullRepaintPending());
    const QImage& picture = pwin->Picture();
    QCOMPARE(picture.size(), QSize(734, 432));
    const int W = 734, H = 432, L = 80, T = 50, R = W - 20, B = H - 80;
    // Points inside the frame (right of the value ticks), none below it.
    QVERIFY(WhiteIn(picture, L + 3, T, R, B) > 2000);
    QCOMPARE(picture.pixel(L + 100, T + 2) & 0xffffffu, 0x0000ffu);  // frame fill
    QCOMPARE(picture.pixel(2, H - 2) & 0xffffffu, 0x0080ffu);        // window colour
    QCOMPARE(WhiteIn(picture, L + 3, B + 5, R, B + 6), 0);
    // The surface shows its picture.
    QCOMPARE(pwin->grab().toImage().convertToFormat(QImage::Format_RGB32), picture);
    // The search progress bar is hidden until a search runs.
    auto* bar = t->form.findChild<QProgressBar*>("SearchProgress");
    QVERIFY(bar);
    QVERIFY(!bar->isVisible());
  }

  void searchFromTheMenuGrowsTheSpectrumWithItsProgress() {
    TestProgram t({exe, kSample.toStdString(), "1"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    korvel::gui::PlotSurface* pwin = p.form.PWin;
    auto* bar = p.form.findChild<QProgressBar*>("SearchProgress");
    QVERIFY(bar);
    const QString oldDir = QDir::currentPath();
    QDir::setCurrent(tmp.path());

    // While the search runs: watch the status, the bar and the spectrum
    // columns (x 80 .. 560, above the frequency ticks), then press Stop.
    bool sawRunning = false, sawBar = false, sawColumns = false, statusKept = true, sizeKept = true;
    int maxValue = -1;
    QElapsedTimer clock;
    QTimer probe;
    probe.setInterval(50);
    connect(&probe, &QTimer::timeout, [&] {
      if (p.state.RunCode != 'r') return;
      const QString status = p.form.StatusBar1->currentMessage();
      if (status == "Running...") sawRunning = true;
      // The bar is beside the status line, never in its text.
      if (status.contains('%')) statusKept = false;
      if (bar->isVisible()) {
        sawBar = true;
        maxValue = std::max(maxValue, bar->value());
        // Showing the bar must not squeeze the plot surface.
        if (pwin->size() != QSize(734, 432)) sizeKept = false;
      }
      if (WhiteIn(pwin->Picture(), 80, 50, 561, 296) > 200) sawColumns = true;
      if ((sawColumns && sawBar && sawRunning) || clock.elapsed() > 60000) p.form.BStop->click();
    });
    p.platform.SetDialogHook([&](korvel::gui::TOKRightDlg& d) {
      auto* lk = qobject_cast<korvel::gui::TDialLK*>(&d);
      QVERIFY(lk);
      lk->Pmax->setText("100");
      // Long enough to outlast the first redraw (a second) many times over.
      lk->Pmin->setText("0.005");
      lk->OKBtn->click();
      clock.start();
      probe.start();
    });
    p.form.findChild<QAction*>("LaflerKinman1Click")->trigger();
    probe.stop();
    QCOMPARE(p.state.RunCode, 'e');
    QVERIFY(sawRunning);
    QVERIFY(sawBar);
    QVERIFY(sawColumns);
    QVERIFY(statusKept);
    QVERIFY(sizeKept);
    QVERIFY(maxValue >= 0 && maxValue < 100);  // stopped part way
    QVERIFY(!bar->isVisible());
    QVERIFY(p.form.StatusBar1->currentMessage() != "Running...");

    // Table and a pick: the phase light curve of the period picked.
    QTest::mouseClick(p.form.BTable, Qt::LeftButton);
    QVERIFY(p.form.StrGr->isVisible());
    const QRect row1 = p.form.StrGr->visualRect(p.form.StrGr->model()->index(0, 1));
    QTest::mouseClick(p.form.StrGr->viewport(), Qt::LeftButton, {}, row1.center());
    QCOMPARE(p.state.View, 'l');
    QCOMPARE(p.state.DataReady, 'y');
    QTRY_VERIFY(!pwin->FullRepaintPending());
    const int W = pwin->width(), H = pwin->height(), L = 80, T = 40, R = W - 40, B = H - 70;
    QVERIFY(WhiteIn(pwin->Picture(), L + 3, T, R, B) > 2000);
    QCOMPARE(p.form.StatusBar1->currentMessage(), QString("Light curve..."));
    QDir::setCurrent(oldDir);
  }

  // A search the Method menu lists from the method table runs like
  // Lafler-Kinman: its spectrum grows in its own view, then the peaks and the
  // adopted period; a peak folds the light curve in that view.
  void glsFromTheMethodMenuGrowsItsSpectrumAndAdoptsAPeriod() {
    TestProgram t({exe, kSample.toStdString(), "1"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    const QString oldDir = QDir::currentPath();
    QDir::setCurrent(tmp.path());
    QAction* gls = p.form.findChild<QAction*>("Search_gls");
    QVERIFY(gls);
    QCOMPARE(gls->text(), QString("Generalised Lomb-Scargle"));
    QVERIFY(p.form.MethodMenu->actions().contains(gls));

    // While it runs: the columns reached so far, seen part way.
    const auto columnsReached = [&] {
      return std::count_if(p.state.SpecHigh.begin(), p.state.SpecHigh.end(),
                           [](double v) { return v != 0; });
    };
    std::vector<long> seen;
    QTimer probe;
    probe.setInterval(20);
    connect(&probe, &QTimer::timeout, [&] {
      if (p.state.RunCode == 'r' && p.state.View == 'g') seen.push_back(columnsReached());
    });
    p.platform.SetDialogHook([&](korvel::gui::TOKRightDlg& d) {
      auto* lk = qobject_cast<korvel::gui::TDialLK*>(&d);
      QVERIFY(lk);
      lk->Pmax->setText("1");
      lk->Pmin->setText("0.25");
      lk->OKBtn->click();
      probe.start();
    });
    gls->trigger();
    probe.stop();
    QCOMPARE(p.state.RunCode, 'e');
    QCOMPARE(p.state.SearchView, 'g');
    QVERIFY(p.state.Freq >= p.state.FreqEnd);  // complete, not stopped
    const long reached = columnsReached();
    QVERIFY(std::any_of(seen.begin(), seen.end(), [&](long n) { return n > 0 && n < reached; }));
    // The view draws it: the curve spans the columns in white.
    QTRY_VERIFY(!p.form.PWin->FullRepaintPending());
    const QImage& picture = p.form.PWin->Picture();
    QVERIFY(WhiteIn(picture, 0, 0, picture.width(), picture.height()) > reached);
    // The sample star's period, adopted from the power's highest peak.
    const QString status = p.form.StatusBar1->currentMessage();
    QVERIFY2(status.startsWith("P = 0.556") && status.contains("(Generalised Lomb-Scargle"),
             qPrintable(status));
    // Larger power is better: the best trial tops the spectrum.
    QCOMPARE(p.state.BestParam[1], p.state.SpecMax);

    // Table: the best trials, then the distinct peaks; a peak folds on its
    // period in the search's view.
    QTest::mouseClick(p.form.BTable, Qt::LeftButton);
    QVERIFY(p.form.StrGr->isVisible());
    QVERIFY(std::abs(p.form.StrGr->item(0, 0)->text().toDouble() - 0.5568) < 0.001);
    QTest::mouseClick(p.form.BTable, Qt::LeftButton);
    QTableWidget* peaks = p.form.PeakGr;
    QVERIFY(peaks->isVisible());
    QCOMPARE(p.ctx.peaks.method, std::string("gls"));
    QVERIFY(!p.ctx.peaks.peaks.empty());
    QCOMPARE(peaks->rowCount(), static_cast<int>(p.ctx.peaks.peaks.size()));
    const QRect peak1 = peaks->visualRect(peaks->model()->index(0, 1));
    QTest::mouseClick(peaks->viewport(), Qt::LeftButton, {}, peak1.center());
    QCOMPARE(p.state.View, 'g');
    QCOMPARE(p.state.DataReady, 'y');
    QCOMPARE(p.state.Period, korvel::PeakPeriod(p.ctx.peaks.peaks[0]));
    QTRY_VERIFY(!p.form.PWin->FullRepaintPending());
    QCOMPARE(p.form.StatusBar1->currentMessage(), QString("Light curve..."));
    QDir::setCurrent(oldDir);
  }

  void repeatLastSearchRepeatsGls() {
    TestProgram t({exe, kSample.toStdString(), "1"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    const QString oldDir = QDir::currentPath();
    QDir::setCurrent(tmp.path());
    int shown = 0;
    p.platform.SetDialogHook([&](korvel::gui::TOKRightDlg& d) {
      auto* lk = qobject_cast<korvel::gui::TDialLK*>(&d);
      QVERIFY(lk);
      ++shown;
      lk->Pmax->setText("0.7");
      lk->Pmin->setText("0.4");
      lk->OKBtn->click();
    });
    p.form.findChild<QAction*>("Search_gls")->trigger();
    QCOMPARE(shown, 1);
    p.ctx.peaks = {};
    p.form.StatusBar1->clearMessage();
    QTest::keyClick(&p.form, Qt::Key_F5);
    QCOMPARE(shown, 2);
    QCOMPARE(p.state.RunCode, 'e');
    QCOMPARE(p.state.View, 'g');
    QCOMPARE(p.ctx.peaks.method, std::string("gls"));
    QVERIFY2(p.form.StatusBar1->currentMessage().startsWith("P = 0.556"),
             qPrintable(p.form.StatusBar1->currentMessage()));
    QDir::setCurrent(oldDir);
  }

  void tablePanelOpensBesideThePlotAndPicturesAreExported() {
    TestProgram t({exe, kSample.toStdString(), "1"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    korvel::gui::TForm1& f = p.form;
    korvel::gui::PlotSurface* pwin = f.PWin;
    p.platform.SetDialogHook([](korvel::gui::TOKRightDlg& d) {
      auto* lk = qobject_cast<korvel::gui::TDialLK*>(&d);
      QVERIFY(lk);
      lk->Pmax->setText("1");
      lk->Pmin->setText("0.4");
      lk->OKBtn->click();
    });
    f.findChild<QAction*>("LaflerKinman1Click")->trigger();
    QCOMPARE(p.state.RunCode, 'e');
    QVERIFY(!p.ctx.peaks.peaks.empty());
    const int width = f.width();

    // Table: the grid, then the peaks, then closed. While the panel shows,
    // the window is wider and the plot keeps its size.
    const auto panelShows = [&] { return f.TablePanel->isVisible(); };
    QTest::mouseClick(f.BTable, Qt::LeftButton);
    QVERIFY(panelShows() && f.StrGr->isVisible());
    QTRY_VERIFY(f.width() >= width + f.StrGr->width());
    QTRY_COMPARE(pwin->size(), QSize(734, 432));
    QTest::mouseClick(f.BTable, Qt::LeftButton);
    QVERIFY(panelShows() && f.PeakGr->isVisible() && !f.StrGr->isVisible());
    QTRY_COMPARE(pwin->size(), QSize(734, 432));
    QTest::mouseClick(f.BTable, Qt::LeftButton);
    QVERIFY(!panelShows());
    QTRY_COMPARE(f.width(), width);
    QTRY_COMPARE(pwin->size(), QSize(734, 432));

    // Esc and the panel's close button close it too.
    QTest::mouseClick(f.BTable, Qt::LeftButton);
    QTest::keyClick(&f, Qt::Key_Escape);
    QVERIFY(!panelShows());
    QTest::mouseClick(f.BTable, Qt::LeftButton);
    QVERIFY(f.TablePanel->close());
    QVERIFY(!p.platform.Visible(korvel::Control::StrGr));
    QTRY_COMPARE(f.width(), width);

    // Export picture: the plot at its size, PNG when the name has no
    // extension, SVG by its extension.
    const QString png = tmp.filePath("star.png"), svg = tmp.filePath("star.svg");
    QStringList names{tmp.filePath("star"), svg};
    p.platform.SetFileDialogHook(
        [&](korvel::FileDialog d, QFileDialog&) -> std::optional<std::string> {
          if (d != korvel::FileDialog::ExportPicture || names.isEmpty()) return std::nullopt;
          return names.takeFirst().toStdString();
        });
    f.findChild<QAction*>("ExportPictureItem")->trigger();
    QCOMPARE(f.StatusBar1->currentMessage(), "Picture written to " + png);
    QCOMPARE(QImage(png).size(), pwin->size());
    f.findChild<QAction*>("ExportPictureItem")->trigger();
    QCOMPARE(f.StatusBar1->currentMessage(), "Picture written to " + svg);
    QVERIFY(QFile(svg).size() > 0);
    QVERIFY(t.messages.empty());

    // A lower window: the plot shrinks, the panel keeps its height.
    f.resize(f.width(), f.height() - 100);
    QTRY_COMPARE(pwin->size(), QSize(734, 332));
    QCOMPARE(f.Panel1->height(), 63);
    QTRY_VERIFY(!pwin->FullRepaintPending());
    QCOMPARE(pwin->Picture().size(), pwin->size());
  }

  void incrementalDrawingGoesOverThePictureUntilTheNextFullRepaint() {
    TestProgram t({exe, kSample.toStdString(), "1"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::PlotSurface* pwin = t->form.PWin;
    QTRY_VERIFY(!pwin->FullRepaintPending());
    const QImage before = pwin->Picture().copy();
    auto band = [](korvel::Canvas& c) {
      c.SetPenMode(korvel::PenMode::Xor);
      c.SetPenColour(korvel::kWhite);
      c.SetBrushStyle(korvel::BrushStyle::Clear);
      c.Rectangle(100, 80, 400, 300);
    };
    t->platform.DrawOnPlot(band);
    QCOMPARE(pwin->Picture().pixel(100, 80) & 0xffffffu, 0xffffffu ^ 0x0000ffu);
    QVERIFY(!pwin->FullRepaintPending());
    t->platform.DrawOnPlot(band);
    QCOMPARE(pwin->Picture(), before);

    // A full repaint clears what was drawn over the picture.
    t->platform.DrawOnPlot(band);
    t->platform.RequestRepaint();
    QVERIFY(pwin->FullRepaintPending());
    QTRY_VERIFY(!pwin->FullRepaintPending());
    QCOMPARE(pwin->Picture(), before);
  }

  void batchWritesThePixelsTheWindowShows() {
    TestProgram t({exe, kSample.toStdString(), "1"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    korvel::gui::PlotSurface* pwin = p.form.PWin;
    QTRY_VERIFY(!pwin->FullRepaintPending());

    // The time view at the start.
    const QImage time = BatchPicture(tmp.filePath("t.png"), {"--view", "t"});
    QVERIFY(!time.isNull());
    QString difference = Difference(pwin->Picture(), time);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));

    // The phase light curve of elements typed into the dialog.
    p.platform.SetDialogHook([](korvel::gui::TOKRightDlg& d) {
      auto* lc = qobject_cast<korvel::gui::TDlgLC*>(&d);
      QVERIFY(lc);
      lc->Edit1->setText("0.5568");
      lc->Edit2->setText("59000.7877");
      lc->OKBtn->click();
    });
    p.form.findChild<QAction*>("Lightcurveofthemainperiod1Click")->trigger();
    QTRY_VERIFY(!pwin->FullRepaintPending());
    const QImage phase = BatchPicture(
        tmp.filePath("l.png"), {"--view", "l", "--period", "0.5568", "--epoch", "59000.7877"});
    QVERIFY(!phase.isNull());
    difference = Difference(pwin->Picture(), phase);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));

    // A larger window: the picture follows the surface's size.
    p.form.findChild<QAction*>("TimeOnClick")->trigger();
    p.form.resize(p.form.width() + 120, p.form.height() + 60);
    QTRY_COMPARE(pwin->size(), QSize(734 + 120, 432 + 60));
    QTRY_VERIFY(!pwin->FullRepaintPending());
    QCOMPARE(pwin->Picture().size(), pwin->size());
    const QImage wide = BatchPicture(tmp.filePath("wide.bmp"),
                                     {"--view", "t", "--width", QString::number(pwin->width()),
                                      "--height", QString::number(pwin->height())});
    QVERIFY(!wide.isNull());
    difference = Difference(pwin->Picture(), wide);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
  }

 private:
  QTemporaryDir tmp;
  std::string exe;
};

QTEST_MAIN(PlotWindowTest)
#include "plot_window_test.moc"
