#include "gui/file_dialog_looks.h"

namespace korvel::gui {

FileDialogLook LookOf(FileDialog d) {
  switch (d) {
    case FileDialog::FindFile:
      return {
          "Поиск файла", {"Все файлы (*.*)", "Звезды (*.dat *.ne2 *.o)"}, QFileDialog::AcceptOpen};
    case FileDialog::SaveFile:
      return {"Установите имя для нового файла...", {}, QFileDialog::AcceptSave};
    case FileDialog::MLCFileShow:
      return {"Поиск файла средней кривой блеска",
              {"Средние кривые (*.sup)", "Другие файлы (*.*)"},
              QFileDialog::AcceptOpen};
    case FileDialog::MLCDialog:
      return {nullptr, {"Средние кривые (*.sup)", "Другие файлы (*.*)"}, QFileDialog::AcceptOpen};
    case FileDialog::SaveAnalysis:
      return {"Save analysis",
              {"KORVEL analysis (*.korvel.json)", "All files (*)"},
              QFileDialog::AcceptSave};
    case FileDialog::OpenAnalysis:
      return {"Open analysis",
              {"KORVEL analysis (*.korvel.json)", "All files (*)"},
              QFileDialog::AcceptOpen};
    case FileDialog::ExportPicture:
      return {"Export picture",
              {"PNG picture (*.png)", "SVG picture (*.svg)", "PDF document (*.pdf)"},
              QFileDialog::AcceptSave};
  }
  return {nullptr, {}, QFileDialog::AcceptOpen};
}

}  // namespace korvel::gui
