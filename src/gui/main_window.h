// TForm1, the main window: the plot surface, the results tables in a panel
// at its right, the control panel, the status line, the menu, the keyboard's
// shortcuts and the one-second timer. The
// window only holds the controls; the commands are wired by the command
// table and the controls are read and written through QtPlatform.
#pragma once

#include <QMainWindow>

class QAction;
class QCheckBox;
class QDockWidget;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QTableWidget;
class QTableWidgetItem;
class QTimer;

namespace korvel::gui {

class PlotSurface;

// The font of the window and its dialogs: a sans-serif face of 8 points.
QFont WindowFont();
// A cell of a results table: selectable, not editable, empty.
QTableWidgetItem* ResultItem();

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);

  // Sizes the peaks table to its rows and texts; where the panel is too
  // short for its rows, it scrolls.
  void FitPeakTable();
  // The peaks table holds a multi-frequency fit's frequencies (its columns
  // are not the peaks').
  bool ShowsFrequencies() const;
  // Shows or hides one results table. The panel shows while either table
  // does, and the window widens by the panel's width while it shows, so that
  // the plot surface keeps its size.
  void ShowResultTable(QTableWidget* table, bool shown);
  // The status line's text. Menu items show their tips there while hovered;
  // the text comes back when they are left.
  void ShowStatus(const QString& text);

  // Size of the plot surface at the initial window size.
  static constexpr int kPlotWidth = 734;
  static constexpr int kPlotHeight = 432;
  static constexpr int kPanelHeight = 63;

  PlotSurface* PWin;
  // At the right of the plot, closable; holds whichever table shows.
  QDockWidget* TablePanel;
  QTableWidget* StrGr;
  // The distinct peaks of the last search, shown in the grid's place (Table
  // pressed again), as wide as its texts and as tall as its rows.
  QTableWidget* PeakGr;
  QFrame* Panel1;
  QStatusBar* StatusBar1;
  // At the right of the status line: the share of a running search's trials
  // done. Hidden at start and between searches.
  QProgressBar* SearchProgress;

  QSpinBox* SpinEdit1;
  QLabel* LabelColumn;
  QLineEdit* JDmin;
  QLabel* LabelJDmin;
  QLineEdit* JDmax;
  QLabel* LabelJDmax;
  QCheckBox* ChBZero;
  QCheckBox* ChBWindow;
  QPushButton* Butt4print;
  QPushButton* BStop;
  QPushButton* BTable;
  QPushButton* Butt2wave;
  QPushButton* BPrewhite;
  QPushButton* SpToFile;
  QLineEdit* SpFN;
  QPushButton* Chaos;
  QPushButton* StatX;
  QPushButton* Px2;
  QPushButton* ButAllDiap;
  QPushButton* Magint;

  QMenu* FileMenu;
  QMenu* EditMenu;
  QMenu* MethodMenu;
  QMenu* LightCurveMenu;
  QAction* AboutAction;
  QMenu* HelpMenu;
  // Keys without a menu item of their own: Ctrl+P (Print), F5 (the last
  // search again) and Esc (Stop, or the tables closed).
  QAction* PrintAction;
  QAction* RepeatSearchAction;
  QAction* EscapeAction;

  // Disabled at start; the search engines start and stop it.
  QTimer* Timer1;

 signals:
  // Each time the window becomes the active window, and at its first showing.
  // Delivered after the activation event, so that a handler may open modal
  // boxes without nesting them inside the activation.
  void activated();
  // The window is closing (Exit or the close box).
  void closing();

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  bool shown_ = false;
  // How much the table panel widened the window, and how much it should.
  int widenedBy_ = 0, panelWidth_ = 0, widthWithoutPanel_ = 0;
  bool fitPending_ = false;
  QString status_;
  bool tipShown_ = false;

  void BuildMenu();
  void BuildShortcuts();
  void BuildPanel();
  void BuildTablePanel();
  void BuildGrid();
  void BuildPeakTable();
  void SyncTablePanel();
};

}  // namespace korvel::gui
