// Helpers of the window tests: a program whose messages are captured, and
// temporary files.
#pragma once

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "gui/program.h"

namespace korvel::gui::testing {

// A program with its message boxes replaced by a list of their texts, and
// the user guide by a list of the topics it was opened at.
struct TestProgram {
  explicit TestProgram(std::vector<std::string> args);

  std::vector<std::string> messages;
  std::vector<std::string> helpTopics;
  std::unique_ptr<Program> program;

  Program* operator->() { return program.get(); }
  // Shows the main window and waits until it is active and the activation
  // handler has run. False when the window never became active.
  bool ShowAndActivate();
};

// Writes text to dir/name and returns the full path.
std::string WriteFile(const QTemporaryDir& dir, const char* name, const std::string& text);

}  // namespace korvel::gui::testing
