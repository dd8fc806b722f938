#include "batch/finite_numbers.h"

#include <cmath>

namespace korvel::batch {

std::optional<std::string> NonFiniteOption(const CLI::App& command) {
  for (const CLI::Option* option : command.get_options()) {
    // CLI11 names the type of every double option FLOAT (validators append
    // their own description after it).
    if (option->count() == 0 || option->get_type_name().rfind("FLOAT", 0) != 0) continue;
    // The value CLI11 itself stored.
    if (!std::isfinite(option->as<double>()))
      return NotFiniteMessage(option->get_name(), option->results().front());
  }
  return std::nullopt;
}

std::string NotFiniteMessage(const std::string& name, const std::string& given) {
  return name + ": " + given + " is not a finite number...";
}

}  // namespace korvel::batch
