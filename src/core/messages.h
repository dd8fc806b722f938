// Message texts that more than one layer gives.
#pragma once

namespace korvel {

inline constexpr const char* kNoObservations = "No observations loaded...";
inline constexpr const char* kFileDoesNotExist = "File does not exist...";

// The elements every dialog with a period asks for.
inline constexpr const char* kErrorInPeriod = "Error in Po...";
inline constexpr const char* kErrorInEpoch = "Error in JD max...";
inline constexpr const char* kErrorInBins = "Error in Number of bins...";

}  // namespace korvel
