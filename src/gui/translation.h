// The interface's language: English as written in the sources, or a
// translation built into the program (translations/korvel_<lang>.ts).
#pragma once

class QCoreApplication;
class QLocale;

namespace korvel::gui {

// Replaces the translators this function installed before with those of
// locale's language: the program's own and, beside it, the toolkit's
// qtbase_<lang>.qm when the system has it (standard buttons). A language
// the program has no translation for gets none: the interface stays English.
// True when the program's translation was installed.
bool InstallTranslation(QCoreApplication& app, const QLocale& locale);

}  // namespace korvel::gui
