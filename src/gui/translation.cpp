#include "gui/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace korvel::gui {

namespace {

// Marks the translators this file owns, so that a second call replaces them.
constexpr const char* kOwnTranslator = "korvel_translator";

bool Install(QCoreApplication& app, const QLocale& locale, const QString& name,
             const QString& dir) {
  auto* t = new QTranslator(&app);
  t->setObjectName(kOwnTranslator);
  if (!t->load(locale, name, "_", dir) || !QCoreApplication::installTranslator(t)) {
    delete t;
    return false;
  }
  return true;
}

}  // namespace

bool InstallTranslation(QCoreApplication& app, const QLocale& locale) {
  for (QTranslator* t :
       app.findChildren<QTranslator*>(kOwnTranslator, Qt::FindDirectChildrenOnly)) {
    QCoreApplication::removeTranslator(t);
    delete t;
  }
  // The build embeds the program's translations under :/i18n.
  if (!Install(app, locale, "korvel", ":/i18n")) return false;
  // The toolkit's buttons only follow a language the program speaks, so
  // that a dialog never mixes two languages; missing files are no fault.
  Install(app, locale, "qtbase", QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  return true;
}

}  // namespace korvel::gui
