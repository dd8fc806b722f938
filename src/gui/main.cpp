// korvel: the window program. Arguments: observation file, column, view
// letter, marking letter (all optional).
#include <QApplication>
#include <QStringList>
#include <string>
#include <vector>

#include "gui/program.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The executable's full path first, so that default.cfg is found beside it.
  std::vector<std::string> args{QCoreApplication::applicationFilePath().toStdString()};
  const QStringList given = QCoreApplication::arguments();
  for (qsizetype i = 1; i < given.size(); ++i) args.push_back(given[i].toStdString());

  korvel::gui::Program program(std::move(args));
  program.form.show();
  return app.exec();
}
