// Start-up: the first activation of the main window and the defaults.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/app_context.h"

namespace korvel {

// Takes "--threads N" or "--threads=N" out of the command line (anywhere in
// args[1..]), so that the positional arguments keep their places. Without
// it: DefaultThreadCount(). A bad count gives the message instead.
struct ThreadsArgument {
  int threads = 1;
  std::optional<std::string> error;
};
ThreadsArgument TakeThreadsArgument(std::vector<std::string>& args);

// Activation of the main window: takes the command line and loads its file.
// Acts at the first activation only; later activations change nothing.
void StartProgram(AppContext& a);

// Applies the defaults and reads default.cfg from CfgPath into the state and
// the dialog fields.
void ReadDefaultParameters(AppContext& a);

// The Column control's range.
inline constexpr int kMinColumn = 1;
inline constexpr int kMaxColumn = 20;

}  // namespace korvel
