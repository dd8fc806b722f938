// The title, filters and mode of each file dialog of the window.
#pragma once

#include <QFileDialog>
#include <QStringList>

#include "app/platform.h"

namespace korvel::gui {

struct FileDialogLook {
  const char* title;  // nullptr: the toolkit's own title
  QStringList filters;
  QFileDialog::AcceptMode mode;
};

FileDialogLook LookOf(FileDialog d);

}  // namespace korvel::gui
