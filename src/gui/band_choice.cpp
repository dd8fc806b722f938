#include "gui/band_choice.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <array>
#include <cstdint>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "io/read_observations.h"

namespace korvel::gui {

namespace {

// The formats the user may read a file in, as korvel-batch's --format
// offers them.
constexpr std::array<ObservationFormat, 8> kFormats = {
    ObservationFormat::Plain,          ObservationFormat::Csv,   ObservationFormat::Aavso,
    ObservationFormat::AavsoExtended,  ObservationFormat::Ztf,   ObservationFormat::Gaia,
    ObservationFormat::LightCurveFits, ObservationFormat::Asassn};

// The first entry of the Format box: read as recognised.
constexpr int kRecognised = -1;

using Bands = std::vector<std::pair<std::string, int64_t>>;  // most rows first

// The bands of the file read in the format; nothing when it cannot be read
// so (the load then says why). A plain file has none; a file another format
// claims is not read as plain.
std::optional<Bands> BandsOf(const QString& path, ObservationFormat format) {
  try {
    if (format == ObservationFormat::Plain) {
      if (DetectObservationFormat(path.toStdString()) != ObservationFormat::Plain) return {};
      return Bands();
    }
    ReadOptions options;
    options.format = format;
    return ReadObservations(path.toStdString(), options).bands;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

QString Canonical(const QString& path) {
  return QFileInfo(path).canonicalFilePath();
}

QString Label(ObservationFormat format) {
  return QString::fromUtf8(ObservationFormatLabel(format));
}

}  // namespace

BandChoice::BandChoice(QFileDialog& dialog, std::string loadedFile, ObservationFormat loadedFormat,
                       std::string loadedBand)
    : QObject(&dialog),
      formatLabel_(new QLabel(tr("Format:"), &dialog)),
      formatBox_(new QComboBox(&dialog)),
      label_(new QLabel(tr("Band:"), &dialog)),
      box_(new QComboBox(&dialog)),
      loadedFile_(std::move(loadedFile)),
      loadedFormat_(loadedFormat),
      loadedBand_(std::move(loadedBand)) {
  formatBox_->setObjectName("FormatChoice");
  formatBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  formatLabel_->setBuddy(formatBox_);
  box_->setObjectName("BandChoice");
  box_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  label_->setBuddy(box_);
  // The non-native dialog lays its rows out in a grid: look in, files,
  // file name, file type. Format and band come last, as choices about the
  // file.
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    const int row = grid->rowCount();
    grid->addWidget(formatLabel_, row, 0);
    grid->addWidget(formatBox_, row, 1);
    grid->addWidget(label_, row + 1, 0);
    grid->addWidget(box_, row + 1, 1);
  }
  connect(&dialog, &QFileDialog::currentChanged, this, &BandChoice::ShowFile);
  // A name typed (or pasted) counts as selected once it names a file.
  if (auto* name = dialog.findChild<QLineEdit*>("fileNameEdit")) {
    connect(name, &QLineEdit::textChanged, this, [this, &dialog](const QString& text) {
      const QString path = dialog.directory().filePath(text);
      if (QFileInfo(path).isFile()) ShowFile(path);
    });
  }
  connect(formatBox_, &QComboBox::currentIndexChanged, this, &BandChoice::ListBands);
  ShowFile(QString());
}

void BandChoice::ShowFile(const QString& path) {
  // The list's selection and the name field both report a file: read once.
  if (!file_.isEmpty() && Canonical(path) == file_) return;
  const QSignalBlocker filling(formatBox_);
  formatBox_->clear();
  file_.clear();
  recognised_ = ObservationFormat::Auto;
  if (!QFileInfo(path).isFile()) {
    formatBox_->addItem(tr("Recognised from the file"), kRecognised);
    formatBox_->setEnabled(false);
    formatBox_->setToolTip(tr("Select an observation file to see its format"));
    formatLabel_->setToolTip(formatBox_->toolTip());
    ListBands();
    return;
  }
  file_ = Canonical(path);
  recognised_ = DetectObservationFormat(path.toStdString());
  formatBox_->addItem(tr("Recognised: %1").arg(Label(recognised_)), kRecognised);
  for (const ObservationFormat format : kFormats)
    formatBox_->addItem(Label(format), static_cast<int>(format));
  // The file loaded in a format other than the one recognised is shown in
  // the format it was read in.
  const bool loaded = file_ == Canonical(QString::fromStdString(loadedFile_));
  if (loaded && loadedFormat_ != ObservationFormat::Auto && loadedFormat_ != recognised_)
    formatBox_->setCurrentIndex(formatBox_->findData(static_cast<int>(loadedFormat_)));
  formatBox_->setEnabled(true);
  formatBox_->setToolTip(
      tr("The format the file is read in: the one recognised from its content, or another "
         "when that is wrong; the Band box lists the bands as read in the format chosen"));
  formatLabel_->setToolTip(formatBox_->toolTip());
  ListBands();
}

ObservationFormat BandChoice::ChosenFormat() const {
  const int chosen = formatBox_->currentData().toInt();
  return chosen == kRecognised ? recognised_ : static_cast<ObservationFormat>(chosen);
}

void BandChoice::ListBands() {
  box_->clear();
  const std::optional<Bands> read =
      file_.isEmpty() ? std::optional<Bands>() : BandsOf(file_, ChosenFormat());
  Bands named;
  // A band without a name cannot be asked for by name: it is read only as
  // the file's default.
  if (read)
    for (const auto& band : *read)
      if (!band.first.empty()) named.push_back(band);
  if (named.empty()) {
    box_->addItem(tr("All in file"));
    box_->setEnabled(false);
    if (read)
      box_->setToolTip(tr("This file names no bands: every observation in it is read"));
    else if (!file_.isEmpty())
      box_->setToolTip(
          tr("This file cannot be read as observations in this format: Open says why"));
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
  choice.format = ChosenFormat();
  if (box_->isEnabled()) choice.band = box_->currentData().toString().toStdString();
  return choice;
}

}  // namespace korvel::gui
