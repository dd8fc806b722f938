#include "io/analysis_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>

#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::TempDir;

// A document with every part filled, values chosen to need all 17 digits.
AnalysisDocument FullDocument(const std::string& observationFile) {
  AnalysisDocument d;
  AnalysisObservations& o = d.observations;
  o.file = observationFile;
  o.column = 2;
  o.readZeros = true;
  o.jdMin = 2450000.123456789;
  o.jdMax = 2450100.987654321;
  o.loadedCount = 5;
  o.intensities = true;
  o.deleted = {{2, 2450001.1, 10.123456789012345}};
  o.marked = {{1, 2450000.123456789, 9.9}, {4, 2450050.5, 11.25}};
  o.magnitudes = {0.01, -0.02, 0.1 / 3, 1e-300};
  d.elements = {0.5568123456789, 2450000.5, 41.1, 0, 2450010, 8, true};
  d.search.pmin = 0.3;
  d.search.pmax = 1.0 / 3;
  d.search.secondaryBins = 6;
  d.search.secondaryMode = 2;
  AnalysisSearch s;
  s.method = "deeming";
  s.pmin = 0.3;
  s.pmax = 2;
  s.frequencyStep = 1e-5;
  s.spectrumLow.assign(kAnalysisSpectrumColumns, 0.25);
  s.spectrumHigh.assign(kAnalysisSpectrumColumns, 0.5);
  s.spectrumHigh[7] = 0.1 / 7;
  s.spectrumMax = 0.9;
  s.best = {{0.5568, 1 / 0.5568, 0.31}, {0.3577, 1 / 0.3577, 0.2}};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  s.peaks = {{0.5568, 1 / 0.5568, 0.31, 0.55681, 1e-6, 0.001, ""},
             {0.3577, 1 / 0.3577, 0.2, nan, nan, nan, "alias 1 c/d"}};
  d.lastSearch = s;
  d.meanCurve = {3,
                 2,
                 0.1,
                 12.5,
                 11.5,
                 'f',
                 {{4, 0.25, 11.5, 0.01, 0.02, 11.6}, {5, 0.75, 12.5, 0.01, 0.03, 12.4}}};
  d.collectingFile = "star.sup";
  d.residualFile = "star.o";
  d.collectedFile = "old.sup";
  d.collected = {{0.5568, 2450000.5, {0.1, 0.6}, {-0.1, 0.1}}};
  d.view = {'m', 'y', 2450000, 2450100, 9, 13, -0.5, 1, false, true, 2450050};
  return d;
}

AnalysisDocument Read(const std::string& path) {
  auto read = ReadAnalysisFile(path);
  if (const auto* refusal = std::get_if<AnalysisRefusal>(&read)) ADD_FAILURE() << refusal->reason;
  return std::get<AnalysisDocument>(read);
}

TEST(AnalysisFile, WhatIsWrittenReadsBackEqualWithTheFileAlsoNamedRelatively) {
  TempDir dir;
  const std::string star = dir.Write("data/star.dat", "1 1\n");
  const AnalysisDocument d = FullDocument(star);
  const std::string path = dir.File("star.korvel.json");
  WriteAnalysisFile(d, path);
  AnalysisDocument expected = d;
  expected.observations.relativeFile = "data/star.dat";
  const AnalysisDocument back = Read(path);
  EXPECT_EQ(back, expected);
  // NaN is no number in JSON: unknown values are written as null.
  EXPECT_NE(ReadFile(path).find("\"fap\": null"), std::string::npos);
  EXPECT_EQ(ReadFile(path).find("nan"), std::string::npos);

  // The file moved with its analysis is found by the relative name.
  std::filesystem::rename(dir.File("data"), dir.File("moved"));
  AnalysisDocument moved = back;
  moved.observations.relativeFile = "moved/star.dat";
  EXPECT_EQ(ObservationFileOf(moved, path), dir.File("moved/star.dat"));
}

TEST(AnalysisFile, UnknownKeysAreIgnoredAndKeptWhenWrittenBack) {
  TempDir dir;
  const std::string path = dir.File("a.korvel.json");
  nlohmann::ordered_json j = AnalysisJson(FullDocument("/data/star.dat"));
  j["added_later"] = {{"colour", "red"}};
  j["elements"]["phase_offset"] = 0.25;
  dir.Write("a.korvel.json", j.dump());
  AnalysisDocument d = Read(path);
  EXPECT_EQ(d, FullDocument("/data/star.dat"));
  d.elements.period = 2;
  WriteAnalysisFile(d, path);
  const auto back = nlohmann::ordered_json::parse(ReadFile(path));
  EXPECT_EQ(back["added_later"]["colour"], "red");
  EXPECT_EQ(back["elements"]["phase_offset"], 0.25);
  EXPECT_EQ(back["elements"]["period"], 2);
}

struct Damage {
  const char* name;
  std::function<void(nlohmann::ordered_json&)> apply;
  const char* reason;  // a part of the refusal's text
};

class DamagedAnalysis : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedAnalysis, IsRefusedWithItsReason) {
  nlohmann::ordered_json j = AnalysisJson(FullDocument("/data/star.dat"));
  GetParam().apply(j);
  const auto read = AnalysisFromText(j.is_string() ? j.get<std::string>() : j.dump(), "a.json");
  ASSERT_TRUE(std::holds_alternative<AnalysisRefusal>(read));
  const std::string reason = std::get<AnalysisRefusal>(read).reason;
  EXPECT_NE(reason.find(GetParam().reason), std::string::npos) << reason;
  EXPECT_EQ(reason.rfind("a.json: ", 0), 0u) << reason;
}

using J = nlohmann::ordered_json;
INSTANTIATE_TEST_SUITE_P(
    AnalysisFile, DamagedAnalysis,
    ::testing::Values(
        Damage{"NotJson", [](J& j) { j = "{\"format\": "; }, "not JSON (at byte"},
        Damage{"NumberBeyondADouble", [](J& j) { j = "{\"format\": 9e999}"; },
               "not JSON (number overflow"},
        Damage{"OtherFormat", [](J& j) { j["format"] = "other"; }, "not a KORVEL analysis"},
        Damage{"NewerVersion", [](J& j) { j["version"] = 2; }, "version 2 is newer"},
        Damage{"MissingPart", [](J& j) { j.erase("elements"); }, "elements: missing"},
        Damage{"WrongType", [](J& j) { j["elements"]["period"] = "0.5"; },
               "elements.period: expected a number"},
        Damage{"ColumnOutOfRange", [](J& j) { j["observations"]["column"] = 0; },
               "observations.column: must lie from 1"},
        Damage{"DeletionBeyondTheSet", [](J& j) { j["observations"]["deleted"][0]["index"] = 6; },
               "observations.deleted[0].index"},
        Damage{"MarkedAndDeleted", [](J& j) { j["observations"]["marked"][1]["index"] = 2; },
               "also deleted"},
        Damage{"MagnitudesMiscounted", [](J& j) { j["observations"]["magnitudes"].push_back(1.0); },
               "5 values for 4"},
        Damage{"ShortSpectrum", [](J& j) { j["last_search"]["spectrum"]["low"].erase(0); },
               "481 columns"},
        Damage{"FapAboveOne", [](J& j) { j["last_search"]["peaks"][0]["fap"] = 1.5; },
               "fap: must lie from 0 to 1"},
        Damage{"UnknownView", [](J& j) { j["view"]["view"] = "Q"; }, "view.view"},
        Damage{"CurveOfOtherLength", [](J& j) { j["mean_curve"]["points"] = 3; },
               "mean_curve.curve: holds 2 points, not 3"}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST(AnalysisFile, AMissingFileIsRefusedWithItsName) {
  const auto read = ReadAnalysisFile("/nonexistent/a.korvel.json");
  ASSERT_TRUE(std::holds_alternative<AnalysisRefusal>(read));
  EXPECT_NE(std::get<AnalysisRefusal>(read).reason.find("/nonexistent/a.korvel.json"),
            std::string::npos);
}

}  // namespace
}  // namespace korvel
