// The five parameter dialogs and their OK/Cancel base. The dialogs only hold
// their fields; what OK checks and stores is command logic, handed in by
// QtPlatform::ShowDialog as the OK handler.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QCheckBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace korvel::gui {

// A bordered dialog with a frame around its fields and the buttons OK
// (default), Cancel and Help at its right. OK closes the dialog only when
// the OK handler accepts the fields; without a handler it just accepts.
class TOKRightDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TOKRightDlg(QWidget* parent);

  void SetOkHandler(std::function<bool()> handler) { okHandler_ = std::move(handler); }

  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

 protected:
  // Where a dialog places its labelled fields, top to bottom.
  QFormLayout* Fields() const { return fields_; }
  // A field's unit, shown at its right.
  enum class Unit { None, Days };
  QLineEdit* AddEdit(const char* name, const QString& label, const std::string& text,
                     const QString& tip, Unit unit = Unit::None);
  // The word-wrapped label under the fields that the search commands write.
  QLabel* AddGuidance();

  void showEvent(QShowEvent* e) override;

 private:
  void OkClicked();

  QFormLayout* fields_;
  std::function<bool()> okHandler_;
};

// "Initial parameters" of every search but the secondary period's.
class TDialLK : public TOKRightDlg {
  Q_OBJECT

 public:
  explicit TDialLK(QWidget* parent);

  QLineEdit* Pmax;
  QLineEdit* Pmin;
  QLineEdit* PhaseShift;
  // The search's own parameters: captions and rows set by the search
  // commands for the search being started.
  QLineEdit* Own1;
  QLineEdit* Own2;
  QLabel* Own1Caption;
  QLabel* Own2Caption;
  QLabel* Guidance;  // units, trials, time and warnings of the fields
};

// "Light curve elements".
class TDlgLC : public TOKRightDlg {
  Q_OBJECT

 public:
  explicit TDlgLC(QWidget* parent);

  QLineEdit* Edit1;  // Period
  QLineEdit* Edit2;  // Initial date
  QLineEdit* Edit3;  // Secondary period
  QLineEdit* Edit4;  // Extremum moment date
  QLineEdit* Edit5;  // Number of bins
};

// "Parameters to search the secondary period".
class TDlgSecP : public TOKRightDlg {
  Q_OBJECT

 public:
  explicit TDlgSecP(QWidget* parent);

  QLineEdit* Period;
  QLineEdit* Epoch;
  QLineEdit* ExtrDate;
  QLineEdit* Pmax;
  QLineEdit* Pmin;
  QLineEdit* NBins;
  QLineEdit* PhaseShift;
  QGroupBox* Mode;
  QRadioButton* Mode1;
  QRadioButton* Mode2;
  QLabel* Guidance;  // as TDialLK's
};

// "Moving average method calculation".
class TMLCDlg : public TOKRightDlg {
  Q_OBJECT

 public:
  explicit TMLCDlg(QWidget* parent);

  QSpinBox* SpinEdit1;
  QLineEdit* Edit1;      // Number of average points
  QLineEdit* Edit2;      // Length of the average bin
  QLineEdit* Edit3;      // File name to collect mean light curves
  QPushButton* Button1;  // browse for Edit3
  QCheckBox* CheckBox1;  // Append the existing file
  QLineEdit* Edit4;      // File name to save residuals of prewhitening
  QCheckBox* CheckBox2;  // Check to be not saved
};

// "Multi-frequency fit": the range, the stop rules and the limit of the
// automatic prewhitening.
class TFitDlg : public TOKRightDlg {
  Q_OBJECT

 public:
  explicit TFitDlg(QWidget* parent);

  QLineEdit* Fmin;
  QLineEdit* Fmax;
  QLineEdit* Snr;
  QLineEdit* NoiseBox;
  QLineEdit* MaxCount;
  QLineEdit* Fap;
};

}  // namespace korvel::gui
