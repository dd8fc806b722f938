// A scripted Platform for tests: records messages, statuses and focus, keeps
// control states in maps, and answers dialogs from queues the test fills.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/platform.h"

namespace korvel::testing {

class FakePlatform : public Platform {
 public:
  // What a scripted file dialog does: confirm a name, or cancel.
  struct FileAnswer {
    bool cancel = false;
    std::string name;
  };
  // What a scripted dialog does: press OK after setting fields (the OK
  // handler decides whether it closes; a refused OK is followed by the next
  // scripted answer), or Cancel.
  struct DialogAnswer {
    bool ok = true;
    std::map<Control, std::string> texts;
  };

  std::vector<std::string> messages;
  std::vector<std::string> statuses;
  std::vector<Control> focused;
  int repaints = 0;
  int processEventsCalls = 0;
  bool quit = false;
  bool mainWindowActive = true;
  int64_t millisecondsOfDay = 12345;
  std::string currentDir = ".";
  std::deque<FileAnswer> fileAnswers;
  std::deque<DialogAnswer> dialogAnswers;
  std::deque<Answer> yesNoAnswers;
  std::vector<Dialog> dialogsShown;
  std::function<void()> onProcessEvents;

  std::map<Control, std::string> texts;
  std::map<Control, bool> checked, visible, enabled;
  std::map<Control, int32_t> values;
  std::map<FileDialog, std::string> dialogDirs, dialogNames;
  std::map<std::pair<int, int>, std::string> grid;
  int selectedRow = 1;
  bool timerEnabled = false;

  std::string LastStatus() const { return statuses.empty() ? std::string() : statuses.back(); }
  std::string LastMessage() const { return messages.empty() ? std::string() : messages.back(); }

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> questionCaptions;
  Answer AskYesNoCancel(const std::string& caption, const std::string& text) override {
    questionCaptions.push_back(caption);
    messages.push_back(text);
    if (yesNoAnswers.empty()) return Answer::Cancel;
    const Answer a = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return a;
  }
  void SetStatus(const std::string& text) override { statuses.push_back(text); }
  void RequestRepaint() override { ++repaints; }
  void ProcessEvents() override {
    ++processEventsCalls;
    if (onProcessEvents) onProcessEvents();
  }
  bool IsMainWindowActive() override { return mainWindowActive; }
  // Incremental drawings go to plotCanvas when a test sets one.
  Canvas* plotCanvas = nullptr;
  int plotDraws = 0;
  void DrawOnPlot(const std::function<void(Canvas&)>& draw) override {
    ++plotDraws;
    if (plotCanvas) draw(*plotCanvas);
  }
  std::vector<double> progress;
  void SetProgress(double share) override { progress.push_back(share); }

  bool ShowDialog(Dialog dialog, const std::function<bool()>& onOk) override {
    dialogsShown.push_back(dialog);
    while (!dialogAnswers.empty()) {
      DialogAnswer answer = dialogAnswers.front();
      dialogAnswers.pop_front();
      if (!answer.ok) return false;
      for (const auto& [c, t] : answer.texts) texts[c] = t;
      if (onOk()) return true;
    }
    return false;  // nothing more scripted: the user gives up with Cancel
  }

  bool RunFileDialog(FileDialog dialog,
                     const std::function<bool(const std::string&)>& canClose) override {
    while (!fileAnswers.empty()) {
      FileAnswer answer = fileAnswers.front();
      fileAnswers.pop_front();
      if (answer.cancel) return false;
      dialogNames[dialog] = answer.name;
      if (canClose(answer.name)) return true;
    }
    return false;
  }
  std::string FileDialogDir(FileDialog d) override { return dialogDirs[d]; }
  void SetFileDialogDir(FileDialog d, const std::string& dir) override { dialogDirs[d] = dir; }
  std::string FileDialogName(FileDialog d) override { return dialogNames[d]; }
  // What the Open dialog's Band box holds at every confirmation.
  FileReadChoice readChoice;
  FileReadChoice ObservationReadChoice() override { return readChoice; }
  void SetFileDialogName(FileDialog d, const std::string& n) override { dialogNames[d] = n; }

  void SetTimerEnabled(bool e) override { timerEnabled = e; }
  bool TimerEnabled() override { return timerEnabled; }

  std::string Text(Control c) override { return texts[c]; }
  void SetText(Control c, const std::string& t) override { texts[c] = t; }
  bool Checked(Control c) override { return checked[c]; }
  void SetChecked(Control c, bool v) override { checked[c] = v; }
  int32_t Value(Control c) override { return values[c]; }
  void SetValue(Control c, int32_t v) override { values[c] = v; }
  bool Visible(Control c) override { return visible[c]; }
  void SetVisible(Control c, bool v) override { visible[c] = v; }
  bool Enabled(Control c) override { return enabled[c]; }
  void SetEnabled(Control c, bool v) override { enabled[c] = v; }
  void Focus(Control c) override { focused.push_back(c); }

  void SetGridCell(int row, int column, const std::string& t) override { grid[{row, column}] = t; }
  int SelectedGridRow() override { return selectedRow; }

  // The peaks table, as the grid: cells by (row, column), row 0 the header.
  std::map<std::pair<int, int>, std::string> peakCells;
  int peakRows = 0;
  int selectedPeakRow = 1;
  void SetPeakRows(int rows) override { peakRows = rows; }
  void SetPeakCell(int row, int column, const std::string& t) override {
    peakCells[{row, column}] = t;
  }
  int SelectedPeakRow() override { return selectedPeakRow; }

  // Print: the files "saved" and the viewers "started"; a set saveImageError
  // is thrown as the platform's failure.
  std::vector<std::string> savedImages, viewersStarted;
  std::string saveImageError;
  void SaveWindowImage(const std::string& path) override {
    if (!saveImageError.empty()) throw std::runtime_error(saveImageError);
    savedImages.push_back(path);
  }
  void StartImageViewer(const std::string& path) override { viewersStarted.push_back(path); }

  std::vector<std::string> helpTopics;
  void ShowHelp(const std::string& topic) override { helpTopics.push_back(topic); }
  std::vector<std::string> picturesWritten;
  std::string pictureError;
  std::optional<std::string> WritePlotPicture(const std::string& path) override {
    if (!pictureError.empty()) return pictureError;
    picturesWritten.push_back(path);
    return std::nullopt;
  }

  void Quit() override { quit = true; }
  std::string CurrentDir() override { return currentDir; }
  int64_t MillisecondsOfDay() override { return millisecondsOfDay; }
};

}  // namespace korvel::testing
