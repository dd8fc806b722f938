#include "io/light_curve_fits.h"

#include <cstring>
#include <fstream>

namespace korvel {

bool HasFitsSignature(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[9] = {};
  in.read(head, 9);
  return in.gcount() == 9 && std::memcmp(head, "SIMPLE  =", 9) == 0;
}

PhotometryRows ReadLightCurveFits(const std::string& path, const PhotometryOptions&) {
  throw PhotometryError(path + ": light-curve FITS files cannot be read yet...");
}

}  // namespace korvel
