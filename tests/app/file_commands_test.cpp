#include "app/file_commands.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/startup.h"
#include "format_samples.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::FakePlatform;
using testing::InDirectory;
using testing::ReadFile;
using testing::TempDir;

// File > Open run from a temporary current directory.
class OpenCommand : public ::testing::Test {
 protected:
  OpenCommand() { p.values[Control::SpinEdit1] = 1; }
  void Open(const std::string& chosen) {
    p.fileAnswers.push_back({false, chosen});
    InDirectory(dir.path(), [&] { RunCommand(a, OpenObservationFile); });
  }
  void WriteCfg() { dir.Write("default.cfg", "\r\n\r\n0\r\n0\r\n0\r\n0\r\n8\r\n"); }

  TempDir dir;
  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p, {}};
};

TEST_F(OpenCommand, LoadsTheChosenFileIntoTheTimeView) {
  WriteCfg();
  const std::string star = dir.Write("star.dat", "1 10\n2 11\n3 12\n");
  s.View = 'd';
  Open(star);
  EXPECT_TRUE(p.messages.empty()) << p.LastMessage();
  EXPECT_EQ(s.CfgPath, "default.cfg");
  EXPECT_EQ(s.NObs, 3);
  EXPECT_EQ(s.View, 't');
  EXPECT_EQ(s.DataReady, 'y');
  EXPECT_EQ(p.texts[Control::MainWindow], star);
  EXPECT_TRUE(p.enabled[Control::MethodMenu]);
  EXPECT_EQ(p.LastStatus(), "Done... Number of observations: 3");
}

TEST_F(OpenCommand, CancelAppliesTheDefaultsAndKeepsTheSet) {
  WriteCfg();
  Open(dir.Write("star.dat", "1 10\n2 11\n"));
  s.RunCode = 'e';
  p.fileAnswers.push_back({true, ""});
  InDirectory(dir.path(), [&] { RunCommand(a, OpenObservationFile); });
  EXPECT_EQ(s.NObs, 2);
  EXPECT_EQ(s.RunCode, 'n');
  EXPECT_EQ(s.DataReady, 'y');
}

TEST_F(OpenCommand, ReadsTheColumnControlAndTheReadZerosBox) {
  WriteCfg();
  p.values[Control::SpinEdit1] = 2;
  p.checked[Control::ChBZero] = true;
  Open(dir.Write("star.dat", "1 9 0\n2 9 11\n"));
  ASSERT_EQ(s.NObs, 2);
  EXPECT_EQ(s.Mag[1], 0);
  EXPECT_EQ(s.Mag[2], 11);
}

TEST_F(OpenCommand, ReloadWithUntouchedEditsKeepsTheEarliestAndLatestDates) {
  WriteCfg();
  // Four-decimal texts would round 1.23456 up and 5.67891 down.
  const std::string star = dir.Write("star.dat", "1.23456 10\n3 11\n5.67891 12\n");
  Open(star);
  ASSERT_EQ(p.texts[Control::JDmin], "1.2346");
  ASSERT_EQ(p.texts[Control::JDmax], "5.6789");
  Open(star);
  EXPECT_EQ(s.NObs, 3);
  EXPECT_EQ(s.JDLow, 1.23456);
  EXPECT_EQ(s.JDHigh, 5.67891);
}

TEST_F(OpenCommand, EditedWindowRestrictsTheReload) {
  WriteCfg();
  const std::string star = dir.Write("star.dat", "1 10\n2 11\n3 12\n4 13\n");
  Open(star);
  p.texts[Control::JDmin] = "2";
  p.texts[Control::JDmax] = "3";
  Open(star);
  EXPECT_EQ(s.NObs, 2);
  EXPECT_EQ(p.texts[Control::JDmin], "2.0000");
}

TEST_F(OpenCommand, AnotherFileIsReadWholeUnlessTheUserTypedAWindow) {
  WriteCfg();
  const std::string one = dir.Write("one.dat", "5 10\n");
  const std::string sample = dir.Write("sample.dat", "1 10\n5 11\n9 12\n");
  Open(one);
  Open(sample);  // edits as the one-line load wrote them
  EXPECT_EQ(s.NObs, 3);
  Open(one);
  p.texts[Control::JDmin] = "";  // cleared: that end is open, not the old date
  p.texts[Control::JDmax] = "";
  Open(sample);
  EXPECT_EQ(s.NObs, 3);
  p.texts[Control::JDmin] = "4";
  Open(dir.Write("other.dat", "1 10\n5 11\n9 12\n"));
  EXPECT_EQ(s.NObs, 2);
}

TEST_F(OpenCommand, InvalidWindowTextIsReportedAndTheLoadGoesOn) {
  WriteCfg();
  p.texts[Control::JDmin] = "abc";
  p.texts[Control::JDmax] = "2,5";
  Open(dir.Write("star.dat", "1 10\n2 11\n"));
  EXPECT_EQ(p.messages, (std::vector<std::string>{"Error in JDmax...", "Error in JDmin..."}));
  EXPECT_EQ(s.NObs, 2);
}

TEST_F(OpenCommand, MalformedNumberIsReportedAndTheEarlierObservationsStay) {
  WriteCfg();
  Open(dir.Write("star.dat", "1 10\n2 11\n3 x\n4 12\n"));
  EXPECT_EQ(p.messages, std::vector<std::string>{"Invalid numeric input"});
  EXPECT_EQ(s.NObs, 2);
  EXPECT_EQ(p.texts[Control::JDmax], "2.0000");
  EXPECT_EQ(p.LastStatus(), "Done... Number of observations: 2");
}

TEST_F(OpenCommand, EmptySetReportsZeroObservationsAndLeavesTheEdits) {
  WriteCfg();
  p.texts[Control::JDmin] = "100";
  Open(dir.Write("star.dat", "1 10\n2 11\n"));
  EXPECT_EQ(s.NObs, 0);
  EXPECT_EQ(s.MagMean, 0);
  EXPECT_EQ(s.MagVar, 0);
  EXPECT_EQ(p.LastStatus(), "Done... Number of observations: 0");
  EXPECT_EQ(p.texts[Control::JDmin], "100");
  // The next load is not confined to an empty window.
  p.texts[Control::JDmin] = "";
  Open(dir.Write("star.dat", "1 10\n2 11\n"));
  EXPECT_EQ(s.NObs, 2);
}

TEST_F(OpenCommand, LoadClearsTheExtractionMarks) {
  WriteCfg();
  const std::string star = dir.Write("star.dat", "1 10\n2 11\n3 12\n");
  Open(star);
  s.Marks[2] = 1;
  s.SelMade = true;
  Open(star);
  EXPECT_EQ(s.Marks, (iarray{0, 0, 0, 0}));
  EXPECT_FALSE(s.SelMade);
}

TEST_F(OpenCommand, MissingChoiceIsReportedAndThePreviousSetStays) {
  WriteCfg();
  const std::string star = dir.Write("star.dat", "1 10\n2 11\n");
  Open(star);
  Open(dir.File("typo.dat"));
  EXPECT_EQ(p.messages, std::vector<std::string>{"File does not exist..."});
  EXPECT_EQ(p.LastStatus(), "File does not exist...");
  EXPECT_EQ(s.DataFileName, star);
  EXPECT_EQ(p.texts[Control::MainWindow], star);
  EXPECT_EQ(s.NObs, 2);
}

TEST_F(OpenCommand, MissingChoiceWithoutAPreviousFileIsReported) {
  WriteCfg();
  Open(dir.File("typo.dat"));
  EXPECT_EQ(p.messages, std::vector<std::string>{"File does not exist..."});
  EXPECT_EQ(s.NObs, 0);
  EXPECT_FALSE(p.enabled[Control::MethodMenu]);
}

TEST_F(OpenCommand, MissingDefaultsAreReportedOncePerFolder) {
  const std::string star = dir.Write("star.dat", "1 10\n");
  Open(star);
  Open(star);
  TempDir other;
  p.fileAnswers.push_back({false, star});
  InDirectory(other.path(), [&] { RunCommand(a, OpenObservationFile); });
  EXPECT_EQ(p.messages, std::vector<std::string>(2, kDefaultsNotFound));
  EXPECT_EQ(s.NObs, 1);
}

// The sample star's plain CSV with its first two bands only (g, r).
testing::SampleFile TwoBandCsv() {
  testing::SampleStar star = testing::MakeSampleStar();
  std::erase_if(star.rows, [](const testing::SampleRow& r) { return r.band == 2; });
  for (testing::SampleFile& f : testing::FormatSamples(star))
    if (f.name == "star.csv") return f;
  throw std::logic_error("no star.csv sample");
}

TEST_F(OpenCommand, TheBandChosenInTheDialogIsLoadedAndTheStatusSaysWhatWasDropped) {
  WriteCfg();
  const testing::SampleFile csv = TwoBandCsv();
  const testing::SampleCounts& r = csv.expect.at("r");
  ASSERT_LT(r.kept, r.read);
  const std::string path = dir.Write(csv.name, csv.content);
  // r has fewer rows than g: read only because it was chosen.
  p.readChoice = {ObservationFormat::Csv, "r"};
  Open(path);
  EXPECT_TRUE(p.messages.empty()) << p.LastMessage();
  EXPECT_EQ(s.Loaded.band, "r");
  EXPECT_EQ(s.NObs, r.kept);
  EXPECT_EQ(s.Err.size(), s.JD.size());
  const std::string status = p.LastStatus();
  const std::string kept =
      "CSV r: " + std::to_string(r.kept) + " of " + std::to_string(r.read) + " rows (";
  EXPECT_EQ(status.rfind(kept, 0), 0u) << status;
  EXPECT_NE(status.find("missing), dates JD. Number of observations: " + std::to_string(r.kept)),
            std::string::npos)
      << status;

  // A reread of the same file (the JD window narrowed) keeps the band.
  p.texts[Control::JDmax] = "2459100";
  ReadJDWindowEdits(a);
  ASSERT_TRUE(LoadDataFile(a));
  EXPECT_EQ(s.Loaded.band, "r");
  EXPECT_LT(s.NObs, r.kept);
}

TEST_F(OpenCommand, AFileThatCannotBeReadAsItsFormatLeavesTheLoadedSetAndCaption) {
  WriteCfg();
  const testing::SampleFile csv = TwoBandCsv();
  const std::string good = dir.Write(csv.name, csv.content);
  Open(good);
  ASSERT_EQ(s.Loaded.band, "g");
  const AnalysisState before = s;
  const std::string caption = p.texts[Control::MainWindow];

  // A row one field short, at the file's last line.
  const int64_t lines = std::count(csv.content.begin(), csv.content.end(), '\n');
  const std::string broken = dir.Write("broken.csv", csv.content + "2459400.5,12.1\n");
  Open(broken);
  const std::string where = broken + ":" + std::to_string(lines + 1) + ": ";
  EXPECT_EQ(p.LastMessage().rfind(where, 0), 0u) << p.LastMessage();
  EXPECT_EQ(p.LastStatus(), p.LastMessage());
  EXPECT_EQ(p.texts[Control::MainWindow], caption);
  EXPECT_EQ(s.DataFileName, good);
  EXPECT_EQ(s.JD, before.JD);
  EXPECT_EQ(s.Mag, before.Mag);
  EXPECT_EQ(s.Err, before.Err);
  EXPECT_EQ(s.Loaded.band, "g");
  EXPECT_EQ(s.JDLow, before.JDLow);
  EXPECT_EQ(s.JDHigh, before.JDHigh);
}

TEST(SaveParameters, RoundTripThroughInstallParam) {
  TempDir dir;
  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p, {}};
  s.Period = 0.55681234;
  s.Epoch = 59001.98765;
  s.P2 = 39.81;
  s.ExtrDate = 59020.1;
  s.NBins = 6;
  p.dialogDirs[FileDialog::FindFile] = "/home/obs";
  p.dialogNames[FileDialog::FindFile] = "/home/obs/rr.dat";
  InDirectory(dir.path(), [&] { RunCommand(a, SaveParameters); });
  ASSERT_TRUE(p.messages.empty()) << p.LastMessage();

  AnalysisState back;
  FakePlatform q;
  AppContext b{back, q, {}};
  back.CfgPath = dir.File("default.cfg");
  RunCommand(b, ReadDefaultParameters);
  ASSERT_TRUE(q.messages.empty()) << q.LastMessage();
  EXPECT_EQ(back.InitDir, "/home/obs");
  EXPECT_EQ(back.LastFile, "/home/obs/rr.dat");
  EXPECT_DOUBLE_EQ(back.Period, 0.5568123);
  EXPECT_DOUBLE_EQ(back.Epoch, 59001.9877);
  EXPECT_DOUBLE_EQ(back.P2, 39.81);
  EXPECT_DOUBLE_EQ(back.ExtrDate, 59020.1);
  EXPECT_EQ(back.NBins, 6);
  EXPECT_EQ(q.texts[Control::LC_Edit1], "0.5568123");
  EXPECT_EQ(q.texts[Control::LC_Edit2], "59001.9877");
  EXPECT_EQ(q.texts[Control::LC_Edit3], "39.8100000");
  EXPECT_EQ(q.texts[Control::LC_Edit4], "59020.1000");
  EXPECT_EQ(q.texts[Control::LC_Edit5], " 6");
  EXPECT_EQ(q.texts[Control::SecP_Period], "0.5568123");
  EXPECT_EQ(q.texts[Control::SecP_Epoch], "59001.9877");
  EXPECT_EQ(q.dialogDirs[FileDialog::FindFile], "/home/obs");
}

TEST(SaveParameters, UnwritableDirectoryIsReportedByTheErrorHandler) {
  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p, {}};
  InDirectory("/proc", [&] { RunCommand(a, SaveParameters); });
  ASSERT_EQ(p.messages.size(), 1u);
  EXPECT_EQ(p.LastMessage().rfind("I/O error ", 0), 0u);
}

TEST(AllButton, RestoresTheLoadedRangeOfTheView) {
  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p, {}};
  s.DataJDmin = 1;
  s.DataJDmax = 9;
  s.DataMagMin = 10;
  s.DataMagMax = 12;
  s.PhMinAll = -0.5;
  s.PhMaxAll = 1.0;
  s.View = 't';
  s.JDLow = 3;
  s.JDHigh = 4;
  s.PhMin = 0.2;
  p.visible[Control::ButAllDiap] = true;
  RunCommand(a, ShowWholeRange);
  EXPECT_EQ(s.JDLow, 1);
  EXPECT_EQ(s.JDHigh, 9);
  EXPECT_EQ(s.MagHigh, 12);
  EXPECT_EQ(s.PhMin, 0.2);  // the phase window belongs to the phase views
  EXPECT_FALSE(p.visible[Control::ButAllDiap]);

  s.View = 'l';
  s.FullRange = false;
  s.MagLow = 11;
  RunCommand(a, ShowWholeRange);
  EXPECT_EQ(s.PhMin, -0.5);
  EXPECT_EQ(s.PhMax, 1.0);
  EXPECT_EQ(s.MagLow, 10);
  EXPECT_TRUE(s.FullRange);

  s.View = 'm';
  s.MagLow = 11;
  RunCommand(a, ShowWholeRange);
  EXPECT_EQ(s.MagLow, 11);
  EXPECT_EQ(p.repaints, 3);
}

TEST(ExitCommand, QuitsWithoutAsking) {
  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p, {}};
  RunCommand(a, ExitProgram);
  EXPECT_TRUE(p.quit);
  EXPECT_TRUE(p.messages.empty());
}

}  // namespace
}  // namespace korvel
