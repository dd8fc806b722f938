#include "gui/band_choice.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <cstdint>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "io/read_observations.h"

namespace korvel::gui {

namespace {

struct FileBands {
  ObservationFormat format = ObservationFormat::Plain;
  std::vector<std::pair<std::string, int64_t>> bands;  // most rows first
};

// The file read as the window would read it by default; nothing when it
// cannot be read (the load then says why).
std::optional<FileBands> BandsOf(const QString& path) {
  try {
    FileBands out;
    out.format = DetectObservationFormat(path.toStdString());
    if (out.format == ObservationFormat::Plain) return out;
    ReadOptions options;
    options.format = out.format;
    out.bands = ReadObservations(path.toStdString(), options).bands;
    return out;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

QString Canonical(const QString& path) {
  return QFileInfo(path).canonicalFilePath();
}

}  // namespace

BandChoice::BandChoice(QFileDialog& dialog, std::string loadedFile, std::string loadedBand)
    : QObject(&dialog),
      label_(new QLabel(tr("Band:"), &dialog)),
      box_(new QComboBox(&dialog)),
      loadedFile_(std::move(loadedFile)),
      loadedBand_(std::move(loadedBand)) {
  box_->setObjectName("BandChoice");
  box_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  label_->setBuddy(box_);
  // The non-native dialog lays its rows out in a grid: look in, files,
  // file name, file type. The band comes last, as a choice about the file.
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    const int row = grid->rowCount();
    grid->addWidget(label_, row, 0);
    grid->addWidget(box_, row, 1);
  }
  connect(&dialog, &QFileDialog::currentChanged, this, &BandChoice::ShowFile);
  // A name typed (or pasted) counts as selected once it names a file.
  if (auto* name = dialog.findChild<QLineEdit*>("fileNameEdit")) {
    connect(name, &QLineEdit::textChanged, this, [this, &dialog](const QString& text) {
      const QString path = dialog.directory().filePath(text);
      if (QFileInfo(path).isFile()) ShowFile(path);
    });
  }
  ShowFile(QString());
}

void BandChoice::ShowFile(const QString& path) {
  // The list's selection and the name field both report a file: read once.
  if (!file_.isEmpty() && Canonical(path) == file_) return;
  box_->clear();
  file_.clear();
  format_ = ObservationFormat::Auto;
  const std::optional<FileBands> read =
      QFileInfo(path).isFile() ? BandsOf(path) : std::optional<FileBands>();
  std::vector<std::pair<std::string, int64_t>> named;
  if (read) {
    file_ = Canonical(path);
    format_ = read->format;
    // A band without a name cannot be asked for by name: it is read only as
    // the file's default.
    for (const auto& band : read->bands)
      if (!band.first.empty()) named.push_back(band);
  }
  if (named.empty()) {
    box_->addItem(tr("All in file"));
    box_->setEnabled(false);
    if (read)
      box_->setToolTip(tr("This file names no bands: every observation in it is read"));
    else if (QFileInfo(path).isFile())
      box_->setToolTip(tr("This file cannot be read as observations: Open says why"));
    else
      box_->setToolTip(tr("Select an observation file to see its bands"));
    label_->setToolTip(box_->toolTip());
    return;
  }
  for (const auto& [band, rows] : named)
    box_->addItem(QString("%1 (%2)").arg(QString::fromStdString(band)).arg(rows),
                  QString::fromStdString(band));
  // The file loaded keeps the band it was read with; another starts with
  // the band with most rows.
  const int loaded = file_ == Canonical(QString::fromStdString(loadedFile_))
                         ? box_->findData(QString::fromStdString(loadedBand_))
                         : -1;
  box_->setCurrentIndex(loaded >= 0 ? loaded : 0);
  box_->setEnabled(true);
  box_->setToolTip(
      tr("The band to read from this file, with its usable rows (flagged rows, limits and "
         "missing values left out); the band with most rows comes first"));
  label_->setToolTip(box_->toolTip());
}

FileReadChoice BandChoice::ChoiceFor(const std::string& path) const {
  FileReadChoice choice;
  if (file_.isEmpty() || Canonical(QString::fromStdString(path)) != file_) return choice;
  choice.format = format_;
  if (box_->isEnabled()) choice.band = box_->currentData().toString().toStdString();
  return choice;
}

}  // namespace korvel::gui
