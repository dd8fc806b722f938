// The Deeming search: at every trial frequency a Fourier amplitude of the
// unevenly sampled magnitudes (Deeming 1975, Ap&SS 36, 137), with sine and
// cosine replaced by parabolic arcs of the phase so that a trial costs a few
// multiplications per observation. With the window-spectrum weights it gives
// the spectral window of the sampling instead.
#pragma once

#include <string>

#include "search/search_hooks.h"
#include "search/search_values.h"

namespace korvel {

// The constant weight of the window spectrum: the amplitude factor 1.898
// then makes a fold with every phase near 0 come out at about 1.
inline constexpr double kAmplitudeFactor = 1.898;
inline constexpr double kWindowWeight = 1 / kAmplitudeFactor;

// One line of the spectrum file: the frequency with 7 decimals in at least 9
// characters, a blank, the amplitude with 4 decimals in at least 7.
std::string SpectrumLine(double freq, double amplitude);

// Runs the grid from r.freq on with the weights magnitude - mean (or the
// window weight for every observation, for a window spectrum): the display
// columns, the best list (largest first) and the statistic get the
// amplitude, r.amplitudes its distribution, and with a spectrum file named
// in the request one line per trial goes to it. A spectrum file that cannot
// be created throws (the KorvelError "I/O error %d") before the first trial;
// one that cannot be written ends the run at that trial, which is then
// finished (distribution, file closed) before the error is thrown.
void RunDeeming(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                SearchResult& r);

}  // namespace korvel
