// Gaia DR3 epoch photometry: the long form (one row per band and transit)
// and the wide form (one row per transit, G, BP and RP side by side). Times
// are BJD(TCB) - 2455197.5; magnitudes carry no error of their own, so the
// error comes from the flux and its error.
#include <array>
#include <string>

#include "io/formats/rows.h"
#include "io/formats/table.h"

namespace korvel::formats {

namespace {

constexpr double kGaiaTimeZero = 2455197.5;
constexpr const char* kGaiaTimeSystem = "BJD-TCB";

bool Rejected(const Table& table, int a, int b) {
  return (a >= 0 && IsTrue(table.Field(a))) || (b >= 0 && IsTrue(table.Field(b)));
}

// A magnitude, or the flux when the caller keeps flux or the file has no
// magnitude column.
void AddGaia(RowSink& sink, const Table& table, std::string_view band, const char* reason, int time,
             int mag, int flux, int fluxError, bool keepFlux) {
  if (keepFlux || mag < 0) {
    sink.AddFlux(band, reason, table.Field(time), table.Field(flux), table.Field(fluxError),
                 kGaiaTimeZero);
    return;
  }
  double f = 0;
  const double err = ParseValue(table.Field(flux), f) == Value::Ok
                         ? FluxMagError(f, table.Field(fluxError))
                         : kNoError;
  sink.Add(band, reason, table.Field(time), table.Field(mag), err, kGaiaTimeZero);
}

}  // namespace

FormatRows ReadGaiaRows(const std::string& path, const ReadOptions& options) {
  Table table(path);
  table.ReadHeader();
  if (table.Find("g_transit_time") >= 0) {
    struct Band {
      const char* name;
      int time, mag, flux, fluxError, reject, photometryReject;
    };
    std::array<Band, 3> bands = {{
        {"G", table.Find("g_transit_time"), table.Find("g_transit_mag"),
         table.Find("g_transit_flux"), table.Find("g_transit_flux_error"),
         table.Find("variability_flag_g_reject"), table.Find("g_rejected_by_photometry")},
        {"BP", table.Find("bp_obs_time"), table.Find("bp_mag"), table.Find("bp_flux"),
         table.Find("bp_flux_error"), table.Find("variability_flag_bp_reject"),
         table.Find("bp_rejected_by_photometry")},
        {"RP", table.Find("rp_obs_time"), table.Find("rp_mag"), table.Find("rp_flux"),
         table.Find("rp_flux_error"), table.Find("variability_flag_rp_reject"),
         table.Find("rp_rejected_by_photometry")},
    }};
    bool anyFlux = false;
    for (const Band& b : bands) {
      if (b.time >= 0 && b.mag < 0 && b.flux < 0)
        table.Fail(std::string("no magnitude or flux column of band ") + b.name +
                   "; the columns are: " + table.ColumnList());
      anyFlux = anyFlux || b.flux >= 0;
    }
    const bool keepFlux = options.keepFlux && anyFlux;
    RowSink sink(ObservationFormat::Gaia, kGaiaTimeSystem, anyFlux);
    if (keepFlux) sink.KeepFlux();
    while (table.Next()) {
      for (const Band& b : bands) {
        // A transit without a band's time and value did not observe it.
        if (b.time < 0 || (table.Field(b.time).empty() &&
                           table.Field(keepFlux || b.mag < 0 ? b.flux : b.mag).empty()))
          continue;
        AddGaia(sink, table, b.name,
                Rejected(table, b.reject, b.photometryReject) ? kRejected : nullptr, b.time, b.mag,
                b.flux, b.fluxError, keepFlux || b.mag < 0);
      }
    }
    return sink.Take();
  }

  const int band = table.Require({"band"}, "column band");
  const int time = table.Require({"time"}, "column time");
  const int mag = table.Find("mag");
  const int flux = table.Find("flux");
  if (mag < 0 && flux < 0)
    table.Fail("no column mag or flux; the columns are: " + table.ColumnList());
  const int fluxError = table.Find("flux_error");
  const int photometry = table.Find("rejected_by_photometry");
  const int variability = table.Find("rejected_by_variability");
  const bool keepFlux = (options.keepFlux && flux >= 0) || mag < 0;
  RowSink sink(ObservationFormat::Gaia, kGaiaTimeSystem, flux >= 0 && fluxError >= 0);
  if (options.keepFlux && flux >= 0) sink.KeepFlux();
  while (table.Next())
    AddGaia(sink, table, table.Field(band),
            Rejected(table, photometry, variability) ? kRejected : nullptr, time, mag, flux,
            fluxError, keepFlux);
  return sink.Take();
}

}  // namespace korvel::formats
