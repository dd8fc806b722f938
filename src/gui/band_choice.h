// The Band box of the Open dialog: the bands of the file selected in the
// dialog with their usable rows, most first, and which one the confirmed
// file is to be read with.
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
  // Adds a "Band" row below the file type row of a non-native dialog and
  // follows its selection. While the dialog shows the file loaded (loadedFile),
  // the band it was read with (loadedBand) stays chosen.
  BandChoice(QFileDialog& dialog, std::string loadedFile, std::string loadedBand);

  // Lists the bands of the file at path; a plain file, a file without bands
  // or one that cannot be read leaves the box disabled.
  void ShowFile(const QString& path);
  // How the file confirmed as path is to be read: the format recognised and
  // the band chosen when the box lists that file; Auto otherwise.
  FileReadChoice ChoiceFor(const std::string& path) const;

  QComboBox* Box() const { return box_; }

 private:
  QLabel* label_ = nullptr;
  QComboBox* box_ = nullptr;
  QString file_;  // canonical path of the file listed; empty: none
  ObservationFormat format_ = ObservationFormat::Auto;
  std::string loadedFile_, loadedBand_;
};

}  // namespace korvel::gui
