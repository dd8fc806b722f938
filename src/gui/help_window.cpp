#include "gui/help_window.h"

#include <QMessageBox>

namespace korvel::gui {

void ShowUserGuide(QWidget* parent, const std::string&) {
  QMessageBox::information(parent, "KORVEL", "No help is installed...");
}

}  // namespace korvel::gui
