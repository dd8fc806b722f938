// The distribution of all trial amplitudes of a Deeming run: a 101-bin
// histogram whose full scale doubles as larger amplitudes arrive, so that no
// list of all amplitudes is stored.
#pragma once

#include <array>
#include <cstdint>

namespace korvel {

struct AmpDistribution {
  double AmpScale = -1;                 // -1 before the first trial
  std::array<int64_t, 101> AmpHist{};   // trials per bin Trunc(A / AmpScale * 100)
  int64_t AmpTrials = 0;                // trials counted; 0: no distribution yet
  int32_t AmpTopBin = 0;                // highest non-empty bin
  std::array<double, 101> AmpLevel{};   // upper amplitude of bins 0 .. AmpTopBin
  std::array<double, 101> AmpCumPct{};  // per cent of trials in bins 0 .. k
  double Sigma = 0;                     // root mean square of the counted amplitudes
};

}  // namespace korvel
