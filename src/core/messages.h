// Message texts that more than one layer gives.
#pragma once

namespace korvel {

inline constexpr const char* kNoObservations = "No observations loaded...";

}  // namespace korvel
