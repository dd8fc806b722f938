// The archives' layouts, written from one synthetic star: each is recognised,
// read band by band with the drops its flags and limits call for, and the
// values read give the star's period back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <variant>

#include "format_samples.h"
#include "io/read_observations.h"
#include "search/search_methods.h"
#include "search/search_pipeline.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::FormatSamples;
using testing::MakeSampleStar;
using testing::SampleFile;
using testing::TempDir;

TEST(ObservationFormats, EverySampleLayoutIsRecognisedAndEachBandReadWithItsDrops) {
  const TempDir dir;
  const auto samples = FormatSamples(MakeSampleStar());
  ASSERT_EQ(samples.size(), 11u);
  for (const SampleFile& f : samples) {
    SCOPED_TRACE(f.name);
    const std::string path = dir.Write(f.name, f.content);
    EXPECT_EQ(DetectObservationFormat(path), f.format);

    // The default band is the one with most usable rows: the first.
    const LoadedObservations all = ReadObservations(path, {});
    EXPECT_EQ(all.band, f.bands[0]);
    ASSERT_EQ(all.bands.size(), f.expect.size());
    for (size_t i = 1; i < all.bands.size(); ++i)
      EXPECT_GE(all.bands[i - 1].second, all.bands[i].second);

    for (const auto& [band, want] : f.expect) {
      SCOPED_TRACE(band);
      ReadOptions options;
      options.band = band;
      const LoadedObservations p = ReadObservations(path, options);
      EXPECT_EQ(p.format, f.format);
      EXPECT_EQ(p.timeSystem, f.timeSystem);
      EXPECT_EQ(p.band, band);
      EXPECT_EQ(p.rowsRead, want.read);
      EXPECT_EQ(static_cast<int64_t>(p.jd.size()), want.kept);
      EXPECT_EQ(p.dropped, want.dropped);
      EXPECT_EQ(p.sorted, f.outOfOrder);
      EXPECT_TRUE(std::is_sorted(p.jd.begin(), p.jd.end()));
      ASSERT_EQ(p.err.size(), p.jd.size());
      EXPECT_NEAR(p.jd.front(), want.firstJd - f.timeZero, 2e-5);
      EXPECT_NEAR(p.err.front(), want.firstErr, 1e-3);
      for (double m : p.mag) EXPECT_TRUE(m > 10 && m < 14) << m;
      const auto count = std::find_if(p.bands.begin(), p.bands.end(),
                                      [&](const auto& e) { return e.first == band; });
      ASSERT_NE(count, p.bands.end());
      EXPECT_EQ(count->second, want.kept);
    }
  }
}

TEST(ObservationFormats, TheCsvStarsPeriodIsFoundByBothSearches) {
  const TempDir dir;
  const testing::SampleStar star = MakeSampleStar(300);
  const SampleFile csv = FormatSamples(star).front();
  const LoadedObservations p = ReadObservations(dir.Write(csv.name, csv.content), {});
  const Observations o = ObservationsOf(p.jd, p.mag);
  for (SearchKind kind : {SearchKind::LaflerKinman, SearchKind::Deeming}) {
    SCOPED_TRACE(MethodOf(kind).name);
    SearchRequest request;
    request.method = kind;
    request.pmin = 0.3;
    request.pmax = 2;
    request.phaseShift = 0.02;
    PlainSearchHooks hooks;
    const SearchResult r = RunSearch(std::get<PreparedSearch>(PrepareSearch(request, o)), o, hooks);
    EXPECT_NEAR(r.best[0].period, star.period, 2e-4);
  }
}

TEST(ObservationFormats, AavsoExtendedSpreadsheetDatesBecomeJulianDates) {
  const TempDir dir;
  const std::string path =
      dir.Write("ext.txt",
                "#TYPE=Extended\n#DELIM=tab\n#DATE=EXCEL\n"
                "SS CYG\t45000.25\t12.10\t0.02\tV\tNO\tSTD\tna\tna\tna\tna\tna\tna\tna\tna\n"
                "SS CYG\t45001.25\tna\t0.02\tV\tNO\tSTD\tna\tna\tna\tna\tna\tna\tna\tna\n"
                "SS CYG\t45002.25\t<13.5\tna\tV\tNO\tSTD\tna\tna\tna\tna\tna\tna\tna\tna\n");
  const LoadedObservations p = ReadObservations(path, {});
  EXPECT_EQ(p.format, ObservationFormat::AavsoExtended);
  EXPECT_EQ(p.timeSystem, "JD");
  ASSERT_EQ(p.jd.size(), 1u);
  EXPECT_DOUBLE_EQ(p.jd[0], 45000.25 + 2415018.5);  // 2023-03-15 6h
  EXPECT_EQ(p.dropped, (std::map<std::string, int64_t>{{"limit", 1}, {"missing", 1}}));
}

TEST(ObservationFormats, FluxWithoutMagnitudesBecomesMagnitudesAndNonPositiveFluxIsDropped) {
  const TempDir dir;
  const std::string path =
      dir.Write("flux.csv", "mjd,flux,flux_err\n1,100,1\n2,0,1\n3,-5,1\n4,nan,1\n5,,1\n6,1e-2,\n");
  const LoadedObservations p = ReadObservations(path, {});
  EXPECT_EQ(p.timeSystem, "MJD");
  ASSERT_EQ(p.mag.size(), 2u);
  EXPECT_DOUBLE_EQ(p.mag[0], -5);
  EXPECT_NEAR(p.err[0], 0.010857, 1e-6);
  EXPECT_DOUBLE_EQ(p.mag[1], 5);
  EXPECT_TRUE(std::isnan(p.err[1]));
  EXPECT_EQ(p.dropped, (std::map<std::string, int64_t>{{"missing", 1}, {"non-finite", 3}}));

  ReadOptions keep;
  keep.keepFlux = true;
  const LoadedObservations f = ReadObservations(path, keep);
  EXPECT_TRUE(f.flux);
  EXPECT_EQ(f.mag, (std::vector<double>{100, 1e-2}));
}

}  // namespace
}  // namespace korvel
