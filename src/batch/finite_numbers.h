// One check for every real-valued option of korvel-batch: infinity and NaN
// (or a number too large for a double, which reads as infinity) are no date,
// period or length, and would otherwise flow into results as sentinels.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

namespace korvel::batch {

// The refusal of the first real-valued option of the parsed command whose
// value is not a finite number ("--epoch: nan is not a finite number..."),
// or nothing.
std::optional<std::string> NonFiniteOption(const CLI::App& command);

// That refusal for one parameter: its name and its value as given.
std::string NotFiniteMessage(const std::string& name, const std::string& given);

}  // namespace korvel::batch
