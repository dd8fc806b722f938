#include "app/startup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/file_commands.h"
#include "io/param_file.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::FakePlatform;
using testing::TempDir;

constexpr const char* kThreeObservations = "1.0 10.0\r\n2.0 10.5\r\n3.0 11.0\r\n";

// A program started from a temporary directory holding its executable,
// default.cfg and a star file.
class CommandLineStart : public ::testing::Test {
 protected:
  CommandLineStart() {
    exe = dir.File("bin/korvel-x");  // not ten characters long on purpose
    std::filesystem::create_directories(dir.path() / "bin");
    star = dir.Write("star.dat", kThreeObservations);
  }
  void WriteCfg(const std::string& content) { dir.Write("bin/default.cfg", content); }
  void Start(std::vector<std::string> args) {
    a.args = std::move(args);
    RunCommand(a, StartProgram);
  }

  TempDir dir;
  std::string exe, star;
  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p, {}};
};

TEST_F(CommandLineStart, WithoutArgumentsNothingIsLoaded) {
  Start({exe});
  EXPECT_EQ(s.View, 't');
  EXPECT_EQ(s.DataColumn, 1);
  EXPECT_EQ(s.RecentMark, 'n');
  EXPECT_EQ(s.DataReady, 0);
  EXPECT_EQ(s.NObs, 0);
  EXPECT_TRUE(p.messages.empty());
}

TEST_F(CommandLineStart, FileOnlyLoadsColumnOneInTheTimeView) {
  WriteCfg("\r\n\r\n0.5\r\n1.0\r\n40\r\n2.0\r\n 8\r\n");
  Start({exe, star});
  EXPECT_TRUE(p.messages.empty()) << p.LastMessage();
  EXPECT_EQ(s.NObs, 3);
  EXPECT_EQ(s.DataColumn, 1);
  EXPECT_EQ(s.View, 't');
  EXPECT_EQ(s.DataReady, 'y');
  EXPECT_EQ(p.texts[Control::MainWindow], star);
  EXPECT_TRUE(p.enabled[Control::MethodMenu]);
  EXPECT_EQ(p.values[Control::SpinEdit1], 1);
  EXPECT_EQ(p.texts[Control::JDmin], "1.0000");
  EXPECT_EQ(p.texts[Control::JDmax], "3.0000");
  EXPECT_EQ(p.texts[Control::MLC_Edit4], dir.File("star") + ".o");
  EXPECT_EQ(p.LastStatus(), "Done... Number of observations: 3");
  EXPECT_GE(p.repaints, 1);
}

TEST_F(CommandLineStart, DefaultCfgIsFoundBesideTheExecutableWhateverItsName) {
  WriteCfg("/data/\r\nlast.dat\r\n0.5568\r\n59001.25\r\n39.8\r\n59010.5\r\n12\r\n");
  Start({exe, star});
  EXPECT_EQ(s.CfgPath, dir.File("bin/default.cfg"));
  EXPECT_TRUE(p.messages.empty()) << p.LastMessage();
  EXPECT_EQ(s.Period, 0.5568);
  EXPECT_EQ(s.NBins, 12);
  EXPECT_EQ(p.texts[Control::LC_Edit1], "0.5568000");
  EXPECT_EQ(p.texts[Control::SecP_Period], "0.5568000");
  EXPECT_EQ(p.texts[Control::LC_Edit2], "59001.2500");
  EXPECT_EQ(p.texts[Control::SecP_Epoch], "59001.2500");
  EXPECT_EQ(p.texts[Control::LC_Edit3], "39.8000000");
  EXPECT_EQ(p.texts[Control::LC_Edit4], "59010.5000");
  EXPECT_EQ(p.texts[Control::LC_Edit5], "12");
  EXPECT_EQ(p.dialogDirs[FileDialog::FindFile], "/data");
  EXPECT_EQ(p.dialogNames[FileDialog::FindFile], "last.dat");
}

TEST_F(CommandLineStart, ColumnBeyondTwentyIsReadButTheSpinShowsTwenty) {
  std::string line = "5.0";
  for (int c = 1; c <= 25; ++c) {
    line += ' ';
    line += std::to_string(c);
    line += ".5";
  }
  const std::string wide = dir.Write("wide.dat", line + "\r\n");
  WriteCfg("\r\n\r\n0\r\n0\r\n0\r\n0\r\n8\r\n");
  Start({exe, wide, "25"});
  EXPECT_EQ(s.DataColumn, 25);
  EXPECT_EQ(p.values[Control::SpinEdit1], 20);
  ASSERT_EQ(s.NObs, 1);
  EXPECT_EQ(s.Mag[1], 25.5);
}

TEST_F(CommandLineStart, ViewLetterTakesTheElementsFromTheDialog) {
  WriteCfg("\r\n\r\n0.75\r\n1.5\r\n0\r\n0\r\n8\r\n");
  Start({exe, star, "1", "l", "r"});
  EXPECT_EQ(s.View, 'l');
  EXPECT_EQ(s.Period, 0.75);
  EXPECT_EQ(s.Epoch, 1.5);
  EXPECT_EQ(s.RecentMark, 'r');
  EXPECT_EQ(s.DataReady, 'y');
}

TEST_F(CommandLineStart, MissingDefaultCfgIsReportedAndTheLoadGoesOn) {
  Start({exe, star});
  EXPECT_EQ(p.messages, std::vector<std::string>{"Default parameters file not found..."});
  EXPECT_EQ(s.NObs, 3);
  EXPECT_EQ(s.RunCode, 'n');
  EXPECT_EQ(s.MagLabel, "Mag");
}

TEST_F(CommandLineStart, MalformedDefaultCfgStopsTheCommandKeepingWhatWasRead) {
  WriteCfg("\r\n\r\n0.75\r\nabc\r\n0\r\n0\r\n8\r\n");
  Start({exe, star});
  EXPECT_EQ(p.messages, std::vector<std::string>{"Invalid numeric input"});
  EXPECT_EQ(s.Period, 0.75);
  EXPECT_EQ(s.NObs, 0);
  EXPECT_EQ(s.DataReady, 'b');
}

TEST_F(CommandLineStart, MissingDataFileIsReported) {
  WriteCfg("\r\n\r\n0\r\n0\r\n0\r\n0\r\n8\r\n");
  Start({exe, dir.File("none.dat")});
  EXPECT_EQ(p.messages, std::vector<std::string>{"File does not exist..."});
  EXPECT_EQ(s.DataReady, 'b');
  EXPECT_EQ(s.NObs, 0);
}

TEST_F(CommandLineStart, LaterActivationsChangeNothing) {
  WriteCfg("\r\n\r\n0.5\r\n0\r\n0\r\n0\r\n8\r\n");
  Start({exe, star, "1", "l"});
  ASSERT_EQ(s.NObs, 3);
  // What the user did since: residuals, a new view, another JD window.
  s.Mag[1] = -0.01;
  s.View = 'd';
  s.RunCode = 'e';
  p.texts[Control::JDmin] = "2.5";
  const size_t statuses = p.statuses.size();
  RunCommand(a, StartProgram);
  RunCommand(a, StartProgram);
  EXPECT_EQ(s.Mag[1], -0.01);
  EXPECT_EQ(s.View, 'd');
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_EQ(s.NObs, 3);
  EXPECT_EQ(p.statuses.size(), statuses);
}

// --threads is taken out wherever it stands, so the file, column, view and
// mark keep their places; a bad count is refused with its rule.
TEST(ThreadsArgument, IsTakenOutOfTheCommandLineOrRefused) {
  std::vector<std::string> args = {"korvel", "--threads", "3", "star.dat", "2", "--threads=5"};
  ThreadsArgument taken = TakeThreadsArgument(args);
  EXPECT_FALSE(taken.error);
  EXPECT_EQ(taken.threads, 5);
  EXPECT_EQ(args, (std::vector<std::string>{"korvel", "star.dat", "2"}));

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"korvel", "star.dat", "--threads"},
        {"korvel", "--threads", "0"},
        {"korvel", "--threads=1025"},
        {"korvel", "--threads", "two"},
        {"korvel", "--threads", "+2"}}) {
    std::vector<std::string> copy = bad;
    taken = TakeThreadsArgument(copy);
    ASSERT_TRUE(taken.error) << bad.back();
    EXPECT_NE(taken.error->find("must be a whole number from 1 to 1024"), std::string::npos);
  }

  // Without the option: KORVEL_THREADS, and a bad value there is passed over.
  args = {"korvel", "star.dat"};
  ::setenv("KORVEL_THREADS", "6", 1);
  EXPECT_EQ(TakeThreadsArgument(args).threads, 6);
  ::setenv("KORVEL_THREADS", "many", 1);
  EXPECT_GE(TakeThreadsArgument(args).threads, 1);
  ::unsetenv("KORVEL_THREADS");
  EXPECT_EQ(args.size(), 2u);
}

}  // namespace
}  // namespace korvel
