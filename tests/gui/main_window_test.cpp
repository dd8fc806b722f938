// The main window shown offscreen: its caption, size and colours, the menu,
// the panel's controls, the results grid, and the Qt platform reaching every
// control.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "gui/command_table.h"
#include "gui/plot_surface.h"
#include "gui_test_support.h"

using korvel::Control;
using korvel::gui::testing::TestProgram;

namespace {

QStringList Captions(const QMenu* menu) {
  QStringList out;
  for (const QAction* a : menu->actions()) out << a->text();
  return out;
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

class MainWindowTest : public QObject {
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
    QCOMPARE(top, QStringList({"File", "Edit", "Method", "About the software", "Help"}));
    QCOMPARE(Captions(f.FileMenu),
             QStringList({"Open", "Save parameters", "Save as...", "Save condition",
                          "Save extraction", "Exit", "Save statistics", "Mean light curve file", "",
                          "Open analysis...", "Save analysis...", "Export picture..."}));
    QCOMPARE(Captions(f.EditMenu), QStringList({"Undo"}));
    QCOMPARE(Captions(f.HelpMenu), QStringList({"User guide"}));
    // The searches of the method table after the first three have their
    // items by their titles, then the multi-frequency fit, before Continue.
    QStringList methods({"Light curve", "Lafler - Kinman", "Deeming", "Secondary period"});
    for (const korvel::SearchMethod* m : korvel::gui::SearchesListedFromTable())
      methods << QString::fromUtf8(m->title);
    QCOMPARE(Captions(f.MethodMenu), methods << "Multi-frequency fit"
                                             << "Residuals of the fit as data"
                                             << "Continue");
    QVERIFY(methods.contains("Generalised Lomb-Scargle"));
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
    QVERIFY(f.TablePanel->isAncestorOf(g));
    QCOMPARE(g->size(), QSize(238, 343));
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

  void everyControlAndMenuItemSaysWhatItDoes() {
    TestProgram t({"korvel"});
    QVERIFY(t.ShowAndActivate());
    korvel::gui::TForm1& f = t->form;
    for (QWidget* w : f.Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (!qobject_cast<QLabel*>(w)) QVERIFY2(!w->toolTip().isEmpty(), qPrintable(w->objectName()));
    for (QMenu* menu : {f.FileMenu, f.EditMenu, f.MethodMenu, f.LightCurveMenu, f.HelpMenu})
      for (const QAction* a : menu->actions())
        if (!a->isSeparator() && !a->menu())
          QVERIFY2(!a->statusTip().isEmpty(), qPrintable(a->objectName()));
    QVERIFY(!f.AboutAction->statusTip().isEmpty());

    // A hovered item's tip shows on the status line; leaving the item brings
    // back the text that was there, and a status set meanwhile stays.
    t->platform.SetStatus("Done... Number of observations: 7");
    QStatusTipEvent hover(f.AboutAction->statusTip());
    QApplication::sendEvent(&f, &hover);
    QCOMPARE(f.StatusBar1->currentMessage(), f.AboutAction->statusTip());
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(&f, &leave);
    QCOMPARE(f.StatusBar1->currentMessage(), QString("Done... Number of observations: 7"));
    QApplication::sendEvent(&f, &hover);
    t->platform.SetStatus("Running...");
    QApplication::sendEvent(&f, &leave);
    QCOMPARE(f.StatusBar1->currentMessage(), QString("Running..."));
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

 private:
  QTemporaryDir tmp;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
