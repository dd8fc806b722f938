// korvel: the window program. Arguments: observation file, column, view
// letter, marking letter (all optional), and anywhere --threads N.
#include <QApplication>
#include <QLocale>
#include <QStringList>
#include <iostream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "gui/program.h"
#include "gui/translation.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  korvel::gui::InstallTranslation(app, QLocale::system());
  // The executable's full path first, so that default.cfg is found beside it.
  std::vector<std::string> args{QCoreApplication::applicationFilePath().toStdString()};
  const QStringList given = QCoreApplication::arguments();
  for (qsizetype i = 1; i < given.size(); ++i) args.push_back(given[i].toStdString());
  const korvel::ThreadsArgument threads = korvel::TakeThreadsArgument(args);
  if (threads.error) {
    std::cerr << *threads.error << '\n';
    return 2;
  }

  korvel::gui::Program program(std::move(args));
  program.ctx.threads = threads.threads;
  program.form.show();
  return app.exec();
}
