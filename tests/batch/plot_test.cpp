// korvel-batch plot, run as a program: every view of the sample star as a
// picture file of the size asked for, the search spectrum, and refusals that
// say why and write nothing. (That the pixels are the window's is checked by
// the window's tests, which can read pictures.)

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "batch_run.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;

const std::string& kStar = testing::kSampleStar;
const std::string kElements = " --period 0.5568 --epoch 59000.7877";
const std::string kSecondary = " --p2 39.8 --extremum-date 59021";
constexpr const char* kNoRenderer = "no picture renderer";

uint32_t BigEndian32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (size_t k = 0; k < 4; ++k) v = v << 8 | static_cast<unsigned char>(bytes.at(at + k));
  return v;
}

int32_t LittleEndian32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (size_t k = 4; k-- > 0;) v = v << 8 | static_cast<unsigned char>(bytes.at(at + k));
  return static_cast<int32_t>(v);
}

bool IsPng(const std::string& bytes) {
  return bytes.rfind("\x89PNG\r\n\x1a\n", 0) == 0;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class BatchPlot : public ::testing::Test {
 protected:
  RunResult Plot(const std::string& args) {
    return RunProgram(KORVEL_BATCH_PATH, "plot " + ShellQuote(kStar) + " " + args, dir_);
  }
  // Writes OUT (a name in the test's directory) and returns its bytes.
  std::string PlotFile(const std::string& args, const std::string& out) {
    const RunResult r = Plot(args + " -o " + ShellQuote(dir_.File(out)));
    EXPECT_EQ(r.exitCode, 0) << args << ": " << r.err;
    return ReadFile(dir_.File(out));
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(dir_.File(name)); }

  // A build without Qt has korvel-batch plot, but it can only say so.
  static bool RendererBuilt() {
    static const bool built = [] {
      TempDir dir;
      const RunResult r = RunProgram(
          KORVEL_BATCH_PATH,
          "plot " + ShellQuote(kStar) + " --view h -o " + ShellQuote(dir.File("h.png")), dir);
      return !Contains(r.err, kNoRenderer);
    }();
    return built;
  }

  TempDir dir_;
};

TEST_F(BatchPlot, WritesThePictureOrSaysThisBuildHasNoRenderer) {
  const RunResult r = Plot("--view t -o " + ShellQuote(dir_.File("t.png")));
  if (RendererBuilt()) {
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(IsPng(ReadFile(dir_.File("t.png"))));
  } else {
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(Contains(r.err, kNoRenderer)) << r.err;
    EXPECT_FALSE(Exists("t.png"));
  }
}

TEST_F(BatchPlot, EveryViewOfTheSampleStarBecomesAPngAndAnSvg) {
  if (!RendererBuilt()) GTEST_SKIP() << "built without the Qt renderer";
  struct View {
    const char* letter;
    std::string options;
    std::vector<std::string> texts;  // what the SVG must show
  };
  const std::vector<View> views = {
      {"t", "", {">Mag<", ">JD<"}},
      {"l", kElements, {">Phase<", ">C = 59000.7877 + 0.5568 *E<"}},
      {"d", kElements, {">Phase<", ">-0.5<"}},
      {"s", kElements + kSecondary, {">Bin number of the secondary period phase<"}},
      {"n", kElements + kSecondary, {">C1 = 59021.0 + 39.8 * E1<", ">Phase<"}},
      {"m", kElements + " --points 30", {">C = 59000.788 + 0.5568 *E<"}},
      {"h", "", {">KORVEL<", ">amplitude spectra.<"}},
  };
  std::set<std::string> pictures;
  for (const View& v : views) {
    const std::string args = std::string("--view ") + v.letter + v.options;
    const std::string png = PlotFile(args, std::string(v.letter) + ".png");
    ASSERT_TRUE(IsPng(png)) << v.letter;
    // IHDR: the surface's size at the window's start.
    EXPECT_EQ(BigEndian32(png, 16), 734u) << v.letter;
    EXPECT_EQ(BigEndian32(png, 20), 432u) << v.letter;
    pictures.insert(png);

    const std::string svg = PlotFile(args, std::string(v.letter) + ".svg");
    EXPECT_TRUE(Contains(svg, "<svg")) << v.letter;
    EXPECT_TRUE(Contains(svg, "viewBox=\"0 0 734 432\"")) << v.letter;
    EXPECT_TRUE(Contains(svg, "</svg>")) << v.letter;
    for (const std::string& text : v.texts) EXPECT_TRUE(Contains(svg, text)) << v.letter << text;
  }
  // Views d and l draw the same phase light curve; every other one differs.
  EXPECT_EQ(pictures.size(), views.size() - 1);
}

TEST_F(BatchPlot, BmpAndPdfTakeTheSizeAskedFor) {
  if (!RendererBuilt()) GTEST_SKIP() << "built without the Qt renderer";
  const std::string bmp = PlotFile("--view t --width 400 --height 300", "t.BMP");
  ASSERT_EQ(bmp.rfind("BM", 0), 0u);
  EXPECT_EQ(LittleEndian32(bmp, 18), 400);
  EXPECT_EQ(std::abs(LittleEndian32(bmp, 22)), 300);
  // A page of 400 x 300 pixels at 96 dots per inch, in points.
  const std::string pdf = PlotFile("--view t --width 400 --height 300", "t.pdf");
  EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
  EXPECT_TRUE(Contains(pdf, "/MediaBox [0 0 300")) << pdf.substr(0, 600);
}

TEST_F(BatchPlot, IntensityAndModelChangeTheTimeView) {
  if (!RendererBuilt()) GTEST_SKIP() << "built without the Qt renderer";
  const std::string plain = PlotFile("--view t", "plain.svg");
  const std::string flux = PlotFile("--view t --intensity", "flux.svg");
  EXPECT_TRUE(Contains(flux, ">Flux<"));
  EXPECT_FALSE(Contains(plain, ">Flux<"));

  // A collecting file written by prewhiten, drawn as the model.
  const std::string collect = dir_.File("star.sup");
  const RunResult pre = RunProgram(
      KORVEL_BATCH_PATH,
      "prewhiten " + ShellQuote(kStar) + kElements + " --collect " + ShellQuote(collect), dir_);
  ASSERT_EQ(pre.exitCode, 0) << pre.err;
  const std::string model = PlotFile("--view t --model " + ShellQuote(collect), "model.png");
  EXPECT_NE(model, PlotFile("--view t", "plain.png"));
}

TEST_F(BatchPlot, SearchShowsItsSpectrum) {
  if (!RendererBuilt()) GTEST_SKIP() << "built without the Qt renderer";
  const std::string lk = PlotFile("--view l --search lk --pmax 1 --pmin 0.3", "lk.svg");
  EXPECT_TRUE(Contains(lk, ">Frequency, cycles per day<"));
  EXPECT_TRUE(Contains(lk, ">Parameter<"));
  EXPECT_FALSE(Contains(lk, ">Running...<"));
  const std::string deeming =
      PlotFile("--view d --search deeming --pmax 1 --pmin 0.3 --window", "deeming.png");
  EXPECT_TRUE(IsPng(deeming));
  const std::string secondary = PlotFile(
      "--view s --search secondary" + kElements + " --pmax 60 --pmin 20 --mode 2", "secp.svg");
  EXPECT_TRUE(Contains(secondary, ">Co = 0.000 + 0.5568 *E<"));

  // The secondary period needs the primary one, as its dialog does.
  const RunResult r = Plot("--view s --search secondary -o " + ShellQuote(dir_.File("none.png")));
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_TRUE(Contains(r.err, "Error in Po...")) << r.err;
  EXPECT_FALSE(Exists("none.png"));
}

// The methods beyond the first three draw their spectra in their own
// views, with their own options.
TEST_F(BatchPlot, NewSearchesShowTheirSpectraWithTheirOptions) {
  if (!RendererBuilt()) GTEST_SKIP() << "built without the Qt renderer";
  const std::string grid = " --pmax 1 --pmin 0.3 --phase-shift 0.1";
  const std::string gls = PlotFile("--view g --search gls" + grid, "gls.svg");
  EXPECT_TRUE(Contains(gls, ">Frequency, cycles per day<"));
  EXPECT_FALSE(Contains(gls, ">Running...<"));
  const std::string pdm = PlotFile("--view p --search pdm" + grid, "pdm.png");
  ASSERT_TRUE(IsPng(pdm));
  // Other bins and covers make another spectrum.
  EXPECT_NE(PlotFile("--view p --search pdm --bins 5 --covers 1" + grid, "pdm5.png"), pdm);
}

TEST_F(BatchPlot, RefusalsSayWhyAndWriteNothing) {
  struct Refusal {
    std::string args;
    int exitCode;  // 0: any non-zero code (the command-line parser's own)
    std::string message;
  };
  // Checked before anything is read, in every build.
  const std::vector<Refusal> refusals = {
      {"--view t", 3, "Unknown picture format"},
      {"--view x", 0, "--view"},
      {"--view l", 3, "needs the period: --period P"},
      {"--view d --period 0", 3, "Error in Po..."},
      {"--view l --period 0.5 --epoch inf", 3, "--epoch: inf is not a finite number..."},
      {"--view n" + kElements, 3, "needs the secondary period: --p2 P2"},
      {"--view s" + kElements + " --p2 -1", 3, "Error in P2..."},
      {"--view n" + kElements + " --p2 nan", 3, "--p2: nan is not a finite number..."},
      {"--view s" + kElements + kSecondary + " --bins 1", 3, "Error in Number of bins..."},
      {"--view m" + kElements + " --points 100", 3, "Error in Number..."},
      {"--view m" + kElements + " --bin-length 0.3", 3, "Error in Interval extention..."},
      {"--view t --points 30", 3, "belong to --view m"},
      {"--view t --pmax 5", 3, "belong to --search"},
      {"--view d --search deeming --mode 2", 3, "--mode belongs to --search secondary"},
      {"--view l --search lk --window", 3, "belong to --search deeming"},
      {"--view d --search lk", 3, "--view l"},
      {"--view g --search gls --covers 3", 3, "--covers belongs to --search pdm..."},
      {"--view t --harmonics 3", 3, "--harmonics belongs to --search mhaov..."},
      {"--view p --search pdm --bins 1", 3, "--bins: pdm takes 2 to 255 phase bins..."},
      {"--view g", 3, "needs the period: --period P"},
      {"--view t --width 0", 3, "--width"},
      {"--view t --height 20000", 3, "--height"},
  };
  for (size_t k = 0; k < refusals.size(); ++k) {
    const Refusal& f = refusals[k];
    // An existing file of the name stays as it was.
    const std::string name = k == 0 ? "picture.gif" : "picture.png";
    dir_.Write(name, "old");
    const RunResult r = Plot(f.args + " -o " + ShellQuote(dir_.File(name)));
    if (f.exitCode != 0)
      EXPECT_EQ(r.exitCode, f.exitCode) << f.args;
    else
      EXPECT_NE(r.exitCode, 0) << f.args;
    EXPECT_TRUE(Contains(r.err, f.message)) << f.args << ": " << r.err;
    EXPECT_EQ(ReadFile(dir_.File(name)), "old") << f.args;
  }
}

TEST_F(BatchPlot, MissingFilesAndUnwritablePlacesWriteNothing) {
  if (!RendererBuilt()) GTEST_SKIP() << "built without the Qt renderer";
  const std::string out = dir_.File("p.png");
  RunResult r = RunProgram(
      KORVEL_BATCH_PATH,
      "plot " + ShellQuote(dir_.File("absent.dat")) + " --view t -o " + ShellQuote(out), dir_);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(Contains(r.err, "File does not exist...")) << r.err;
  r = Plot("--view t --model " + ShellQuote(dir_.File("absent.sup")) + " -o " + ShellQuote(out));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(Contains(r.err, "absent.sup does not exist.")) << r.err;
  EXPECT_FALSE(Exists("p.png"));
  r = Plot("--view t -o " + ShellQuote(dir_.File("no/such/dir/p.svg")));
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_TRUE(Contains(r.err, "Could not write")) << r.err;
}

}  // namespace
}  // namespace korvel
