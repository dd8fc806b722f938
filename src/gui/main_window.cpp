#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/plot_surface.h"
#include "search/peak_text.h"
#include "search/search_parameters.h"

namespace korvel::gui {

namespace {

constexpr int kGridColumns = 3;
constexpr int kGridDataRows = 20;
constexpr int kGridColumnWidth = 77;
constexpr int kGridRowHeight = 16;
constexpr int kGridLeft = 400;
constexpr int kPeakPeriodWidth = 150;

template <class W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(name);
  widget->setGeometry(left, top, width, height);
  return widget;
}

QPushButton* Button(QWidget* panel, const char* name, const char* caption, int left, int top,
                    int width) {
  auto* b = Place(new QPushButton(caption, panel), name, left, top, width, 25);
  b->setAutoDefault(false);
  b->setFocusPolicy(Qt::TabFocus);
  return b;
}

QLabel* Label(QWidget* panel, const char* caption, int left, int top) {
  auto* l = new QLabel(caption, panel);
  l->move(left, top);
  l->adjustSize();
  return l;
}

// The look and behaviour both results tables share: the header row is the
// table's horizontal header, so that the user can drag the column borders
// there and a click on it never picks a row; whole rows are picked.
void StyleResultTable(QTableWidget& t) {
  t.verticalHeader()->hide();
  t.verticalHeader()->setMinimumSectionSize(1);
  t.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  t.verticalHeader()->setDefaultSectionSize(kGridRowHeight);
  QHeaderView* header = t.horizontalHeader();
  header->setMinimumSectionSize(1);
  header->setDefaultSectionSize(kGridColumnWidth);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setFixedHeight(kGridRowHeight);
  header->setHighlightSections(false);
  header->setSectionsClickable(false);
  header->setStyleSheet(
      "QHeaderView::section { background-color: rgb(200, 83, 70); color: rgb(254, 254, 84);"
      " border: 0px; border-right: 1px solid rgb(120, 30, 28);"
      " border-bottom: 1px solid rgb(120, 30, 28); padding: 0px 2px; }");
  t.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  t.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  t.setSelectionBehavior(QAbstractItemView::SelectRows);
  t.setSelectionMode(QAbstractItemView::SingleSelection);
  t.setEditTriggers(QAbstractItemView::NoEditTriggers);
  t.setWordWrap(false);

  QPalette pal = t.palette();
  pal.setColor(QPalette::Base, QColor(141, 46, 44));
  pal.setColor(QPalette::Text, QColor(254, 254, 84));
  t.setPalette(pal);
}

}  // namespace

QTableWidgetItem* ResultItem() {
  auto* item = new QTableWidgetItem(QString());
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

QFont WindowFont() {
  QFont f = QApplication::font();
  f.setPointSize(8);
  return f;
}

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("TForm1");
  setWindowTitle("Korvel for Windows");
  setFont(WindowFont());

  auto* client = new QWidget(this);
  client->setObjectName("ClientArea");
  QPalette pal = client->palette();
  pal.setColor(QPalette::Window, QColor(0, 128, 255));
  client->setPalette(pal);
  client->setAutoFillBackground(true);
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  PWin = new PlotSurface(client);
  PWin->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  column->addWidget(PWin, 1);

  Panel1 = new QFrame(client);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setFixedHeight(kPanelHeight);
  column->addWidget(Panel1);
  setCentralWidget(client);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  QPalette white = StatusBar1->palette();
  white.setColor(QPalette::Window, Qt::white);
  StatusBar1->setPalette(white);
  StatusBar1->setAutoFillBackground(true);
  setStatusBar(StatusBar1);
  SearchProgress = new QProgressBar(StatusBar1);
  SearchProgress->setObjectName("SearchProgress");
  SearchProgress->setRange(0, 100);
  SearchProgress->setMaximumWidth(160);
  // No taller than the status line's text, so that showing it never resizes
  // the plot surface in the middle of a search.
  SearchProgress->setMaximumHeight(StatusBar1->fontMetrics().height());
  StatusBar1->addPermanentWidget(SearchProgress);
  SearchProgress->hide();

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(1000);

  BuildMenu();
  BuildPanel();
  BuildGrid();
  BuildPeakTable();

  // The outer size follows from a client area whose plot surface is
  // kPlotWidth x kPlotHeight: menu bar, plot, panel and status line.
  resize(kPlotWidth, menuBar()->sizeHint().height() + kPlotHeight + kPanelHeight +
                         StatusBar1->sizeHint().height());
  move(84, 107);
}

void TForm1::BuildMenu() {
  QMenuBar* bar = menuBar();
  auto item = [](QMenu* menu, const char* caption, const char* handler) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(handler);
  };

  FileMenu = bar->addMenu("File");
  FileMenu->setObjectName("File");
  item(FileMenu, "Open", "BfileopenClick");
  item(FileMenu, "Save parameters", "Save1Click");
  item(FileMenu, "Save as...", "SaveAs1Click");
  item(FileMenu, "Save condition", "SaveCondItem");
  item(FileMenu, "Save extraction", "SaveSelClick");
  item(FileMenu, "Exit", "Exit3Click");
  item(FileMenu, "Save statistics", "N2Click");
  item(FileMenu, "Mean light curve file", "OnMLCfileClick");
  FileMenu->addSeparator();
  item(FileMenu, "Open analysis...", "OpenAnalysisItem");
  item(FileMenu, "Save analysis...", "SaveAnalysisItem");

  MethodMenu = bar->addMenu("Method");
  MethodMenu->setObjectName("Method");
  LightCurveMenu = MethodMenu->addMenu("Light curve");
  LightCurveMenu->setObjectName("LightCurve");
  item(LightCurveMenu, "For the primary period", "Lightcurveofthemainperiod1Click");
  item(LightCurveMenu, "Light curves divided by the secondary period phase bins", "MenuLCSecClick");
  item(LightCurveMenu, "The secondary period phases are distinquished with different colors",
       "Colr2PCurveClick");
  item(LightCurveMenu, "Dependent on time", "TimeOnClick");
  item(MethodMenu, "Lafler - Kinman", "LaflerKinman1Click");
  item(MethodMenu, "Deeming", "Deeming1Click");
  item(MethodMenu, "Secondary period", "SecP1Click");
  item(MethodMenu, "Continue", "Continue1Click");
  // Nothing to search before a file is loaded.
  MethodMenu->menuAction()->setEnabled(false);

  AboutAction = bar->addAction("About the software");
  AboutAction->setObjectName("Menu3Click");
}

void TForm1::BuildPanel() {
  QWidget* p = Panel1;

  SpinEdit1 = Place(new QSpinBox(p), "SpinEdit1", 8, 9, 41, 21);
  SpinEdit1->setRange(1, 20);
  SpinEdit1->setValue(1);
  LabelColumn = Label(p, "Column", 53, 12);

  JDmin = Place(new QLineEdit(p), "JDmin", 96, 10, 81, 21);
  LabelJDmin = Label(p, "JDmin", 181, 13);
  JDmax = Place(new QLineEdit(p), "JDmax", 96, 34, 81, 21);
  LabelJDmax = Label(p, "JDmax", 181, 37);

  ChBZero = Place(new QCheckBox("Read zeros", p), "ChBZero", 8, 40, 85, 17);
  ChBWindow = Place(new QCheckBox("Window spectrum", p), "ChBWindow", 224, 40, 120, 17);

  Butt4print = Button(p, "Butt4print", "Print", 224, 2, 45);
  BStop = Button(p, "BStop", "Stop", 272, 2, 89);
  QFont bold("Arial", WindowFont().pointSize(), QFont::Bold);
  BStop->setFont(bold);
  QPalette red = BStop->palette();
  red.setColor(QPalette::ButtonText, QColor(255, 0, 0));
  BStop->setPalette(red);
  BTable = Button(p, "BTable", "Table", 368, 2, 57);
  BTable->setToolTip("The 20 best trials; pressed again, the distinct peaks");
  Butt2wave = Button(p, "Butt2wave", "Wave", 432, 2, 57);
  BPrewhite = Button(p, "BPrewhite", "Prewhitening", 496, 2, 89);
  BPrewhite->hide();
  SpToFile = Button(p, "SpToFile", "Spectrum to file", 592, 2, 121);
  SpFN = Place(new QLineEdit(kDefaultSpectrumFile, p), "SpFN", 592, 32, 121, 21);

  Chaos = Button(p, "Chaos", "Chaos", 344, 30, 45);
  StatX = Button(p, "StatX", "Stat", 392, 30, 37);
  Px2 = Button(p, "Px2", "Px2", 432, 30, 57);
  ButAllDiap = Button(p, "ButAllDiap", "All", 496, 30, 37);
  ButAllDiap->hide();
  Magint = Button(p, "Magint", "Mag/Int", 536, 30, 53);
}

void TForm1::BuildGrid() {
  StrGr = new QTableWidget(kGridDataRows, kGridColumns, PWin);
  StrGr->setObjectName("StrGr");
  StrGr->setGeometry(kGridLeft, 0, 238, 343);
  StyleResultTable(*StrGr);
  for (int c = 0; c < kGridColumns; ++c) {
    StrGr->setColumnWidth(c, kGridColumnWidth);
    StrGr->setHorizontalHeaderItem(c, new QTableWidgetItem(QString()));
    for (int r = 0; r < kGridDataRows; ++r) StrGr->setItem(r, c, ResultItem());
  }
  // As in a grid with a fixed header row, the first trial row starts selected.
  StrGr->setCurrentCell(0, 0);
  StrGr->hide();
}

void TForm1::BuildPeakTable() {
  PeakGr = new QTableWidget(0, kPeakColumns, PWin);
  PeakGr->setObjectName("PeakGr");
  StyleResultTable(*PeakGr);
  for (int c = 0; c < kPeakColumns; ++c)
    PeakGr->setHorizontalHeaderItem(c, new QTableWidgetItem(QString()));
  PeakGr->hide();
}

void TForm1::FitPeakTable() {
  PeakGr->resizeColumnsToContents();
  // A peak without a fit says why in its period cell: the text is cut, and
  // its tip shows it whole.
  PeakGr->setColumnWidth(0, std::min(PeakGr->columnWidth(0), kPeakPeriodWidth));
  const int frame = 2 * PeakGr->frameWidth();
  int width = frame, height = frame + kGridRowHeight * (PeakGr->rowCount() + 1);
  for (int c = 0; c < kPeakColumns; ++c) width += PeakGr->columnWidth(c);
  width = std::min(width, PWin->width());
  height = std::min(height, PWin->height());
  PeakGr->setGeometry(std::max(0, std::min(kGridLeft, PWin->width() - width)), 0, width, height);
}

bool TForm1::event(QEvent* e) {
  // Menus send empty status tips when hovered, which would wipe the status
  // line ("Done...", a search summary); the program has no status tips.
  if (e->type() == QEvent::StatusTip) return true;
  // The first showing counts as an activation too: without a window manager
  // (a bare X server, a kiosk) the window may never be made active.
  const bool firstShow = e->type() == QEvent::Show && !shown_;
  if (firstShow) shown_ = true;
  if (e->type() == QEvent::WindowActivate || firstShow)
    QTimer::singleShot(0, this, [this] { emit activated(); });
  return QMainWindow::event(e);
}

void TForm1::closeEvent(QCloseEvent* e) {
  emit closing();
  QMainWindow::closeEvent(e);
}

}  // namespace korvel::gui
