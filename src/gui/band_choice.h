// The Format and Band boxes of the Open dialog: the format the selected file
// is read in (as recognised, or another the user picks), the bands the file
// has when read so with their usable rows, most first, and how the confirmed
// file is to be read.
#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "app/platform.h"

class QComboBox;
class QFileDialog;
class QLabel;

namespace korvel::gui {

class BandChoice : public QObject {
  Q_OBJECT

 public:
  // Adds a "Format" and a "Band" row below the file type row of a non-native
  // dialog and follows its selection. While the dialog shows the file loaded
  // (loadedFile), the format and band it was read with stay chosen.
  BandChoice(QFileDialog& dialog, std::string loadedFile, ObservationFormat loadedFormat,
             std::string loadedBand);

  // Shows the format recognised for the file at path and lists its bands as
  // read in it; a plain file, a file without bands or one that cannot be
  // read so leaves the Band box disabled.
  void ShowFile(const QString& path);
  // How the file confirmed as path is to be read: the format chosen (or
  // recognised) and the band chosen when the boxes show that file; Auto
  // otherwise.
  FileReadChoice ChoiceFor(const std::string& path) const;

  QComboBox* Box() const { return box_; }
  QComboBox* FormatBox() const { return formatBox_; }

 private:
  // The format the file is to be read in: the one picked, or the one
  // recognised while the first entry is chosen.
  ObservationFormat ChosenFormat() const;
  // Lists the bands of the file shown as read in the chosen format.
  void ListBands();

  QLabel* formatLabel_ = nullptr;
  QComboBox* formatBox_ = nullptr;
  QLabel* label_ = nullptr;
  QComboBox* box_ = nullptr;
  QString file_;  // canonical path of the file shown; empty: none
  ObservationFormat recognised_ = ObservationFormat::Auto;
  std::string loadedFile_;
  ObservationFormat loadedFormat_;
  std::string loadedBand_;
};

}  // namespace korvel::gui
