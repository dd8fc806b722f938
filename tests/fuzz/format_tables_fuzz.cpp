// The text photometry readers (CSV, TSV, IPAC and the archives' layouts over
// them): the first byte chooses the format (auto or one of the text ones),
// the rest is the file. A read either fails with FormatError or gives
// one band whose values agree with what it reports about them.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/error.h"
#include "fuzz/fuzz_support.h"
#include "io/read_observations.h"

using korvel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  using F = korvel::ObservationFormat;
  constexpr F kFormats[] = {F::Auto, F::Csv,  F::Aavso, F::AavsoExtended,
                            F::Ztf,  F::Gaia, F::Asassn};
  korvel::ReadOptions options;
  options.format = kFormats[data[0] % 7];
  // The FITS reader has a target of its own.
  if (options.format == F::Auto && size >= 10 && std::memcmp(data + 1, "SIMPLE  =", 9) == 0)
    options.format = F::Csv;
  const std::string path = korvel::fuzz::WriteFile("star.csv", data + 1, size - 1);

  korvel::LoadedObservations p;
  try {
    p = korvel::ReadObservations(path, options);
  } catch (const korvel::FormatError& e) {
    Check(std::string(e.what()).rfind(path, 0) == 0, "a message names the file");
    return 0;
  } catch (const korvel::KorvelError&) {
    Check(false, "a file just written can be opened");
  }
  Check(!p.jd.empty(), "a read that succeeds has observations");
  Check(p.mag.size() == p.jd.size(), "a magnitude for every date");
  Check(p.err.empty() || p.err.size() == p.jd.size(), "no errors, or one for every date");
  for (size_t i = 0; i < p.jd.size(); ++i) {
    Check(std::isfinite(p.jd[i]) && std::isfinite(p.mag[i]), "values are finite");
    Check(i == 0 || p.jd[i - 1] <= p.jd[i], "dates are in order");
  }
  Check(p.rowsRead == static_cast<int64_t>(p.jd.size()) + p.RowsDropped(),
        "every row of the band is kept or dropped");
  int64_t bandRows = -1;
  for (size_t i = 0; i < p.bands.size(); ++i) {
    Check(i == 0 || p.bands[i - 1].second >= p.bands[i].second, "bands are most first");
    if (p.bands[i].first == p.band) bandRows = p.bands[i].second;
  }
  Check(bandRows == static_cast<int64_t>(p.jd.size()), "the band's count is its rows");
  return 0;
}
