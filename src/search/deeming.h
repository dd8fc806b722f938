// The Deeming search: at every trial frequency a Fourier amplitude of the
// unevenly sampled magnitudes (Deeming 1975, Ap&SS 36, 137), with sine and
// cosine replaced by parabolic arcs of the phase so that a trial costs a few
// multiplications per observation. With the window-spectrum weights it gives
// the spectral window of the sampling instead.
#pragma once

#include <string>

#include "core/analysis_state.h"
#include "search/search_hooks.h"

namespace korvel {

// The constant weight of the window spectrum: the amplitude factor 1.898
// then makes a fold with every phase near 0 come out at about 1.
inline constexpr double kAmplitudeFactor = 1.898;
inline constexpr double kWindowWeight = 1 / kAmplitudeFactor;

// WMag[i] := Mag[i] - MagMean, or kWindowWeight for every observation when
// WindowSpec is set. Done by the command (and Continue) before the run.
void SetDeemingWeights(AnalysisState& s);

// One line of the spectrum file: Freq with 7 decimals in at least 9
// characters, a blank, the amplitude with 4 decimals in at least 7.
std::string SpectrumLine(double freq, double amplitude);

// Runs the grid as SearchLK does, with the weights in WMag, filling the
// spectrum and the best list (largest first) with the amplitude and the
// amplitude distribution AmpDist. Takes SpecFileName from the hooks and, with
// SpecToFile, writes one line per trial to that file. Ends with the timer
// off, RunCode 'e', Resumed cleared, the summary on the status line and a
// repaint. A spectrum file that cannot be created ends the run before its
// first trial, one that cannot be written ends it at that trial; either way
// the run ends cleanly (file closed) and the KorvelError "I/O error %d" is
// then thrown for the general error handler.
void SearchDeeming(AnalysisState& s, SearchHooks& hooks);

}  // namespace korvel
