// How many threads a search (or a survey) uses: --threads N where a command
// line gives it, else KORVEL_THREADS from the environment, else every core.
#pragma once

#include <optional>
#include <string_view>

namespace korvel {

inline constexpr int kMaxThreads = 1024;
inline constexpr const char* kThreadsVariable = "KORVEL_THREADS";
inline constexpr const char* kThreadsRule = "must be a whole number from 1 to 1024";

// "1" .. "1024" exactly; anything else (signs, blanks, fractions) is nothing.
std::optional<int> ParseThreadCount(std::string_view text);

// KORVEL_THREADS when it holds a valid count, else the number of cores (1
// where the system does not say).
int DefaultThreadCount();

}  // namespace korvel
