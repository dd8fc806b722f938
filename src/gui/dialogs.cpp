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
#include "lightcurve/wave_parameters.h"
#include "search/search_parameters.h"

namespace korvel::gui {

namespace {

constexpr int kEditWidth = 120;

QPushButton* DialogButton(QWidget* parent, const char* name, const char* caption) {
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

  OKBtn = DialogButton(this, "OKBtn", "OK");
  OKBtn->setDefault(true);
  CancelBtn = DialogButton(this, "CancelBtn", "Cancel");
  HelpBtn = DialogButton(this, "HelpBtn", "Help");
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

QLineEdit* TOKRightDlg::AddEdit(const char* name, const char* label, const std::string& text) {
  auto* edit = new QLineEdit(QString::fromStdString(text));
  edit->setObjectName(name);
  edit->setFixedWidth(kEditWidth);
  fields_->addRow(label, edit);
  return edit;
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
  setWindowTitle("Initial parameters");
  Pmax = AddEdit("Pmax", "Maximum trial period", ShortestText(kDefaultPmax));
  Pmin = AddEdit("Pmin", "Minimum trial period", ShortestText(kDefaultPmin));
  PhaseShift = AddEdit("PhaseShift", "Maximum phase shift", ShortestText(kDefaultPhaseShift));
  Guidance = new QLabel(this);
  Guidance->setObjectName("Guidance");
  Guidance->setWordWrap(true);
  Fields()->addRow(Guidance);
}

TDlgLC::TDlgLC(QWidget* parent) : TOKRightDlg(parent) {
  setObjectName("TDlgLC");
  setWindowTitle("Light curve elements");
  Edit1 = AddEdit("Edit1", "Period", "0");
  Edit2 = AddEdit("Edit2", "Initial date", "0");
  Edit3 = AddEdit("Edit3", "Secondary period", "0");
  Edit4 = AddEdit("Edit4", "Extremum moment date", "0");
  Edit5 = AddEdit("Edit5", "Number of bins ", ShortestText(kDefaultElementBins));
}

TDlgSecP::TDlgSecP(QWidget* parent) : TOKRightDlg(parent) {
  setObjectName("TDlgSecP");
  setWindowTitle("Parameters to search the secondary period");
  Period = AddEdit("Period", "Primary period", "0");
  Epoch = AddEdit("Epoch", "Initial date of the primary period", "0");
  ExtrDate = AddEdit("ExtrDate", "Date of extremal light curve shape", "0");
  Pmax = AddEdit("Pmax", "Maximum trial secondary period", ShortestText(kDefaultSecondaryPmax));
  Pmin = AddEdit("Pmin", "Minimum trial secondary period", ShortestText(kDefaultPmin));
  NBins = AddEdit("NBins", "Phase bin number for secondary period", ShortestText(kDefaultBins));
  PhaseShift = AddEdit("PhaseShift", "Maximum phase shift of the secondary period",
                       ShortestText(kDefaultPhaseShift));

  Mode = new QGroupBox("Mode");
  Mode->setObjectName("Mode");
  Mode1 = new QRadioButton("To devide the phases of the secondary period  by bins", Mode);
  Mode1->setObjectName("Mode1");
  Mode2 = new QRadioButton("To divide the phases of the primary period by bins", Mode);
  Mode2->setObjectName("Mode2");
  Mode1->setChecked(true);
  auto* modes = new QVBoxLayout(Mode);
  modes->addWidget(Mode1);
  modes->addWidget(Mode2);
  Fields()->addRow(Mode);
  Guidance = new QLabel(this);
  Guidance->setObjectName("Guidance");
  Guidance->setWordWrap(true);
  Fields()->addRow(Guidance);
}

TMLCDlg::TMLCDlg(QWidget* parent) : TOKRightDlg(parent) {
  setObjectName("TMLCDlg");
  setWindowTitle("Moving average method calculation");

  SpinEdit1 = new QSpinBox;
  SpinEdit1->setObjectName("SpinEdit1");
  SpinEdit1->setRange(1, 100);
  SpinEdit1->setValue(1);
  SpinEdit1->setFixedWidth(60);
  Fields()->addRow("Number of the mean light curve", SpinEdit1);
  Edit1 = AddEdit("Edit1", "Number of average points (<100)", ShortestText(kDefaultMeanPoints));
  Edit2 = AddEdit("Edit2", "Length of the average bin", ShortestText(kDefaultBinLength));

  // A file name wants more room than a number.
  Edit3 = new QLineEdit;
  Edit3->setObjectName("Edit3");
  Edit3->setMinimumWidth(200);
  Button1 = DialogButton(this, "Button1", "...");
  Button1->setMinimumWidth(0);
  Button1->setFixedWidth(28);
  auto* collect = new QHBoxLayout;
  collect->addWidget(Edit3, 1);
  collect->addWidget(Button1);
  Fields()->addRow("File name to collect mean light curves", collect);

  CheckBox1 = new QCheckBox("Append the existing file");
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setChecked(true);
  CheckBox1->setEnabled(false);
  Fields()->addRow(QString(), CheckBox1);

  Edit4 = new QLineEdit;
  Edit4->setObjectName("Edit4");
  Edit4->setMinimumWidth(200);
  Fields()->addRow("File name to save residuals of prewhitening", Edit4);
  CheckBox2 = new QCheckBox("Check to be not saved");
  CheckBox2->setObjectName("CheckBox2");
  Fields()->addRow(QString(), CheckBox2);
}

}  // namespace korvel::gui
