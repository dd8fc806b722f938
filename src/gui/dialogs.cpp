#include "gui/dialogs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/text_format.h"
#include "gui/main_window.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/frequency_analysis.h"
#include "lightcurve/wave_parameters.h"
#include "search/search_parameters.h"

namespace korvel::gui {

namespace {

constexpr int kEditWidth = 120;

QPushButton* DialogButton(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  b->setMinimumWidth(75);
  return b;
}

}  // namespace

TOKRightDlg::TOKRightDlg(QWidget* parent) : QDialog(parent) {
  setFont(WindowFont());

  auto* bevel = new QFrame(this);
  bevel->setObjectName("Bevel1");
  bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
  fields_ = new QFormLayout(bevel);
  fields_->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  fields_->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

  OKBtn = DialogButton(this, "OKBtn", tr("OK"));
  OKBtn->setDefault(true);
  CancelBtn = DialogButton(this, "CancelBtn", tr("Cancel"));
  HelpBtn = DialogButton(this, "HelpBtn", tr("Help"));
  connect(OKBtn, &QPushButton::clicked, this, &TOKRightDlg::OkClicked);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);
  buttons->addStretch(1);

  auto* outer = new QHBoxLayout(this);
  outer->addWidget(bevel, 1);
  outer->addLayout(buttons);
  outer->setSizeConstraint(QLayout::SetFixedSize);
}

QLineEdit* TOKRightDlg::AddEdit(const char* name, const QString& label, const std::string& text,
                                const QString& tip, Unit unit) {
  auto* edit = new QLineEdit(QString::fromStdString(text));
  edit->setObjectName(name);
  edit->setFixedWidth(kEditWidth);
  edit->setToolTip(tip);
  if (unit == Unit::None) {
    fields_->addRow(label, edit);
    return edit;
  }
  auto* row = new QHBoxLayout;
  row->addWidget(edit);
  auto* days = new QLabel(tr("days"));
  days->setObjectName(QString(name) + "Unit");
  row->addWidget(days);
  fields_->addRow(label, row);
  return edit;
}

QLabel* TOKRightDlg::AddGuidance() {
  auto* guidance = new QLabel(this);
  guidance->setObjectName("Guidance");
  guidance->setWordWrap(true);
  guidance->setTextFormat(Qt::PlainText);
  // As wide as the fields: a long line wraps instead of widening the dialog.
  guidance->setFixedWidth(fields_->sizeHint().width());
  fields_->addRow(guidance);
  return guidance;
}

void TOKRightDlg::OkClicked() {
  if (!okHandler_ || okHandler_()) accept();
}

void TOKRightDlg::showEvent(QShowEvent* e) {
  // Centred on the screen rather than over the main window.
  if (QScreen* s = screen()) {
    const QRect area = s->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  QDialog::showEvent(e);
}

TDialLK::TDialLK(QWidget* parent) : TOKRightDlg(parent) {
  setObjectName("TDialLK");
  setWindowTitle(tr("Initial parameters"));
  Pmax = AddEdit("Pmax", tr("Maximum trial period"), ShortestText(kDefaultPmax),
                 tr("The longest period the search tries, in days."), Unit::Days);
  Pmin = AddEdit("Pmin", tr("Minimum trial period"), ShortestText(kDefaultPmin),
                 tr("The shortest period the search tries, in days."), Unit::Days);
  PhaseShift = AddEdit(
      "PhaseShift", tr("Maximum phase shift"), ShortestText(kDefaultPhaseShift),
      tr("How far, as a fraction of a cycle (no unit), the phase of the last observation may "
         "move against the first from one trial to the next; smaller means more trials."));
  const auto ownField = [this](const char* name, QLabel*& caption) {
    // A caption the search commands replace: an empty one would give the row no label.
    QLineEdit* edit =
        AddEdit(name, tr("Parameter"), "",
                tr("A whole number the search being started takes besides the period range "
                   "(Help describes each)."));
    caption = qobject_cast<QLabel*>(Fields()->labelForField(edit));
    caption->setObjectName(QString(name) + "Caption");
    return edit;
  };
  Own1 = ownField("Own1", Own1Caption);
  Own2 = ownField("Own2", Own2Caption);
  Guidance = AddGuidance();
}

TDlgLC::TDlgLC(QWidget* parent) : TOKRightDlg(parent) {
  setObjectName("TDlgLC");
  setWindowTitle(tr("Light curve elements"));
  Edit1 =
      AddEdit("Edit1", tr("Period"), "0", tr("The period the light curve is folded on, in days."));
  Edit2 = AddEdit("Edit2", tr("Initial date"), "0",
                  tr("The date of phase zero of the period (Julian date, in days)."));
  Edit3 = AddEdit("Edit3", tr("Secondary period"), "0",
                  tr("The period of the change of the light curve's shape, in days."));
  Edit4 = AddEdit("Edit4", tr("Extremum moment date"), "0",
                  tr("The date of the extremal light curve shape, where the secondary phase "
                     "is zero (Julian date, in days)."));
  Edit5 = AddEdit("Edit5", tr("Number of bins "), ShortestText(kDefaultElementBins),
                  tr("Into how many bins the secondary phases are divided (a whole number, "
                     "at least 2)."));
}

TDlgSecP::TDlgSecP(QWidget* parent) : TOKRightDlg(parent) {
  setObjectName("TDlgSecP");
  setWindowTitle(tr("Parameters to search the secondary period"));
  Period = AddEdit("Period", tr("Primary period"), "0",
                   tr("The known main period the light curve is folded on, in days."), Unit::Days);
  Epoch = AddEdit("Epoch", tr("Initial date of the primary period"), "0",
                  tr("The date of phase zero of the primary period (Julian date, in days)."),
                  Unit::Days);
  ExtrDate = AddEdit("ExtrDate", tr("Date of extremal light curve shape"), "0",
                     tr("The date when the light curve's shape is extremal; the primary phases are "
                        "counted from it (Julian date, in days)."),
                     Unit::Days);
  Pmax = AddEdit("Pmax", tr("Maximum trial secondary period"), ShortestText(kDefaultSecondaryPmax),
                 tr("The longest secondary period the search tries, in days."), Unit::Days);
  Pmin = AddEdit("Pmin", tr("Minimum trial secondary period"), ShortestText(kDefaultPmin),
                 tr("The shortest secondary period the search tries, in days."), Unit::Days);
  NBins = AddEdit("NBins", tr("Phase bin number for secondary period"), ShortestText(kDefaultBins),
                  tr("Into how many phase bins the observations are divided (a whole number, "
                     "at least 2)."));
  PhaseShift =
      AddEdit("PhaseShift", tr("Maximum phase shift of the secondary period"),
              ShortestText(kDefaultPhaseShift),
              tr("How far, as a fraction of a cycle (no unit), the secondary phase of the last "
                 "observation may move against the first from one trial to the next; smaller means "
                 "more trials."));

  Mode = new QGroupBox(tr("Mode"));
  Mode->setObjectName("Mode");
  Mode1 = new QRadioButton(tr("To devide the phases of the secondary period  by bins"), Mode);
  Mode1->setObjectName("Mode1");
  Mode1->setToolTip(
      tr("The secondary phases are divided into bins: each bin's observations "
         "form a primary light curve."));
  Mode2 = new QRadioButton(tr("To divide the phases of the primary period by bins"), Mode);
  Mode2->setObjectName("Mode2");
  Mode2->setToolTip(
      tr("The primary phases are divided into bins: each bin is followed "
         "along the secondary phase."));
  Mode1->setChecked(true);
  auto* modes = new QVBoxLayout(Mode);
  modes->addWidget(Mode1);
  modes->addWidget(Mode2);
  Fields()->addRow(Mode);
  Guidance = AddGuidance();
}

TMLCDlg::TMLCDlg(QWidget* parent) : TOKRightDlg(parent) {
  setObjectName("TMLCDlg");
  setWindowTitle(tr("Moving average method calculation"));

  SpinEdit1 = new QSpinBox;
  SpinEdit1->setObjectName("SpinEdit1");
  SpinEdit1->setRange(1, 100);
  SpinEdit1->setValue(1);
  SpinEdit1->setFixedWidth(60);
  SpinEdit1->setToolTip(
      tr("The number under which the mean light curve is written to the collecting file "
         "(1 to 100)."));
  Fields()->addRow(tr("Number of the mean light curve"), SpinEdit1);
  Edit1 = AddEdit("Edit1", tr("Number of average points (<100)"), ShortestText(kDefaultMeanPoints),
                  tr("How many equally spaced phases the mean light curve has (2 to 99)."));
  Edit2 = AddEdit("Edit2", tr("Length of the average bin"), ShortestText(kDefaultBinLength),
                  tr("The width of the window averaged around each mean point, as a fraction "
                     "of the period (phase units, above 0 and at most 0.25)."));

  // A file name wants more room than a number.
  Edit3 = new QLineEdit;
  Edit3->setObjectName("Edit3");
  Edit3->setMinimumWidth(200);
  Edit3->setToolTip(tr("The file that collects the mean light curves of prewhitening."));
  Button1 = DialogButton(this, "Button1", tr("..."));
  Button1->setMinimumWidth(0);
  Button1->setFixedWidth(28);
  Button1->setToolTip(tr("Choose the file that collects the mean light curves."));
  auto* collect = new QHBoxLayout;
  collect->addWidget(Edit3, 1);
  collect->addWidget(Button1);
  Fields()->addRow(tr("File name to collect mean light curves"), collect);

  CheckBox1 = new QCheckBox(tr("Append the existing file"));
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setChecked(true);
  CheckBox1->setEnabled(false);
  CheckBox1->setToolTip(
      tr("Add the curve to the end of the collecting file instead of replacing it (only when "
         "the file exists)."));
  Fields()->addRow(QString(), CheckBox1);

  Edit4 = new QLineEdit;
  Edit4->setObjectName("Edit4");
  Edit4->setMinimumWidth(200);
  Edit4->setToolTip(tr("The file prewhitening writes the residual magnitudes to."));
  Fields()->addRow(tr("File name to save residuals of prewhitening"), Edit4);
  CheckBox2 = new QCheckBox(tr("Check to be not saved"));
  CheckBox2->setObjectName("CheckBox2");
  CheckBox2->setToolTip(tr("Prewhiten without writing the residual file."));
  Fields()->addRow(QString(), CheckBox2);
}

TFitDlg::TFitDlg(QWidget* parent) : TOKRightDlg(parent) {
  setObjectName("TFitDlg");
  setWindowTitle(tr("Multi-frequency fit"));
  const FrequencyAnalysisOptions defaults;
  Fmin = AddEdit("Fmin", tr("Lowest frequency (c/d)"), "",
                 tr("The lowest frequency searched, in cycles per day; empty: 1 / time span."));
  Fmax = AddEdit("Fmax", tr("Highest frequency (c/d)"), "",
                 tr("The highest frequency searched, in cycles per day; empty: half the inverse "
                    "of the median gap between dates, at most 50."));
  Snr = AddEdit("Snr", tr("S/N limit"), ShortestText(defaults.snrLimit),
                tr("A frequency is kept while its amplitude is at least this many times the mean "
                   "residual amplitude around it (4 is the usual criterion)."));
  NoiseBox = AddEdit("NoiseBox", tr("Noise box (c/d)"), ShortestText(defaults.noiseBox),
                     tr("The width of the residual spectrum, centred on the frequency, whose "
                        "mean amplitude is the noise, in cycles per day."));
  MaxCount = AddEdit("MaxCount", tr("Most frequencies"), std::to_string(defaults.maxFrequencies),
                     tr("The search stops when this many frequencies are kept (1 to 100)."));
  Fap = AddEdit("Fap", tr("False-alarm limit"), "",
                tr("Stop when the highest residual peak is more likely than this to be noise "
                   "(between 0 and 1, e.g. 0.001); empty: no limit."));
}

}  // namespace korvel::gui
