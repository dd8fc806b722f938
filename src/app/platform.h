// What the windowing toolkit gives the command logic. The Qt shell implements
// it (QtPlatform); tests implement it with a scripted fake. Nothing in this
// interface names a toolkit type.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/read_options.h"
#include "plot/canvas.h"

namespace korvel {

// Every control the commands read or write, named as in the window and its
// dialogs. Dialog fields carry their dialog's prefix.
enum class Control {
  // Main window.
  MainWindow,  // its caption
  MethodMenu,  // enabled state
  SpinEdit1,   // "Column"
  JDmin,
  JDmax,
  ChBZero,
  ChBWindow,
  Butt4print,
  BStop,
  BTable,
  Butt2wave,
  BPrewhite,
  SpToFile,
  SpFN,
  Chaos,
  StatX,
  Px2,
  ButAllDiap,
  Magint,
  StrGr,
  PeakGr,  // the distinct peaks of the last search, in the grid's place
  // "Initial parameters" (TDialLK).
  LK_Pmax,
  LK_Pmin,
  LK_PhaseShift,
  LK_Guidance,  // label: units, trials, time and warnings of the fields
  // The search's own parameters (its table row's), shown only for a search
  // that has them: the edits and their captions.
  LK_Own1,
  LK_Own2,
  LK_Own1Caption,
  LK_Own2Caption,
  // "Light curve elements" (TDlgLC).
  LC_Edit1,  // Period
  LC_Edit2,  // Initial date
  LC_Edit3,  // Secondary period
  LC_Edit4,  // Extremum moment date
  LC_Edit5,  // Number of bins
  // "Parameters to search the secondary period" (TDlgSecP).
  SecP_Period,
  SecP_Epoch,
  SecP_ExtrDate,
  SecP_Pmax,
  SecP_Pmin,
  SecP_NBins,
  SecP_PhaseShift,
  SecP_Mode1,     // radio: divide the phases of the secondary period
  SecP_Mode2,     // radio: divide the phases of the primary period
  SecP_Guidance,  // label, as LK_Guidance
  // "Moving average method calculation" (TMLCDlg).
  MLC_SpinEdit1,  // Number of the mean light curve
  MLC_Edit1,      // Number of average points
  MLC_Edit2,      // Length of the average bin
  MLC_Edit3,      // File name to collect mean light curves
  MLC_Edit4,      // File name to save residuals of prewhitening
  MLC_CheckBox1,  // Append the existing file
  MLC_CheckBox2,  // Check to be not saved
  // "Multi-frequency fit" (TFitDlg).
  FIT_Fmin,      // Lowest frequency, c/d (empty: the data's default)
  FIT_Fmax,      // Highest frequency, c/d (empty: the data's default)
  FIT_Snr,       // S/N limit
  FIT_NoiseBox,  // Width of the noise box, c/d
  FIT_MaxCount,  // Most frequencies
  FIT_Fap,       // False-alarm limit (empty: off)
};

enum class Dialog { LK, LC, SecP, MLC, Fit };

// The file dialogs of the window, each keeping its directory and file name.
enum class FileDialog {
  FindFile,       // Open
  SaveFile,       // Save as... / Save extraction
  MLCFileShow,    // Mean light curve file
  MLCDialog,      // browse button of the moving-average dialog
  SaveAnalysis,   // Save analysis...
  OpenAnalysis,   // Open analysis...
  ExportPicture,  // File > Export picture (PNG, SVG or PDF)
};

enum class Answer { Yes, No, Cancel };

// How the file last confirmed in the Open dialog is to be read: the format
// picked in the dialog's Format box (or recognised when it was selected) and
// the band picked in its Band box. Auto and no band when the dialog offered
// no choice for that file.
struct FileReadChoice {
  ObservationFormat format = ObservationFormat::Auto;
  std::string band;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Messages and the status line.
  virtual void ShowMessage(const std::string& text) = 0;
  // A question box with the caption and the buttons Yes, No and Cancel.
  virtual Answer AskYesNoCancel(const std::string& caption, const std::string& text) = 0;
  virtual void SetStatus(const std::string& text) = 0;

  // The plot surface and the event loop.
  virtual void RequestRepaint() = 0;
  virtual void ProcessEvents() = 0;
  virtual bool IsMainWindowActive() = 0;
  // Draws over the picture the plot surface shows, without a full repaint
  // (the growing spectrum of a running search, the mouse's figures), and shows
  // the result at once.
  virtual void DrawOnPlot(const std::function<void(Canvas&)>& draw) = 0;
  // The share 0 .. 1 of a running search's trials done, shown beside the
  // status line; a negative share hides it.
  virtual void SetProgress(double share) = 0;

  // Shows a dialog modally. Its OK button calls onOk, which validates the
  // fields and returns true when the dialog may close with OK. Returns true
  // when the dialog closed with OK.
  virtual bool ShowDialog(Dialog dialog, const std::function<bool()>& onOk) = 0;

  // Shows a file dialog. On each confirmation it calls canClose with the
  // chosen name (which the dialog then also keeps as its file name); the
  // dialog closes when canClose returns true. Returns false when cancelled.
  virtual bool RunFileDialog(FileDialog dialog,
                             const std::function<bool(const std::string&)>& canClose) = 0;
  virtual std::string FileDialogDir(FileDialog dialog) = 0;
  virtual void SetFileDialogDir(FileDialog dialog, const std::string& dir) = 0;
  virtual std::string FileDialogName(FileDialog dialog) = 0;
  virtual void SetFileDialogName(FileDialog dialog, const std::string& name) = 0;
  // The Open dialog's reading choice for the name its confirmation passed.
  virtual FileReadChoice ObservationReadChoice() = 0;

  // The one-second timer of a running search.
  virtual void SetTimerEnabled(bool enabled) = 0;
  virtual bool TimerEnabled() = 0;

  // Controls: texts (edit texts, captions), check states, spin values.
  virtual std::string Text(Control c) = 0;
  virtual void SetText(Control c, const std::string& text) = 0;
  virtual bool Checked(Control c) = 0;
  virtual void SetChecked(Control c, bool checked) = 0;
  virtual int32_t Value(Control c) = 0;
  virtual void SetValue(Control c, int32_t value) = 0;
  virtual bool Visible(Control c) = 0;
  virtual void SetVisible(Control c, bool visible) = 0;
  virtual bool Enabled(Control c) = 0;
  virtual void SetEnabled(Control c, bool enabled) = 0;
  virtual void Focus(Control c) = 0;

  // The results grid: row 0 is the header, rows 1..20 the best trials.
  virtual void SetGridCell(int row, int column, const std::string& text) = 0;
  virtual int SelectedGridRow() = 0;

  // The peaks table: row 0 is the header, rows 1..n the distinct peaks, n as
  // last set by SetPeakRows. The table also shows the frequencies of a
  // multi-frequency fit: it has as many columns as header cells set since
  // SetPeakRows.
  virtual void SetPeakRows(int rows) = 0;
  virtual void SetPeakCell(int row, int column, const std::string& text) = 0;
  virtual int SelectedPeakRow() = 0;

  // Print: the main window's client area as shown (every control, the grid
  // when visible) written to a BMP file, an existing one overwritten; a
  // failure throws with the platform's message. Then the system's image
  // viewer started on the file without waiting; a viewer that cannot start is
  // ignored.
  virtual void SaveWindowImage(const std::string& path) = 0;
  virtual void StartImageViewer(const std::string& path) = 0;

  // The user guide opened at the section whose heading reads topic (the
  // guide's start when no heading does).
  virtual void ShowHelp(const std::string& topic) = 0;
  // The picture of the plot surface at its present size written to path in
  // the format of its extension (.png, .svg or .pdf); the message of a
  // failure, and then nothing written.
  virtual std::optional<std::string> WritePlotPicture(const std::string& path) = 0;

  // Process and clock.
  virtual void Quit() = 0;
  virtual std::string CurrentDir() = 0;
  virtual int64_t MillisecondsOfDay() = 0;
};

}  // namespace korvel
