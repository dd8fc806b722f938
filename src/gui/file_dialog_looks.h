// The title, filters and mode of each file dialog of the window, in the
// interface's language (English texts, translated by the installed
// translator; see gui/translation.h).
#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include "app/platform.h"

namespace korvel::gui {

// A dialog's title; an empty one leaves the toolkit's own. Tests as a bool
// and converts to a QString, so that callers read it like the plain title
// it replaces.
struct DialogTitle {
  QString text;
  explicit operator bool() const { return !text.isEmpty(); }
  operator QString() const { return text; }
};

struct FileDialogLook {
  DialogTitle title;
  QStringList filters;
  QFileDialog::AcceptMode mode;
};

// The look in the language of the translators installed when it is called.
FileDialogLook LookOf(FileDialog d);

}  // namespace korvel::gui
