// The Platform port on Qt: messages, dialogs, file dialogs, the timer and the
// controls of the main window and its dialogs, addressed by Control.
//
// For tests, message boxes, questions, dialogs, file dialogs and the image
// viewer can be replaced by hooks, so that no modal loop blocks a test run and
// no outside program starts.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "app/platform.h"
#include "core/analysis_state.h"

class QFileDialog;
class QObject;
class QWidget;

namespace korvel::gui {

class TForm1;
class TOKRightDlg;
class TDialLK;
class TDlgLC;
class TDlgSecP;
class TMLCDlg;
class TFitDlg;

class QtPlatform final : public Platform {
  Q_DECLARE_TR_FUNCTIONS(QtPlatform)

 public:
  // The state is what an exported picture draws.
  QtPlatform(AnalysisState& state, TForm1& form, TDialLK& dialLK, TDlgLC& dlgLC, TDlgSecP& dlgSecP,
             TMLCDlg& mlcDlg, TFitDlg& fitDlg);

  // When set, messages go here instead of into a message box.
  using MessageSink = std::function<void(const std::string&)>;
  void SetMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }
  // When set, answers the Yes/No/Cancel questions (caption, text). Without
  // it, a set message sink receives the question and the answer is Cancel.
  using QuestionHook = std::function<Answer(const std::string&, const std::string&)>;
  void SetQuestionHook(QuestionHook hook) { questionHook_ = std::move(hook); }
  // When set, runs in place of the modal loop of ShowDialog: it may fill the
  // fields and click OK (as often as it likes) or Cancel. The dialog counts
  // as confirmed when its result is Accepted afterwards.
  using DialogHook = std::function<void(TOKRightDlg&)>;
  void SetDialogHook(DialogHook hook) { dialogHook_ = std::move(hook); }
  // When set, runs in place of the file dialog's modal loop, once per
  // showing: returns the confirmed name, or nothing for Cancel.
  using FileDialogHook = std::function<std::optional<std::string>(FileDialog, QFileDialog&)>;
  void SetFileDialogHook(FileDialogHook hook) { fileDialogHook_ = std::move(hook); }
  // When set, receives the file the image viewer would be started on, and
  // nothing is started.
  using ViewerHook = std::function<void(const std::string&)>;
  void SetViewerHook(ViewerHook hook) { viewerHook_ = std::move(hook); }
  // When set, receives the topic the user guide would open at, and no guide
  // window opens.
  using HelpHook = std::function<void(const std::string&)>;
  void SetHelpHook(HelpHook hook) { helpHook_ = std::move(hook); }

  TOKRightDlg& DialogOf(Dialog dialog) const;
  // The widget or action behind a control; throws for an unbound control.
  QObject* ControlObject(Control c) const;
  bool IsBound(Control c) const { return controls_.count(c) != 0; }

  void ShowMessage(const std::string& text) override;
  Answer AskYesNoCancel(const std::string& caption, const std::string& text) override;
  void SetStatus(const std::string& text) override;

  void RequestRepaint() override;
  void ProcessEvents() override;
  bool IsMainWindowActive() override;
  void DrawOnPlot(const std::function<void(Canvas&)>& draw) override;
  void SetProgress(double share) override;

  bool ShowDialog(Dialog dialog, const std::function<bool()>& onOk) override;

  bool RunFileDialog(FileDialog dialog,
                     const std::function<bool(const std::string&)>& canClose) override;
  std::string FileDialogDir(FileDialog dialog) override;
  void SetFileDialogDir(FileDialog dialog, const std::string& dir) override;
  std::string FileDialogName(FileDialog dialog) override;
  void SetFileDialogName(FileDialog dialog, const std::string& name) override;
  FileReadChoice ObservationReadChoice() override { return readChoice_; }

  void SetTimerEnabled(bool enabled) override;
  bool TimerEnabled() override;

  std::string Text(Control c) override;
  void SetText(Control c, const std::string& text) override;
  bool Checked(Control c) override;
  void SetChecked(Control c, bool checked) override;
  int32_t Value(Control c) override;
  void SetValue(Control c, int32_t value) override;
  bool Visible(Control c) override;
  void SetVisible(Control c, bool visible) override;
  bool Enabled(Control c) override;
  void SetEnabled(Control c, bool enabled) override;
  void Focus(Control c) override;

  void SetGridCell(int row, int column, const std::string& text) override;
  int SelectedGridRow() override;
  void SetPeakRows(int rows) override;
  void SetPeakCell(int row, int column, const std::string& text) override;
  int SelectedPeakRow() override;

  void SaveWindowImage(const std::string& path) override;
  void StartImageViewer(const std::string& path) override;

  void ShowHelp(const std::string& topic) override;
  std::optional<std::string> WritePlotPicture(const std::string& path) override;
  void Quit() override;
  std::string CurrentDir() override;
  int64_t MillisecondsOfDay() override;

 private:
  struct FileDialogState {
    std::string dir, name;
  };

  void Bind(Control c, QObject* object) { controls_[c] = object; }
  QWidget* ModalParent() const;

  AnalysisState& state_;
  TForm1& form_;
  std::map<Dialog, TOKRightDlg*> dialogs_;
  std::map<Control, QObject*> controls_;
  std::map<FileDialog, FileDialogState> files_;
  FileReadChoice readChoice_;  // of the Open dialog's last confirmation

  MessageSink messageSink_;
  QuestionHook questionHook_;
  DialogHook dialogHook_;
  FileDialogHook fileDialogHook_;
  ViewerHook viewerHook_;
  HelpHook helpHook_;
};

}  // namespace korvel::gui
