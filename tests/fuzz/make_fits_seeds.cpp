// Writes the seed corpus of the light-curve FITS fuzz target: small files in
// the missions' layouts and a few of their variants.
//   korvel-make-fits-seeds DIR
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <string>

#include "fits_writer.h"

using namespace korvel::testing;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korvel-make-fits-seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  const double nan = std::numeric_limits<double>::quiet_NaN();
  try {
    LightCurveFitsFile tess = TessLike(12, 0.01, 0.1);
    tess.quality[2] = 1;
    tess.flux[5] = nan;
    tess.flux[7] = -3;
    WriteLightCurveFits(dir + "/tess", tess);

    LightCurveFitsFile kepler = KeplerLike(12, 0.1, 0.1);
    kepler.quality[0] = 128;
    kepler.time[3] = nan;
    WriteLightCurveFits(dir + "/kepler_sap_quality", kepler);

    LightCurveFitsFile k2 = KeplerLike(8, 0.1, 0.1);
    k2.mission = "K2";
    k2.fluxColumn = "SAP_FLUX";
    k2.withErrors = false;
    k2.extname = "TABLE";
    k2.bjdrefi.reset();
    k2.bjdreff.reset();
    k2.timesys = k2.timeref = "";
    WriteLightCurveFits(dir + "/k2_sap_flux_other_table", k2);

    LightCurveFitsFile text = TessLike(4, 1, 0.1);
    text.timeAsText = true;
    WriteLightCurveFits(dir + "/text_time", text);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
