// TForm1, the main window: the plot surface with its results grid, the
// control panel, the status line, the menu and the one-second timer. The
// window only holds the controls; the commands are wired by the command
// table and the controls are read and written through QtPlatform.
#pragma once

#include <QMainWindow>

class QAction;
class QCheckBox;
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

  // Sizes the peaks table to its rows and texts, from the grid's top left
  // corner and within the plot surface.
  void FitPeakTable();

  // Size of the plot surface at the initial window size.
  static constexpr int kPlotWidth = 734;
  static constexpr int kPlotHeight = 432;
  static constexpr int kPanelHeight = 63;

  PlotSurface* PWin;
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
  QMenu* MethodMenu;
  QMenu* LightCurveMenu;
  QAction* AboutAction;

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
  void closeEvent(QCloseEvent* e) override;

 private:
  bool shown_ = false;

  void BuildMenu();
  void BuildPanel();
  void BuildGrid();
  void BuildPeakTable();
};

}  // namespace korvel::gui
