#include "gui_test_support.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace korvel::gui::testing {

TestProgram::TestProgram(std::vector<std::string> args)
    : program(std::make_unique<Program>(std::move(args))) {
  program->platform.SetMessageSink([this](const std::string& m) { messages.push_back(m); });
  program->platform.SetHelpHook([this](const std::string& topic) { helpTopics.push_back(topic); });
}

bool TestProgram::ShowAndActivate() {
  QSignalSpy activations(&program->form, &TForm1::activated);
  program->form.show();
  program->form.activateWindow();
  if (!QTest::qWaitForWindowActive(&program->form)) return false;
  return activations.count() > 0 || activations.wait(2000);
}

std::string WriteFile(const QTemporaryDir& dir, const char* name, const std::string& text) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  f.write(text.data(), static_cast<qint64>(text.size()));
  return path.toStdString();
}

}  // namespace korvel::gui::testing
