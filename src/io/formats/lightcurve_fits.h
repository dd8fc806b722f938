// Kepler, K2 and TESS light-curve FITS files, read with cfitsio.
#pragma once

#include <string>

#include "io/read_observations.h"

namespace korvel {

// True when the file starts with the FITS signature ("SIMPLE  =").
bool HasFitsSignature(const std::string& path);

// The LIGHTCURVE extension's rows: TIME made absolute by BJDREFI + BJDREFF,
// PDCSAP_FLUX (else SAP_FLUX) and its error as magnitudes (-2.5 log10 F,
// error 1.0857 sigma_F / F) or as flux (keepFlux); rows with a non-zero
// QUALITY (SAP_QUALITY in Kepler and K2 files) or a non-finite time or flux
// dropped. The band is the mission ("Kepler", "K2", "TESS"). Throws
// FormatError naming the HDU and row for a file it cannot read.
FormatRows ReadLightCurveFits(const std::string& path, const ReadOptions& options);

}  // namespace korvel
