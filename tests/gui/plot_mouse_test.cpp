// The mouse on the plot surface of a real window with the sample star: the
// read-out, the rubber band drawn into the picture, zooms, deleting point by
// point, marking with Ctrl; and Print, which writes the window's client area
// into a BMP file.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

#include "gui/plot_surface.h"
#include "gui_test_support.h"
#include "plot/phase_curve_views.h"

using korvel::Answer;
using korvel::gui::PlotSurface;
using korvel::gui::testing::TestProgram;

namespace {

const QString kSamples = QStringLiteral(KORVEL_SAMPLES_DIR);

QRgb Rgb(const QImage& image, QPoint p) {
  return image.pixel(p) & 0xffffffu;
}

// QTest moves no mouse with a button held: the move is sent by hand.
void DragTo(QWidget* w, QPoint p, Qt::KeyboardModifiers keys = {},
            Qt::MouseButton held = Qt::LeftButton) {
  QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, held, keys);
  QApplication::sendEvent(w, &move);
}

// The read-out the status line shows with the cursor at p: the first and the
// second number, or nothing when the line is not a read-out.
std::optional<std::pair<double, double>> ReadOut(TestProgram& t, QPoint p) {
  QTest::mouseMove(t->form.PWin, p);
  static const QRegularExpression form(R"(^(-?\d+\.\d{7}),  (-?\d+\.\d{3})$)");
  const QRegularExpressionMatch m = form.match(t->form.StatusBar1->currentMessage());
  if (!m.hasMatch()) return std::nullopt;
  return std::make_pair(m.captured(1).toDouble(), m.captured(2).toDouble());
}

// Whether the band's outline from a to b (b excluded, as drawn) is the
// inverse of the picture before it, and its inside untouched.
bool ShowsBand(const QImage& now, const QImage& before, QPoint a, QPoint b) {
  const int left = std::min(a.x(), b.x()), right = std::max(a.x(), b.x()) - 1;
  const int top = std::min(a.y(), b.y()), bottom = std::max(a.y(), b.y()) - 1;
  for (int x = left; x <= right; ++x)
    for (int y : {top, bottom})
      if (Rgb(now, {x, y}) != (Rgb(before, {x, y}) ^ 0xffffffu)) return false;
  for (int y = top; y <= bottom; ++y)
    for (int x : {left, right})
      if (Rgb(now, {x, y}) != (Rgb(before, {x, y}) ^ 0xffffffu)) return false;
  const QRect inside(left + 1, top + 1, right - left - 1, bottom - top - 1);
  return now.copy(inside) == before.copy(inside);
}

int ObservationsBetween(const korvel::AnalysisState& s, double low, double high) {
  int n = 0;
  for (int32_t i = 1; i <= s.NObs; ++i)
    if (low <= s.JD[i] && s.JD[i] <= high) ++n;
  return n;
}

bool HasDate(const korvel::AnalysisState& s, double jd) {
  for (int32_t i = 1; i <= s.NObs; ++i)
    if (std::abs(s.JD[i] - jd) < 5e-5) return true;
  return false;
}

// The observations the phase view draws with a place inside the band from
// the top-left a to the bottom-right b (right and bottom edges excluded).
std::vector<int32_t> DrawnInside(const korvel::AnalysisState& s, QPoint a, QPoint b) {
  const korvel::PhaseGeometry geometry(s);
  std::vector<int32_t> inside;
  for (int32_t i = 1; i <= s.NObs; ++i) {
    const korvel::PhasePlaces places = geometry.Places(s.Phase[i], s.Mag[i]);
    for (int k = 0; k < places.count; ++k)
      if (QRect(a, b - QPoint(1, 1)).contains(places.x[k], places.y[k])) {
        inside.push_back(i);
        break;
      }
  }
  return inside;
}

// The red pixels of the picture.
std::set<std::pair<int, int>> RedPixels(const QImage& image) {
  std::set<std::pair<int, int>> red;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (Rgb(image, {x, y}) == 0xff0000u) red.insert({x, y});
  return red;
}

// The pixels of the points the phase view draws for the observations.
std::set<std::pair<int, int>> PointPixels(const korvel::AnalysisState& s,
                                          const std::vector<int32_t>& observations) {
  const korvel::PhaseGeometry geometry(s);
  std::set<std::pair<int, int>> pixels;
  for (int32_t i : observations) {
    const korvel::PhasePlaces places = geometry.Places(s.Phase[i], s.Mag[i]);
    for (int k = 0; k < places.count; ++k)
      for (int dx : {0, 1})
        for (int dy : {0, 1}) pixels.insert({places.x[k] + dx, places.y[k] + dy});
  }
  return pixels;
}

// Light curve > For the primary period with this period and initial date
// 59000.7877, as the dialog takes them.
void ShowPhaseView(korvel::gui::Program& p, const char* period) {
  p.platform.SetDialogHook([period](korvel::gui::TOKRightDlg& d) {
    auto* lc = qobject_cast<korvel::gui::TDlgLC*>(&d);
    QVERIFY(lc);
    lc->Edit1->setText(period);
    lc->Edit2->setText("59000.7877");
    lc->OKBtn->click();
  });
  p.form.findChild<QAction*>("Lightcurveofthemainperiod1Click")->trigger();
  QCOMPARE(p.state.View, 'l');
  QTRY_VERIFY(!p.form.PWin->FullRepaintPending());
  QVERIFY(p.state.FullRange);
}

}  // namespace

class PlotMouseTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    // The sample star and its elements in default.cfg beside the executable;
    // a copy of the star so that Print writes its pictures here.
    exe = dir->filePath("korvel").toStdString();
    star = dir->filePath("sample_star.dat");
    QVERIFY(QFile::copy(kSamples + "/default.cfg", dir->filePath("default.cfg")));
    QVERIFY(QFile::copy(kSamples + "/sample_star.dat", star));
  }

  void timeViewReadsOutAndZoomsToABand() {
    TestProgram t({exe, star.toStdString(), "1"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    PlotSurface* pwin = p.form.PWin;
    QTRY_VERIFY(!pwin->FullRepaintPending());
    const korvel::AnalysisState& s = p.state;
    QCOMPARE(s.View, 't');

    // Without a button: the date and value under the cursor, cleared off the
    // frame.
    const std::optional<std::pair<double, double>> r = ReadOut(t, {300, 200});
    QVERIFY(r);
    QVERIFY(std::abs(r->first - (s.JDLow + (300 - s.FrameLeft) / s.TimeScaleX)) < 1e-6);
    QVERIFY(s.MagLow <= r->second && r->second <= s.MagHigh);
    QVERIFY(!ReadOut(t, {10, 10}));
    QCOMPARE(p.form.StatusBar1->currentMessage(), QString());

    // A band from right to left holds no dates: drawn while dragged, gone
    // after the release, no zoom.
    const QImage before = pwin->Picture().copy();
    const double jdLow = s.JDLow, jdHigh = s.JDHigh;
    QTest::mousePress(pwin, Qt::LeftButton, {}, {500, 100});
    DragTo(pwin, {300, 250});
    QVERIFY(ShowsBand(pwin->Picture(), before, {500, 100}, {300, 250}));
    DragTo(pwin, {350, 200});  // the old band gives way to the new one
    QVERIFY(ShowsBand(pwin->Picture(), before, {500, 100}, {350, 200}));
    QCOMPARE(Rgb(pwin->Picture(), {310, 249}), Rgb(before, {310, 249}));
    QTest::mouseRelease(pwin, Qt::LeftButton, {}, {350, 200});
    QCOMPARE(pwin->Picture(), before);
    QCOMPARE(s.JDLow, jdLow);
    QVERIFY(!p.form.ButAllDiap->isVisible());

    // The right button draws no band.
    QTest::mousePress(pwin, Qt::RightButton, {}, {200, 100});
    DragTo(pwin, {400, 300}, {}, Qt::RightButton);
    QCOMPARE(pwin->Picture(), before);
    QTest::mouseRelease(pwin, Qt::RightButton, {}, {400, 300});
    QCOMPARE(s.JDHigh, jdHigh);

    // A band over many dates: its corners' dates and values become the window.
    const QPoint a(200, 60), b(420, 330);
    const auto wa = ReadOut(t, a), wb = ReadOut(t, b);
    QVERIFY(wa && wb);
    QTest::mousePress(pwin, Qt::LeftButton, {}, a);
    DragTo(pwin, b);
    QTest::mouseRelease(pwin, Qt::LeftButton, {}, b);
    QVERIFY(std::abs(s.JDLow - wa->first) < 1e-7);
    QVERIFY(std::abs(s.JDHigh - wb->first) < 1e-7);
    QVERIFY(std::abs(s.MagLow - std::min(wa->second, wb->second)) < 6e-4);
    QVERIFY(std::abs(s.MagHigh - std::max(wa->second, wb->second)) < 6e-4);
    const int n = ObservationsBetween(s, s.JDLow, s.JDHigh);
    QVERIFY(n >= 2 && n < s.NObs);
    QCOMPARE(p.form.StatusBar1->currentMessage(),
             QString("Done... Number of observations: %1").arg(n));
    QVERIFY(p.form.ButAllDiap->isVisible());
    QTRY_VERIFY(!pwin->FullRepaintPending());
    QVERIFY(pwin->Picture() != before);
  }

  void phaseViewZoomsWithShiftAndDeletesABandAtOnce() {
    TestProgram t({exe, star.toStdString(), "1"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    PlotSurface* pwin = p.form.PWin;
    const korvel::AnalysisState& s = p.state;
    ShowPhaseView(p, "0.5568");
    const int L = s.PhBoxLeft, T = s.PhBoxTop, R = s.PhBoxRight, B = s.PhBoxBottom;

    // A plain band over a patch of points: one question under "Set point"
    // for all inside (a single point is named by its date), Yes deletes them.
    QPoint hit(-1, -1);
    const QImage& picture = pwin->Picture();
    for (int x = (L + R) / 2; x < R - 10 && hit.x() < 0; ++x)
      for (int y = T + 10; y < B - 10 && hit.x() < 0; ++y)
        if (Rgb(picture, {x, y}) == 0xffffffu) hit = {x, y};
    QVERIFY(hit.x() > 0);
    std::vector<std::string> captions, texts;
    p.platform.SetQuestionHook([&](const std::string& caption, const std::string& text) {
      captions.push_back(caption);
      texts.push_back(text);
      return Answer::Yes;
    });
    const int32_t nObs = s.NObs;
    QTest::mousePress(pwin, Qt::LeftButton, {}, hit - QPoint(4, 4));
    DragTo(pwin, hit + QPoint(5, 5));
    QTest::mouseRelease(pwin, Qt::LeftButton, {}, hit + QPoint(5, 5));
    QCOMPARE(captions, std::vector<std::string>({"Set point"}));
    static const QRegularExpression several(R"(^Delete (\d+) observations\?$)");
    static const QRegularExpression one(R"(^(\d+(\.\d+)?),  (\d+(\.\d+)?)   Delete\?$)");
    const QString text = QString::fromStdString(texts[0]);
    const QRegularExpressionMatch m = several.match(text), single = one.match(text);
    QVERIFY2(m.hasMatch() || single.hasMatch(), texts[0].c_str());
    if (single.hasMatch()) {
      QCOMPARE(s.NObs, nObs - 1);
      QVERIFY(!HasDate(s, single.captured(1).toDouble()));
    } else {
      QCOMPARE(s.NObs, nObs - m.captured(1).toInt());
    }
    QTRY_VERIFY(!pwin->FullRepaintPending());

    // Shift + band: the phases and values of its corners become the window.
    const QPoint a(L + (R - L) / 2, T + 15), b(L + (R - L) * 4 / 5, B - 15);
    const auto wa = ReadOut(t, a), wb = ReadOut(t, b);
    QVERIFY(wa && wb);
    QVERIFY(wa->first > 0 && wb->first > wa->first);
    const QImage before = pwin->Picture().copy();
    QTest::mousePress(pwin, Qt::LeftButton, Qt::ShiftModifier, a);
    DragTo(pwin, b, Qt::ShiftModifier);
    QVERIFY(ShowsBand(pwin->Picture(), before, a, b));
    QTest::mouseRelease(pwin, Qt::LeftButton, Qt::ShiftModifier, b);
    QVERIFY(!s.FullRange);
    QVERIFY(std::abs(s.PhMin - wa->first) < 1e-7);
    QVERIFY(std::abs(s.PhMax - wb->first) < 1e-7);
    QVERIFY(std::abs(s.MagLow - std::min(wa->second, wb->second)) < 6e-4);
    QVERIFY(std::abs(s.MagHigh - std::max(wa->second, wb->second)) < 6e-4);
    QVERIFY(p.form.ButAllDiap->isVisible());
    QTRY_VERIFY(!pwin->FullRepaintPending());
    QVERIFY(pwin->Picture() != before);
  }

  void ctrlBandMarksTheObservationsDrawnInsideIt() {
    TestProgram t({exe, star.toStdString(), "1"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    PlotSurface* pwin = p.form.PWin;
    const korvel::AnalysisState& s = p.state;
    ShowPhaseView(p, "0.5567809");
    QVERIFY(RedPixels(pwin->Picture()).empty());
    const auto marked = [&s] {
      std::vector<int32_t> m;
      for (int32_t i = 1; i <= s.NObs; ++i)
        if (s.Marks[i] != 0) m.push_back(i);
      return m;
    };

    // Ctrl + band, drawn backwards, between phases 0 and 0.5 (where each
    // point has one place): the observations drawn inside are marked and
    // drawn red there, all else stays as it was, without a repaint.
    const int T = s.PhBoxTop, B = s.PhBoxBottom;
    const int x0 = s.PhBoxLeft + (s.PhBoxRight - s.PhBoxLeft) / 3;  // phase 0
    const int xHalf = x0 + int(s.PhScaleX / 2);
    const QPoint a1(x0 + 5, T + (B - T) / 3), b1(xHalf - 5, B - (B - T) / 3);
    const std::vector<int32_t> first = DrawnInside(s, a1, b1);
    QVERIFY(first.size() >= 2 && first.size() < size_t(s.NObs));
    const QImage before = pwin->Picture().copy();
    QTest::mousePress(pwin, Qt::LeftButton, Qt::ControlModifier, b1);
    DragTo(pwin, a1, Qt::ControlModifier);
    QTest::mouseRelease(pwin, Qt::LeftButton, Qt::ControlModifier, a1);
    QVERIFY(t.messages.empty());
    QVERIFY(s.SelMade);
    QVERIFY(!pwin->FullRepaintPending());
    QCOMPARE(marked(), first);
    const std::set<std::pair<int, int>> red = RedPixels(pwin->Picture());
    QCOMPARE(red, PointPixels(s, first));
    // A point two pixels wide reaches one pixel past the right and bottom edge.
    for (const auto& [x, y] : red) QVERIFY(QRect(a1, b1).contains(x, y));
    QImage rest = pwin->Picture().copy();
    for (const auto& [x, y] : red) rest.setPixel(x, y, before.pixel(x, y));
    QCOMPARE(rest, before);

    // A second Ctrl + band beyond phase 0.5 replaces the marks; the red of
    // the first stays until the next repaint.
    const QPoint a2(xHalf + 5, T + (B - T) / 3), b2(s.PhBoxRight - 10, B - (B - T) / 4);
    const std::vector<int32_t> second = DrawnInside(s, a2, b2);
    QVERIFY(!second.empty());
    QTest::mousePress(pwin, Qt::LeftButton, Qt::ControlModifier, a2);
    DragTo(pwin, b2, Qt::ControlModifier);
    QTest::mouseRelease(pwin, Qt::LeftButton, Qt::ControlModifier, b2);
    QCOMPARE(marked(), second);
    for (int32_t i : first) QCOMPARE(s.Marks[i], 0);
    std::set<std::pair<int, int>> both = PointPixels(s, first);
    both.merge(PointPixels(s, second));
    QCOMPARE(RedPixels(pwin->Picture()), both);
  }

  void printWritesTheClientAreaAndStartsTheViewer() {
    TestProgram t({exe, star.toStdString(), "1"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::Program& p = *t.program;
    korvel::gui::TForm1& f = p.form;
    QTRY_VERIFY(!f.PWin->FullRepaintPending());
    std::vector<std::string> viewed;
    p.platform.SetViewerHook([&](const std::string& path) { viewed.push_back(path); });

    // An older picture of the same name is replaced.
    const QString first = dir->filePath("sample_star1.bmp");
    {
      QFile old(first);
      QVERIFY(old.open(QIODevice::WriteOnly));
      old.write("an older picture");
    }
    QTest::mouseClick(f.Butt4print, Qt::LeftButton);
    QVERIFY(t.messages.empty());
    QCOMPARE(f.StatusBar1->currentMessage(), "File " + first + " is done...");
    QCOMPARE(viewed, std::vector<std::string>({first.toStdString()}));
    QImage image(first, "BMP");
    QVERIFY(!image.isNull());
    image = image.convertToFormat(QImage::Format_RGB32);
    // Below the menu bar: the plot, the panel and the status line.
    QCOMPARE(image.size(),
             QSize(f.width(), f.PWin->height() + f.Panel1->height() + f.StatusBar1->height()));
    const int menu = f.menuBar()->height();
    const QPoint plotAt = f.PWin->mapTo(&f, QPoint(0, 0)) - QPoint(0, menu);
    QCOMPARE(image.copy(QRect(plotAt, f.PWin->size())),
             f.PWin->Picture().convertToFormat(QImage::Format_RGB32));
    const QPoint panelAt = f.Panel1->mapTo(&f, QPoint(0, 0)) - QPoint(0, menu);
    const QImage panel = f.Panel1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.copy(QRect(panelAt, f.Panel1->size())), panel);
    const QPoint statusAt = f.StatusBar1->mapTo(&f, QPoint(0, 0)) - QPoint(0, menu);
    QCOMPARE(image.pixelColor(statusAt + QPoint(300, f.StatusBar1->height() / 2)),
             QColor(Qt::white));

    // The table panel beside the plot is in the picture too; Ctrl+P prints
    // as the button does, and the number goes on.
    p.platform.SetVisible(korvel::Control::StrGr, true);
    QTest::keyClick(&f, Qt::Key_P, Qt::ControlModifier);
    const QString second = dir->filePath("sample_star2.bmp");
    QCOMPARE(f.StatusBar1->currentMessage(), "File " + second + " is done...");
    const QImage withGrid(second, "BMP");
    QVERIFY(!withGrid.isNull());
    QCOMPARE(withGrid.width(), f.width());
    const QPoint header = f.StrGr->mapTo(&f, QPoint(120, 8)) - QPoint(0, menu);
    QCOMPARE(withGrid.pixelColor(header), QColor(200, 83, 70));

    // A name that cannot be written: the platform's reason, no viewer.
    const QString third = dir->filePath("sample_star3.bmp");
    QVERIFY(QDir(dir->path()).mkdir("sample_star3.bmp"));
    QTest::mouseClick(f.Butt4print, Qt::LeftButton);
    QCOMPARE(t.messages.size(), size_t(1));
    QVERIFY2(QString::fromStdString(t.messages[0]).startsWith("Cannot write " + third + ": "),
             t.messages[0].c_str());
    QVERIFY(t.messages[0].size() > ("Cannot write " + third + ": ").toStdString().size());
    QCOMPARE(viewed.size(), size_t(2));
    QCOMPARE(f.StatusBar1->currentMessage(), "File " + second + " is done...");
    QVERIFY(QFileInfo(third).isDir());
  }

  void questionBoxAndViewerOfThePlatform() {
    TestProgram t({exe});
    korvel::gui::QtPlatform& pf = t->platform;
    // The real box: the caption as its title, the text, Yes, No and Cancel.
    pf.SetMessageSink(nullptr);
    QString title, text;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      title = box->windowTitle();
      text = box->text();
      if (box->standardButtons() == (QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel))
        box->button(QMessageBox::No)->click();
    });
    QCOMPARE(pf.AskYesNoCancel("Set point", "59001.1,  12.5   Delete?"), Answer::No);
    QCOMPARE(title, QString("Set point"));
    QCOMPARE(text, QString("59001.1,  12.5   Delete?"));

    // The viewer gets the file and no terminal to write to.
    const QByteArray path = qgetenv("PATH");
    QDir(dir->path()).mkdir("bin");
    const QString opened = dir->filePath("opened");
    const QString script = dir->filePath("bin/xdg-open");
    {
      QFile f(script);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(QString("#!/bin/sh\nPATH=/usr/bin:/bin\necho talk; echo talk >&2\n"
                      "out=$(readlink /proc/$$/fd/1); err=$(readlink /proc/$$/fd/2)\n"
                      "printf '%s\\n' \"$1\" \"$out\" \"$err\" > %1.tmp; mv %1.tmp %1\n")
                  .arg(opened)
                  .toUtf8());
    }
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("PATH", dir->filePath("bin").toUtf8());
    pf.StartImageViewer("/pictures/star 1.bmp");
    QTRY_VERIFY(QFile::exists(opened));
    QFile result(opened);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(QString(result.readAll()).split('\n', Qt::SkipEmptyParts),
             QStringList({"/pictures/star 1.bmp", "/dev/null", "/dev/null"}));

    // Without a viewer nothing happens, silently.
    qputenv("PATH", dir->filePath("nothing").toUtf8());
    QTest::failOnWarning(QRegularExpression(".*"));
    pf.StartImageViewer("/pictures/star2.bmp");
    qputenv("PATH", path);
  }

 private:
  std::unique_ptr<QTemporaryDir> dir;
  std::string exe;
  QString star;
};

QTEST_MAIN(PlotMouseTest)
#include "plot_mouse_test.moc"
