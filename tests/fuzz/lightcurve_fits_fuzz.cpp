// The light-curve FITS reader over cfitsio: the bytes are the file, read once
// as magnitudes and once as flux. Either both reads fail or both succeed, and
// then every row is accounted for: kept, flagged or non-finite, the same
// flagged rows both times, and magnitudes drop exactly the rows with
// non-positive flux that the flux read keeps. The seeds are written by
// korvel-make-fits-seeds (make_fits_seeds.cpp).
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/fuzz_support.h"
#include "io/formats/lightcurve_fits.h"

using korvel::fuzz::Check;

namespace {

std::optional<korvel::FormatRows> Read(const std::string& path, bool keepFlux) {
  korvel::ReadOptions options;
  options.keepFlux = keepFlux;
  try {
    return korvel::ReadLightCurveFits(path, options);
  } catch (const korvel::FormatError& e) {
    Check(std::string(e.what()).rfind(path, 0) == 0, "an error names the file first");
    return std::nullopt;
  }
}

int64_t Count(const korvel::FormatRows& r, const char* reason) {
  const auto& d = r.dropped.begin()->second;
  const auto it = d.find(reason);
  return it == d.end() ? 0 : it->second;
}

void CheckRows(const korvel::FormatRows& r) {
  const size_t n = r.time.size();
  Check(r.value.size() == n && r.err.size() == n && r.band.size() == n,
        "every kept row has a time, value, error and band");
  Check(r.rowsRead.size() == 1 && r.dropped.size() == 1, "one band per file");
  const int64_t read = r.rowsRead.begin()->second;
  Check(read == static_cast<int64_t>(n) + Count(r, "flagged") + Count(r, "non-finite"),
        "every row read is kept or dropped for a reason");
  for (size_t i = 0; i < n; ++i) {
    Check(std::isfinite(r.time[i]) && std::isfinite(r.value[i]), "kept rows are finite");
    Check(r.band[i] == r.rowsRead.begin()->first, "every row carries the band read");
  }
}

}  // namespace

// cfitsio sizes some of its buffers from header values and checks what
// malloc returns: a hostile header asking for petabytes gets NULL outside the
// sanitizer, and a cfitsio error, so here too. C++ allocations still abort.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = korvel::fuzz::WriteFile("star.fits", data, size);
  const auto mags = Read(path, false);
  const auto flux = Read(path, true);
  Check(mags.has_value() == flux.has_value(), "the flux read fails exactly when magnitudes do");
  if (!mags) return 0;
  CheckRows(*mags);
  CheckRows(*flux);
  Check(!mags->flux && flux->flux, "the rows say whether they hold flux");
  Check(Count(*mags, "flagged") == Count(*flux, "flagged"), "both reads flag the same rows");
  int64_t nonPositive = 0;
  for (double v : flux->value) nonPositive += v <= 0;
  Check(static_cast<int64_t>(mags->time.size()) + nonPositive ==
            static_cast<int64_t>(flux->time.size()),
        "magnitudes drop exactly the rows of non-positive flux");
  return 0;
}
