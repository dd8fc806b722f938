// The sizes every search result and the window's document share: the
// spectrum's display columns and the places of the best list.
#pragma once

namespace korvel {

// Number of spectrum columns (0 .. 480) and of best-list places (1 .. 20).
inline constexpr int kSpecColumns = 481;
inline constexpr int kBestPlaces = 20;

// The defaults of the searches' own parameters (multi-harmonic AoV's
// harmonics, phase dispersion minimisation's bins and covers, conditional
// entropy's phase and magnitude bins), where a request and the document
// both start.
inline constexpr int kDefaultHarmonics = 2;
inline constexpr int kDefaultPdmBins = 10, kDefaultPdmCovers = 2;
inline constexpr int kDefaultCePhaseBins = 10, kDefaultCeMagBins = 5;

}  // namespace korvel
