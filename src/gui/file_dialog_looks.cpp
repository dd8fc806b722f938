#include "gui/file_dialog_looks.h"

#include <QCoreApplication>
#include <initializer_list>

namespace korvel::gui {

namespace {

// The texts are marked in the context "FileDialogs" of translations/korvel_*.ts.
QString Translated(const char* text) {
  return QCoreApplication::translate("FileDialogs", text);
}

QStringList Translated(std::initializer_list<const char*> texts) {
  QStringList out;
  for (const char* t : texts) out << Translated(t);
  return out;
}

FileDialogLook Look(const char* title, std::initializer_list<const char*> filters,
                    QFileDialog::AcceptMode mode) {
  return {{title ? Translated(title) : QString()}, Translated(filters), mode};
}

}  // namespace

FileDialogLook LookOf(FileDialog d) {
  const auto open = QFileDialog::AcceptOpen;
  const auto save = QFileDialog::AcceptSave;
  const char* const meanCurves = QT_TRANSLATE_NOOP("FileDialogs", "Mean light curves (*.sup)");
  const char* const otherFiles = QT_TRANSLATE_NOOP("FileDialogs", "Other files (*.*)");
  const char* const analyses = QT_TRANSLATE_NOOP("FileDialogs", "KORVEL analysis (*.korvel.json)");
  const char* const anyFile = QT_TRANSLATE_NOOP("FileDialogs", "All files (*)");
  switch (d) {
    case FileDialog::FindFile:
      return Look(QT_TRANSLATE_NOOP("FileDialogs", "Find file"),
                  {QT_TRANSLATE_NOOP("FileDialogs", "All files (*.*)"),
                   QT_TRANSLATE_NOOP("FileDialogs", "Stars (*.dat *.ne2 *.o)")},
                  open);
    case FileDialog::SaveFile:
      return Look(QT_TRANSLATE_NOOP("FileDialogs", "Set a name for the new file..."), {}, save);
    case FileDialog::MLCFileShow:
      return Look(QT_TRANSLATE_NOOP("FileDialogs", "Find the mean light curve file"),
                  {meanCurves, otherFiles}, open);
    case FileDialog::MLCDialog:
      return Look(nullptr, {meanCurves, otherFiles}, open);
    case FileDialog::SaveAnalysis:
      return Look(QT_TRANSLATE_NOOP("FileDialogs", "Save analysis"), {analyses, anyFile}, save);
    case FileDialog::OpenAnalysis:
      return Look(QT_TRANSLATE_NOOP("FileDialogs", "Open analysis"), {analyses, anyFile}, open);
    case FileDialog::ExportPicture:
      return Look(QT_TRANSLATE_NOOP("FileDialogs", "Export picture"),
                  {QT_TRANSLATE_NOOP("FileDialogs", "PNG picture (*.png)"),
                   QT_TRANSLATE_NOOP("FileDialogs", "SVG picture (*.svg)"),
                   QT_TRANSLATE_NOOP("FileDialogs", "PDF document (*.pdf)")},
                  save);
  }
  return {{}, {}, open};
}

}  // namespace korvel::gui
