// The sizes every search result and the window's document share: the
// spectrum's display columns and the places of the best list.
#pragma once

namespace korvel {

// Number of spectrum columns (0 .. 480) and of best-list places (1 .. 20).
inline constexpr int kSpecColumns = 481;
inline constexpr int kBestPlaces = 20;

}  // namespace korvel
