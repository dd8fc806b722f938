// The interface's language follows the locale: Russian file dialogs under a
// Russian locale, English under any other.
#include "gui/translation.h"

#include <QLocale>
#include <QTest>

#include "gui/file_dialog_looks.h"

using korvel::FileDialog;
using korvel::gui::InstallTranslation;
using korvel::gui::LookOf;

class TranslationTest : public QObject {
  Q_OBJECT

 private slots:
  void russianLocaleGivesRussianOpenDialog() {
    QVERIFY(InstallTranslation(*QCoreApplication::instance(), QLocale("ru_RU")));
    const auto look = LookOf(FileDialog::FindFile);
    QCOMPARE(QString(look.title), QString("Поиск файла"));
    QCOMPARE(look.filters, QStringList({"Все файлы (*.*)", "Звезды (*.dat *.ne2 *.o)"}));
  }

  // Run after the Russian case: a second call must also take the Russian
  // translator away again.
  void otherLocalesGiveEnglishOpenDialog() {
    for (const char* name : {"de_DE", "fr_FR"}) {
      QVERIFY2(!InstallTranslation(*QCoreApplication::instance(), QLocale(name)), name);
      const auto look = LookOf(FileDialog::FindFile);
      QCOMPARE(QString(look.title), QString("Find file"));
      QCOMPARE(look.filters, QStringList({"All files (*.*)", "Stars (*.dat *.ne2 *.o)"}));
    }
  }
};

QTEST_MAIN(TranslationTest)
#include "translation_test.moc"
