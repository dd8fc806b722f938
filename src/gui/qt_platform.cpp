// The Platform port on Qt, whole in one file although it runs past 400 lines:
// its 40 members are each a few lines over one Qt call, and splitting them
// by kind would scatter the one table of controls they all consult.
#include "gui/qt_platform.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <string_view>

#include "app/app_context.h"
#include "core/error.h"
#include "gui/band_choice.h"
#include "gui/dialogs.h"
#include "gui/file_dialog_looks.h"
#include "gui/help_window.h"
#include "gui/main_window.h"
#include "gui/plot_surface.h"
#include "io/output_file.h"
#include "render/picture_file.h"

namespace korvel::gui {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}
std::string S(const QString& s) {
  return s.toStdString();
}

}  // namespace

QtPlatform::QtPlatform(AnalysisState& state, TForm1& form, TDialLK& dialLK, TDlgLC& dlgLC,
                       TDlgSecP& dlgSecP, TMLCDlg& mlcDlg, TFitDlg& fitDlg)
    : state_(state), form_(form) {
  dialogs_ = {{Dialog::LK, &dialLK},
              {Dialog::LC, &dlgLC},
              {Dialog::SecP, &dlgSecP},
              {Dialog::MLC, &mlcDlg},
              {Dialog::Fit, &fitDlg}};

  Bind(Control::MainWindow, &form);
  Bind(Control::MethodMenu, form.MethodMenu->menuAction());
  Bind(Control::SpinEdit1, form.SpinEdit1);
  Bind(Control::JDmin, form.JDmin);
  Bind(Control::JDmax, form.JDmax);
  Bind(Control::ChBZero, form.ChBZero);
  Bind(Control::ChBWindow, form.ChBWindow);
  Bind(Control::Butt4print, form.Butt4print);
  Bind(Control::BStop, form.BStop);
  Bind(Control::BTable, form.BTable);
  Bind(Control::Butt2wave, form.Butt2wave);
  Bind(Control::BPrewhite, form.BPrewhite);
  Bind(Control::SpToFile, form.SpToFile);
  Bind(Control::SpFN, form.SpFN);
  Bind(Control::Chaos, form.Chaos);
  Bind(Control::StatX, form.StatX);
  Bind(Control::Px2, form.Px2);
  Bind(Control::ButAllDiap, form.ButAllDiap);
  Bind(Control::Magint, form.Magint);
  Bind(Control::StrGr, form.StrGr);
  Bind(Control::PeakGr, form.PeakGr);

  Bind(Control::LK_Pmax, dialLK.Pmax);
  Bind(Control::LK_Pmin, dialLK.Pmin);
  Bind(Control::LK_PhaseShift, dialLK.PhaseShift);
  Bind(Control::LK_Guidance, dialLK.Guidance);
  Bind(Control::LK_Own1, dialLK.Own1);
  Bind(Control::LK_Own2, dialLK.Own2);
  Bind(Control::LK_Own1Caption, dialLK.Own1Caption);
  Bind(Control::LK_Own2Caption, dialLK.Own2Caption);

  Bind(Control::LC_Edit1, dlgLC.Edit1);
  Bind(Control::LC_Edit2, dlgLC.Edit2);
  Bind(Control::LC_Edit3, dlgLC.Edit3);
  Bind(Control::LC_Edit4, dlgLC.Edit4);
  Bind(Control::LC_Edit5, dlgLC.Edit5);

  Bind(Control::SecP_Period, dlgSecP.Period);
  Bind(Control::SecP_Epoch, dlgSecP.Epoch);
  Bind(Control::SecP_ExtrDate, dlgSecP.ExtrDate);
  Bind(Control::SecP_Pmax, dlgSecP.Pmax);
  Bind(Control::SecP_Pmin, dlgSecP.Pmin);
  Bind(Control::SecP_NBins, dlgSecP.NBins);
  Bind(Control::SecP_PhaseShift, dlgSecP.PhaseShift);
  Bind(Control::SecP_Mode1, dlgSecP.Mode1);
  Bind(Control::SecP_Mode2, dlgSecP.Mode2);
  Bind(Control::SecP_Guidance, dlgSecP.Guidance);

  Bind(Control::MLC_SpinEdit1, mlcDlg.SpinEdit1);
  Bind(Control::MLC_Edit1, mlcDlg.Edit1);
  Bind(Control::MLC_Edit2, mlcDlg.Edit2);
  Bind(Control::MLC_Edit3, mlcDlg.Edit3);
  Bind(Control::MLC_Edit4, mlcDlg.Edit4);
  Bind(Control::MLC_CheckBox1, mlcDlg.CheckBox1);
  Bind(Control::MLC_CheckBox2, mlcDlg.CheckBox2);

  Bind(Control::FIT_Fmin, fitDlg.Fmin);
  Bind(Control::FIT_Fmax, fitDlg.Fmax);
  Bind(Control::FIT_Snr, fitDlg.Snr);
  Bind(Control::FIT_NoiseBox, fitDlg.NoiseBox);
  Bind(Control::FIT_MaxCount, fitDlg.MaxCount);
  Bind(Control::FIT_Fap, fitDlg.Fap);

  // The file name the mean-light-curve dialog offers before any choice.
  files_[FileDialog::MLCFileShow].name = "ci51.mlc";
}

TOKRightDlg& QtPlatform::DialogOf(Dialog dialog) const {
  return *dialogs_.at(dialog);
}

QObject* QtPlatform::ControlObject(Control c) const {
  const auto it = controls_.find(c);
  if (it == controls_.end())
    throw std::logic_error("Control " + std::to_string(static_cast<int>(c)) + " is not bound");
  return it->second;
}

QWidget* QtPlatform::ModalParent() const {
  if (QWidget* w = QApplication::activeModalWidget()) return w;
  if (QWidget* w = QApplication::activeWindow()) return w;
  return &form_;
}

void QtPlatform::ShowMessage(const std::string& text) {
  if (messageSink_) {
    messageSink_(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, "KORVEL", Q(text), QMessageBox::Ok, ModalParent());
  box.exec();
}

Answer QtPlatform::AskYesNoCancel(const std::string& caption, const std::string& text) {
  if (questionHook_) return questionHook_(caption, text);
  if (messageSink_) {
    messageSink_(text);
    return Answer::Cancel;
  }
  QMessageBox box(QMessageBox::Question, Q(caption), Q(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, ModalParent());
  box.setDefaultButton(QMessageBox::Yes);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

void QtPlatform::SetStatus(const std::string& text) {
  form_.ShowStatus(Q(text));
  // A long text (a search's adopted period and its reason) is cut at the
  // window's edge; its tip shows it whole.
  form_.StatusBar1->setToolTip(Q(text));
}

void QtPlatform::RequestRepaint() {
  form_.PWin->RequestFullRepaint();
}

void QtPlatform::ProcessEvents() {
  QCoreApplication::processEvents();
}

bool QtPlatform::IsMainWindowActive() {
  return form_.isActiveWindow();
}

void QtPlatform::DrawOnPlot(const std::function<void(Canvas&)>& draw) {
  form_.PWin->DrawOver(draw);
}

void QtPlatform::SetProgress(double share) {
  QProgressBar* bar = form_.SearchProgress;
  if (!(share >= 0)) {  // negative (or not a number): no search runs
    bar->hide();
    return;
  }
  bar->setValue(static_cast<int>(std::lround(std::min(share, 1.0) * 100)));
  bar->show();
}

bool QtPlatform::ShowDialog(Dialog dialog, const std::function<bool()>& onOk) {
  TOKRightDlg& dlg = DialogOf(dialog);
  // OK runs inside the dialog's event loop, where an escaping exception would
  // pass through Qt: the general error handler's messages are given here and
  // the dialog stays open.
  dlg.SetOkHandler([this, &onOk] {
    bool accepted = false;
    RunGuarded(*this, [&] { accepted = onOk(); });
    return accepted;
  });
  bool confirmed = false;
  if (dialogHook_) {
    dlg.setResult(QDialog::Rejected);
    dialogHook_(dlg);
    confirmed = dlg.result() == QDialog::Accepted;
  } else {
    confirmed = dlg.exec() == QDialog::Accepted;
  }
  dlg.SetOkHandler(nullptr);
  return confirmed;
}

bool QtPlatform::RunFileDialog(FileDialog dialog,
                               const std::function<bool(const std::string&)>& canClose) {
  FileDialogState& state = files_[dialog];
  const FileDialogLook look = LookOf(dialog);
  QFileDialog fd(ModalParent());
  if (look.title) fd.setWindowTitle(look.title);
  fd.setOption(QFileDialog::DontUseNativeDialog);
  fd.setAcceptMode(look.mode);
  // A name that does not exist is for the confirmation handler to judge.
  fd.setFileMode(QFileDialog::AnyFile);
  fd.setOption(QFileDialog::DontConfirmOverwrite);
  if (!look.filters.isEmpty()) fd.setNameFilters(look.filters);
  if (!state.dir.empty()) fd.setDirectory(Q(state.dir));
  if (!state.name.empty()) fd.selectFile(Q(state.name));
  // Open offers the format and the bands of the file selected.
  BandChoice* bands = nullptr;
  if (dialog == FileDialog::FindFile) {
    readChoice_ = {};
    bands = new BandChoice(fd, state_.DataFileName, state_.ReadWith.format, state_.ReadWith.band);
    if (!state.name.empty()) bands->ShowFile(QDir(fd.directory()).filePath(Q(state.name)));
  }

  for (;;) {
    std::optional<std::string> chosen;
    if (fileDialogHook_) {
      chosen = fileDialogHook_(dialog, fd);
    } else if (fd.exec() == QDialog::Accepted && !fd.selectedFiles().isEmpty()) {
      chosen = S(fd.selectedFiles().front());
    }
    if (!chosen) return false;
    state.name = *chosen;
    if (bands) readChoice_ = bands->ChoiceFor(*chosen);
    if (canClose(*chosen)) return true;
  }
}

std::string QtPlatform::FileDialogDir(FileDialog dialog) {
  return files_[dialog].dir;
}

void QtPlatform::SetFileDialogDir(FileDialog dialog, const std::string& dir) {
  files_[dialog].dir = dir;
}

std::string QtPlatform::FileDialogName(FileDialog dialog) {
  return files_[dialog].name;
}

void QtPlatform::SetFileDialogName(FileDialog dialog, const std::string& name) {
  files_[dialog].name = name;
}

void QtPlatform::SetTimerEnabled(bool enabled) {
  if (enabled)
    form_.Timer1->start();
  else
    form_.Timer1->stop();
}

bool QtPlatform::TimerEnabled() {
  return form_.Timer1->isActive();
}

std::string QtPlatform::Text(Control c) {
  QObject* o = ControlObject(c);
  if (auto* e = qobject_cast<QLineEdit*>(o)) return S(e->text());
  if (auto* sp = qobject_cast<QSpinBox*>(o)) return S(sp->text());
  if (auto* b = qobject_cast<QAbstractButton*>(o)) return S(b->text());
  if (auto* a = qobject_cast<QAction*>(o)) return S(a->text());
  if (auto* l = qobject_cast<QLabel*>(o)) return S(l->text());
  if (auto* w = qobject_cast<QWidget*>(o); w && w->isWindow()) return S(w->windowTitle());
  return {};
}

void QtPlatform::SetText(Control c, const std::string& text) {
  QObject* o = ControlObject(c);
  if (auto* e = qobject_cast<QLineEdit*>(o)) {
    e->setText(Q(text));
    // Long names (file paths) should show their beginning, as typed.
    e->setCursorPosition(0);
  } else if (auto* sp = qobject_cast<QSpinBox*>(o)) {
    bool ok = false;
    const int v = Q(text).trimmed().toInt(&ok);
    if (ok) sp->setValue(v);
  } else if (auto* b = qobject_cast<QAbstractButton*>(o)) {
    b->setText(Q(text));
  } else if (auto* a = qobject_cast<QAction*>(o)) {
    a->setText(Q(text));
  } else if (auto* l = qobject_cast<QLabel*>(o)) {
    l->setText(Q(text));
  } else if (auto* w = qobject_cast<QWidget*>(o); w && w->isWindow()) {
    w->setWindowTitle(Q(text));
  }
}

bool QtPlatform::Checked(Control c) {
  auto* b = qobject_cast<QAbstractButton*>(ControlObject(c));
  return b && b->isChecked();
}

void QtPlatform::SetChecked(Control c, bool checked) {
  if (auto* b = qobject_cast<QAbstractButton*>(ControlObject(c))) b->setChecked(checked);
}

int32_t QtPlatform::Value(Control c) {
  auto* sp = qobject_cast<QSpinBox*>(ControlObject(c));
  return sp ? sp->value() : 0;
}

void QtPlatform::SetValue(Control c, int32_t value) {
  // The spin box keeps the value inside its range.
  if (auto* sp = qobject_cast<QSpinBox*>(ControlObject(c))) sp->setValue(value);
}

bool QtPlatform::Visible(Control c) {
  QObject* o = ControlObject(c);
  if (auto* a = qobject_cast<QAction*>(o)) return a->isVisible();
  auto* w = qobject_cast<QWidget*>(o);
  if (!w) return false;
  // Whether it shows once its window shows, as the control's own setting.
  return w->isWindow() ? w->isVisible() : w->isVisibleTo(w->window());
}

void QtPlatform::SetVisible(Control c, bool visible) {
  QObject* o = ControlObject(c);
  // The tables live in the panel beside the plot, which comes and goes with them.
  if (o == form_.StrGr || o == form_.PeakGr)
    form_.ShowResultTable(static_cast<QTableWidget*>(o), visible);
  else if (auto* a = qobject_cast<QAction*>(o))
    a->setVisible(visible);
  else if (auto* w = qobject_cast<QWidget*>(o)) {
    // A dialog's field comes and goes with its caption.
    auto* form =
        w->parentWidget() ? qobject_cast<QFormLayout*>(w->parentWidget()->layout()) : nullptr;
    int row = -1;
    QFormLayout::ItemRole role{};
    if (form) form->getWidgetPosition(w, &row, &role);
    if (row >= 0)
      form->setRowVisible(row, visible);
    else
      w->setVisible(visible);
  }
}

bool QtPlatform::Enabled(Control c) {
  QObject* o = ControlObject(c);
  if (auto* a = qobject_cast<QAction*>(o)) return a->isEnabled();
  auto* w = qobject_cast<QWidget*>(o);
  return w && w->isEnabled();
}

void QtPlatform::SetEnabled(Control c, bool enabled) {
  QObject* o = ControlObject(c);
  if (auto* a = qobject_cast<QAction*>(o))
    a->setEnabled(enabled);
  else if (auto* w = qobject_cast<QWidget*>(o))
    w->setEnabled(enabled);
}

void QtPlatform::Focus(Control c) {
  auto* w = qobject_cast<QWidget*>(ControlObject(c));
  if (!w) return;
  w->setFocus(Qt::OtherFocusReason);
  // A refused field is retyped, so its text is offered for replacement.
  if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
}

void QtPlatform::SetGridCell(int row, int column, const std::string& text) {
  QTableWidget* grid = form_.StrGr;
  if (column < 0 || column >= grid->columnCount() || row < 0 || row > grid->rowCount()) return;
  // Row 0 is the header row; rows 1 .. 20 are the table's rows 0 .. 19.
  QTableWidgetItem* item =
      row == 0 ? grid->horizontalHeaderItem(column) : grid->item(row - 1, column);
  if (item) item->setText(Q(text));
}

int QtPlatform::SelectedGridRow() {
  const int row = form_.StrGr->currentRow();
  return row < 0 ? 1 : row + 1;
}

void QtPlatform::SetPeakRows(int rows) {
  QTableWidget* table = form_.PeakGr;
  // The header cells set next give the columns: the peaks' or the fit's.
  table->setColumnCount(0);
  table->setRowCount(std::max(rows, 0));
  for (int r = 0; r < table->rowCount(); ++r)
    for (int c = 0; c < table->columnCount(); ++c)
      if (!table->item(r, c)) table->setItem(r, c, ResultItem());
  if (rows > 0) table->setCurrentCell(0, 0);
  form_.FitPeakTable();
}

void QtPlatform::SetPeakCell(int row, int column, const std::string& text) {
  QTableWidget* table = form_.PeakGr;
  if (row == 0 && column >= table->columnCount()) {
    const int first = table->columnCount();
    table->setColumnCount(column + 1);
    for (int c = first; c <= column; ++c) {
      table->setHorizontalHeaderItem(c, new QTableWidgetItem(QString()));
      for (int r = 0; r < table->rowCount(); ++r) table->setItem(r, c, ResultItem());
    }
  }
  if (column < 0 || column >= table->columnCount() || row < 0 || row > table->rowCount()) return;
  QTableWidgetItem* item =
      row == 0 ? table->horizontalHeaderItem(column) : table->item(row - 1, column);
  if (!item) return;
  item->setText(Q(text));
  if (row > 0) item->setToolTip(Q(text));
  form_.FitPeakTable();
}

int QtPlatform::SelectedPeakRow() {
  const int row = form_.PeakGr->currentRow();
  return row < 0 ? 1 : row + 1;
}

void QtPlatform::SaveWindowImage(const std::string& path) {
  // The client area is everything below the menu bar: the plot (with the
  // grid over it when shown), the panel and the status line, each control
  // painting itself over the window colour.
  const int top = form_.centralWidget()->y();
  const QRect client(0, top, form_.width(), form_.height() - top);
  const QImage image = form_.grab(client).toImage().convertToFormat(QImage::Format_RGB32);
  QByteArray bmp;
  QBuffer buffer(&bmp);
  buffer.open(QIODevice::WriteOnly);
  if (image.isNull() || !image.save(&buffer, "BMP"))
    throw KorvelError(S(tr("Cannot capture the window for %1").arg(Q(path))));
  // A failure leaves no half file and an existing one as it was.
  try {
    WriteWholeFile(path, std::string_view(bmp.constData(), static_cast<size_t>(bmp.size())));
  } catch (const FileError& e) {
    throw KorvelError(S(tr("Cannot write %1: %2").arg(Q(path), Q(e.Reason()))));
  }
}

void QtPlatform::StartImageViewer(const std::string& path) {
  if (viewerHook_) {
    viewerHook_(path);
    return;
  }
  // The desktop's viewer for the file, neither awaited nor heard from: its
  // output would only clutter the terminal, and when it is missing or fails
  // nothing more is to be done.
  QProcess viewer;
  viewer.setProgram("xdg-open");
  viewer.setArguments({Q(path)});
  viewer.setStandardInputFile(QProcess::nullDevice());
  viewer.setStandardOutputFile(QProcess::nullDevice());
  viewer.setStandardErrorFile(QProcess::nullDevice());
  viewer.startDetached();
}

void QtPlatform::ShowHelp(const std::string& topic) {
  if (helpHook_) {
    helpHook_(topic);
    return;
  }
  ShowUserGuide(ModalParent(), topic);
}

std::optional<std::string> QtPlatform::WritePlotPicture(const std::string& path) {
  return render::RenderPicture(state_, path, form_.PWin->width(), form_.PWin->height());
}

void QtPlatform::Quit() {
  form_.close();
  QCoreApplication::quit();
}

std::string QtPlatform::CurrentDir() {
  return S(QDir::currentPath());
}

int64_t QtPlatform::MillisecondsOfDay() {
  return QTime::currentTime().msecsSinceStartOfDay();
}

}  // namespace korvel::gui
