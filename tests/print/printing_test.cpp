// The four printed pages through a canvas that records every call: the worked cases of the print
// mapping, the section layout, the labels of the field page and the figures, and what each page
// does with empty or degenerate data. Then the print job as scripts and users meet it: the page
// square from the printer's facts, each of the four pages of the bundled example printed to PDF
// by its menu command and read back with poppler, and the failures and Cancel.
#include <gtest/gtest.h>

#include <QPrintDialog>
#include <QRegularExpression>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "source/program/menus/print_commands.h"
#include "source/klplot/pages/page_square.h"
#include "source/klplot/pages/printed_figures.h"
#include "source/klplot/pages/printed_pages.h"
#include "source/klplot/pages/view_table.h"
#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/program/program_words.h"
#include "tests/print/command_output.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"
#include "tests/views/recording_canvas.h"
#include "tests/views/trajectory_store.h"
#include "tests/window/gui_wait.h"
#include "window/layer.h"
#include "window/printer_page.h"
#include "window/printing.h"

namespace kelm::klplot {
namespace {

using Log = std::vector<std::string>;
using testing::RecordingPage;

class Pages : public ::testing::Test {
 protected:
  // The unit square on the page square of 200 by 287 mm at 600 dpi.
  void SetUp() override {
    m.setDeviceSize(4137, 4137);
    m.setWindow(1, 0.0, 1.0, 0.0, 1.0);
    m.setViewport(1, 0.0, 1.0, 0.0, 1.0);
  }
  void axes(double rMax, double zMin, double zMax, float step) {
    d->rAxisMax = rMax;
    d->zAxisMin = d->zAxisMinF = float(zMin);
    d->zAxisMax = d->zAxisMaxF = float(zMax);
    d->zTickStep = step;
  }
  // Field samples every 10 mm from z = 0.
  void samples(const std::vector<float>& b) {
    d->magCount = int(b.size());
    for (int i = 1; i <= d->magCount; ++i) d->magZ(i) = 10.0f * float(i - 1), d->magB(i) = b[std::size_t(i - 1)];
  }
  std::unique_ptr<ProjectData> d = std::make_unique<ProjectData>();
  RecordingPage page;
  PlotMapping m;
};

TEST_F(Pages, MappingOfFractionsTextAndMarks) {
  // 620.55 and 330.96 truncated; the text stands on the point.
  m.textAtPoint(page, 0.15, 0.92, "Z(mm)", page.textHeight());
  const float x[3] = {0.0f, 0.5f, 0.5f}, y[3] = {1.0f, 0.5f, 0.5f};
  m.points(page, 3, x, y);
  m.points(page, 0, x, y);
  EXPECT_EQ(page.log, (Log{"move 620,310", "text 'Z(mm)'", "move 0,0", "line 0,0", "move 2068,2068",
                           "line 2068,2068", "move 2068,2068", "line 2068,2068"}));
}

TEST(PrintMapping, RightAlignedTextEndsAtThePoint) {
  // x = 1 maps to 1000; each character is 10 units wide in the recording font.
  PlotMapping printMapping;
  printMapping.setDeviceSize(2000, 1000);
  printMapping.setWindow(1, 0.0, 2.0, 0.0, 1.0);
  printMapping.setViewport(1, 0.0, 1.0, 0.0, 1.0);
  const std::string longLabel(300, '8');
  struct Case {
    std::string text;
    Log expected;
  } cases[] = {
      {"  12.5", {"move 960,480", "text '12.5'"}},
      {std::string("\0\0 7  ", 6), {"move 990,480", "text '7'"}},
      {"      ", {}},
      {longLabel, {"move -1560,480", "text '" + std::string(256, '8') + "'"}},
  };
  for (const Case& c : cases) {
    RecordingPage page;
    printMapping.rightAlignedText(page, 1.0, 0.5, c.text);
    EXPECT_EQ(page.log, c.expected) << c.text;
  }
}

TEST_F(Pages, GeometrySectionKeepsItsProportions) {
  struct Case {
    double rMax, zMax;
    SectionLayout expected;
  } cases[] = {
      {60, 200, {0.0, 0.216667, 0.883333, 0.45, 0.85}},  // t = 0.6: 0.4 of the square high
      {20, 200, {0.0, 0.1, 1.0, 0.56, 0.74}},            // t = 0.2: 0.9 of it wide
  };
  for (const Case& c : cases) {
    axes(c.rMax, 0, c.zMax, 10.0f);
    const SectionLayout s = sectionLayout(*d);
    EXPECT_NEAR(s.vx1, c.expected.vx1, 1e-6) << c.rMax;
    EXPECT_NEAR(s.vx2, c.expected.vx2, 1e-6) << c.rMax;
    EXPECT_NEAR(s.vy1, c.expected.vy1, 1e-9) << c.rMax;
    EXPECT_NEAR(s.vy2, c.expected.vy2, 1e-9) << c.rMax;
  }
  struct Start {
    double zMin, zMax, zWindowStart;
  } starts[] = {
      {12.5, 14, 12.0},  // half a millimetre left of the first tick
      {-25, 15, -20.0},  // truncated toward zero, right of zAxisMin
      {-0.5, 0, -0.5},   // truncation would leave nothing: from zAxisMin
  };
  for (const Start& c : starts) {
    axes(1, c.zMin, c.zMax, 1.0f);
    EXPECT_EQ(sectionLayout(*d).zWindowStart, c.zWindowStart) << c.zMin;
  }
}

TEST_F(Pages, CrowdedZAxisLabelsEveryOtherTick) {
  // 0.9 of the square over 200 mm: ticks every 10 mm are 0.045 apart, so every other one
  // clears the 0.07 threshold and is labelled.
  axes(20, 0, 200, 10.0f);
  printGeometryPage(page, m, *d, {});
  const Log texts = page.texts();
  ASSERT_GE(texts.size(), 11u);
  EXPECT_EQ(Log(texts.end() - 11, texts.end()),
            (Log{"0", "20", "40", "60", "80", "100", "120", "140", "160", "180", "200"}));
}

TEST_F(Pages, FieldLabelsFollowTheFieldsMagnitude) {
  struct Case {
    std::vector<float> b;
    Log labels;
  } cases[] = {
      {{0, 25000}, {"  .0    ", " 5000.  ", "10000.  ", "  15K   ", "  20K   ", "  25K   "}},
      {{-20000, 20000},
       {" -20K   ", " -15K   ", " -10K   ", "-5000.  ", "  .0    ", " 5000.  ", "10000.  ", "  15K   ",
        "  20K   "}},
      {{100, 100}, {"  100.  ", "  101.  ", "  102.  ", "  103.  ", "  104.  ", "  105.  ", "  106.  "}},
  };
  axes(20, 0, 40, 10.0f);
  for (const Case& c : cases) {
    RecordingPage field;
    samples(c.b);
    printFieldPage(field, m, *d);
    // The field labels are the texts after "Z(mm)".
    const Log texts = field.texts();
    const auto z = std::find(texts.begin(), texts.end(), "Z(mm)");
    EXPECT_EQ(z == texts.end() ? Log{} : Log(z + 1, texts.end()), c.labels) << c.b.back();
  }
}

TEST_F(Pages, FieldCurveIsThickAndEndsAtTheAxis) {
  axes(20, 0, 40, 10.0f);
  // The sample at the axis's end (z = 40) is drawn but does not widen the field range.
  samples({0, 500, 300, 200, 900, 100});
  printFieldPage(page, m, *d);
  // The curve runs through the five samples up to z = 40, with the thick pen.
  const auto pen = std::find(page.log.begin(), page.log.end(), "pen 5");
  ASSERT_EQ(page.log.end() - pen, 7);
  EXPECT_EQ(pen[1].rfind("move", 0), 0u);
  EXPECT_EQ(pen[6], "pen 1");

  RecordingPage empty;
  d->magCount = 0;
  printFieldPage(empty, m, *d);
  EXPECT_TRUE(empty.log.empty());
}

TEST_F(Pages, EmptyCathodeDataGetsTheFullDefaultFrame) {
  d->trajCount = 0;
  printCathodePage(page, m, *d);
  // 0..10 up, all five labelled; 0..12.5 across, six ticks of which the odd ones labelled.
  EXPECT_EQ(page.texts(), (Log{"Current density on cathode (A/mm**2)", "  .0000 ", " 2.5000 ", " 5.0000 ",
                               " 7.5000 ", "10.0000 ", ".0", "5.0", "10.0", "R(mm)"}));
  EXPECT_EQ(page.calls("line").size(), 6u + 5);
  EXPECT_EQ(Log(page.log.end() - 2, page.log.end()), (Log{"pen 5", "pen 1"}));  // no marks
}

TEST_F(Pages, CrowdedYAxesLabelEveryOtherTick) {
  struct Case {
    float yMax;
    Log labels;
  } cases[] = {
      {4.0f, {"  .0000 ", " 1.0000 ", " 2.0000 ", " 3.0000 ", " 4.0000 "}},  // nine ticks
      {3.0f, {"  .0000 ", "  .5000 ", " 1.0000 ", " 1.5000 ", " 2.0000 ", " 2.5000 ", " 3.0000 "}},
  };
  const float x[1] = {1.0f};
  for (const Case& c : cases) {
    RecordingPage scatter;
    printScatterPlot(scatter, m, 1, x, &c.yMax);
    const Log texts = scatter.texts();
    EXPECT_EQ(Log(texts.begin(), texts.begin() + long(c.labels.size())), c.labels) << c.yMax;
    // The one mark: a line of no length with the thick pen.
    const Log tail(scatter.log.end() - 4, scatter.log.end());
    EXPECT_EQ(tail[0], "pen 5");
    EXPECT_EQ(tail[1].substr(5), tail[2].substr(5));
    EXPECT_EQ(tail[3], "pen 1");
  }
}

TEST_F(Pages, PhasePlaneWithoutCurrentPrintsZeroFiguresAndAMissedPlaneNothing) {
  auto data = testing::withTrajectories({{{90, 1}, {110, 1}}, {{90, 2}, {110, 2}}}, {1.0, -1.0});
  printPhasePlanePage(page, m, *data, PhasePlaneInput{100.0f, 1234.5, 10});
  const Log texts = page.texts();
  ASSERT_GE(texts.size(), 7u);
  EXPECT_EQ(Log(texts.begin(), texts.begin() + 7),
            (Log{" Phase plane", "Current density (A/mm**2)", "Rmax =    2.00 mm", "Zcross =  100.0  mm",
                 "Current =     .00 A", "Emittance =   .0000 mm*rad", "Magnetic field =    1234.50 Gs"}));
  EXPECT_EQ(page.calls("pen"), (Log{"5", "1", "5", "1"}));  // the scatter, then the histogram

  auto missed = testing::withTrajectories({{{10, 1}, {20, 1}}}, {1.0});
  RecordingPage blank;
  printPhasePlanePage(blank, m, *missed, PhasePlaneInput{5.0f, 0.0, 10});
  EXPECT_TRUE(blank.log.empty());
}

}  // namespace
}  // namespace kelm::klplot

namespace kelm {
namespace {

namespace fs = std::filesystem;

TEST(PageSquare, WorkedValues) {
  struct Case {
    window::PrinterFacts facts;
    std::int32_t w, h;
  } cases[] = {
      {{200, 287, 600, 600}, 4137, 4137},  // the shorter side limited to 197 mm
      {{190, 270, 300, 300}, 1995, 1995},
      {{190, 270, 600, 300}, 3990, 1995},  // square on paper, not in device units
      {{0, 0, 300, 300}, 2068, 2068},      // a device that reports no size
      {{150, 200, 600, 600}, 3150, 3150},
      {{190, 270, 2000000000, 300}, 2147483647, 1995},  // clamped, never wrapped
  };
  for (const Case& c : cases) {
    const klplot::PageSquare s = klplot::pageSquare(c.facts);
    EXPECT_EQ(s.w, c.w) << c.facts.horzSizeMm << " " << c.facts.logPixelsX;
    EXPECT_EQ(s.h, c.h) << c.facts.horzSizeMm << " " << c.facts.logPixelsY;
  }
}

std::string run(const std::string& command) { return testing::commandOutput(command); }

bool contains(const std::string& text, const std::string& pattern) {
  return QRegularExpression(QString::fromStdString(pattern)).match(QString::fromStdString(text)).hasMatch();
}

// The words of a page whose boxes overlap another's, as "word/word".
std::vector<std::string> overlappingWords(const std::string& pdf) {
  const QString page = QString::fromStdString(run("pdftotext -bbox '" + pdf + "' -"));
  struct Word {
    double x1, y1, x2, y2;
    QString text;
  };
  std::vector<Word> words;
  const QRegularExpression word(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  for (const QRegularExpressionMatch& m : word.globalMatch(page))
    words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                     m.captured(4).toDouble(), m.captured(5)});
  std::vector<std::string> overlaps;
  constexpr double kSlack = 0.1;  // points; glyph boxes of neighbours may touch
  for (std::size_t i = 0; i < words.size(); ++i)
    for (std::size_t j = i + 1; j < words.size(); ++j) {
      const Word &a = words[i], &b = words[j];
      if (a.x1 + kSlack < b.x2 && b.x1 + kSlack < a.x2 && a.y1 + kSlack < b.y2 && b.y1 + kSlack < a.y2)
        overlaps.push_back((a.text + "/" + b.text).toStdString());
    }
  return overlaps;
}

struct Pixels {
  long black = 0, white = 0, other = 0;
};

// Rendered without smoothing, a page drawn in black alone has black and white pixels only.
Pixels pixelsOf(const std::string& pdf) {
  const std::string ppm = run("pdftoppm -r 60 -aa no -aaVector no -singlefile '" + pdf + "'");
  Pixels p;
  int width = 0, height = 0, maxValue = 0, offset = 0;
  if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &width, &height, &maxValue, &offset) != 3) return p;
  for (std::size_t i = std::size_t(offset) + 1; i + 2 < ppm.size(); i += 3) {
    const auto r = static_cast<unsigned char>(ppm[i]), g = static_cast<unsigned char>(ppm[i + 1]),
               b = static_cast<unsigned char>(ppm[i + 2]);
    if (r == 0 && g == 0 && b == 0) ++p.black;
    else if (r == 255 && g == 255 && b == 255) ++p.white;
    else ++p.other;
  }
  return p;
}

class PrintedPdf : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path home = fs::current_path();
    fs::current_path(fs::path(KELM_EXAMPLES_DIR) / "simple");
    testing::RecordingPort port;
    klplot::loadProjectFiles(klplot::projectData);
    fs::current_path(home);
    klplot::ProjectData& d = klplot::projectData;
    d.phaseZ.store(float((d.zAxisMin + d.zAxisMax) * 0.5));
    fs::create_directories(kPages);
  }
  void TearDown() override { ::unsetenv("KELM_PRINT_TO"); }

  // Prints through the menu command as a script would; the PDF stays in the build tree.
  static std::string print(void (*command)(std::int32_t*), const std::string& name) {
    const std::string path = (fs::path(kPages) / (name + ".pdf")).string();
    fs::remove(path);
    ::setenv("KELM_PRINT_TO", path.c_str(), 1);
    std::int32_t state = 0;
    command(&state);
    return path;
  }

  static inline const std::string kPages = KELM_PRINTED_PAGES_DIR;
};

TEST_F(PrintedPdf, EachPageIsOneBlackPageNamedKelmWithItsTextsApart) {
  struct Case {
    int unit;
    const char* name;
    std::vector<std::string> texts;  // regular expressions over the page's text, line by line
  } cases[] = {
      // The captions of these two are the CUPS script's, printed through a real queue.
      {klplot::kBeamUnit, "geometry", {"iteration N= +\\d+", "beam current I= +\\d*\\.\\d\\d +A", "\\b0\\b", "\\b30\\b"}},
      {klplot::kFieldUnit, "magnetic-field", {"\\b30\\.", "\\d+\\."}},
      {klplot::kPhasePlaneUnit, "phase-plane",
       {"Phase plane", "Current density \\(A/mm\\*\\*2\\)", "Rmax = +\\d*\\.\\d\\d mm", "Zcross = +30\\.0 +mm",
        "Current = +\\d*\\.\\d\\d A", "Emittance = +\\d*\\.\\d{4} mm\\*rad",
        "Magnetic field = +-?\\d*\\.\\d\\d Gs", "R\\(mm\\)"}},
      {klplot::kCathodeUnit, "cathode-current-density",
       {"Current density on cathode \\(A/mm\\*\\*2\\)", "R\\(mm\\)", "\\.10E-02", "\\b1\\.0\\b"}},
  };
  for (const Case& c : cases) {
    const std::string pdf = print(printCommandOf(*klplot::viewRowOfUnit(c.unit)), c.name);
    ASSERT_TRUE(fs::exists(pdf)) << c.name;
    const std::string info = run("pdfinfo '" + pdf + "'");
    EXPECT_TRUE(contains(info, "\nPages: +1\n")) << c.name << "\n" << info;
    EXPECT_TRUE(contains(info, "(^|\n)Title: +KELM\n")) << c.name << "\n" << info;
    const std::string text = run("pdftotext -layout '" + pdf + "' -");
    for (const std::string& expected : c.texts)
      EXPECT_TRUE(contains(text, expected)) << c.name << ": no " << expected << " in\n" << text;
    EXPECT_EQ(overlappingWords(pdf), std::vector<std::string>{}) << c.name;
    const Pixels pixels = pixelsOf(pdf);
    EXPECT_GT(pixels.black, 1000) << c.name;
    EXPECT_EQ(pixels.other, 0) << c.name;
  }
}

// What a print to the target gave, what the box said, and whether the page was drawn at all.
// An empty target brings the print dialog, which is cancelled.
struct PdfPrint {
  window::PrintOutcome outcome{};
  std::string said;
  bool drawn = false;
};

PdfPrint printPdfTo(const std::string& target) {
  ::setenv("KELM_PRINT_TO", target.c_str(), 1);
  PdfPrint result;
  result.said = testing::messageBoxText([&] {
                  testing::actOnModal<QPrintDialog>([](QPrintDialog& dialog) { dialog.reject(); }, [&] {
                    result.outcome = window::printPage(kPrintWords, [&](window::PrinterPage& page, const window::PrinterFacts&) {
                      result.drawn = true;
                      page.moveTo(0, 0);
                      page.lineTo(1000, 1000);
                    });
                  });
                }).toStdString();
  return result;
}

std::string contentOf(const fs::path& file) { return testing::TempDirectory::readFile(file.string()); }

// A target that is neither a PDF nor a printer, or no printer of that name, is refused before
// anything is drawn, and Cancel in the dialog says nothing. Whatever a PDF target is, the
// message thread never waits on it, and a page that cannot be written whole leaves the file
// there as it was: a FIFO, a directory or a device is refused, a full disk keeps the old page.
// A link is written through; a relative name is taken from where KELM started, not from the
// project directory.
TEST_F(PrintedPdf, FailuresSayWhyAndTargetsThatCannotTakeThePageKeepWhatTheyHeld) {
  const fs::path dir = fs::temp_directory_path() / ("kelm-print-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "dir.pdf");
  ASSERT_EQ(::mkfifo((dir / "fifo.pdf").c_str(), 0644), 0);
  fs::create_symlink("/dev/full", dir / "full.pdf");
  std::ofstream(dir / "old.pdf") << "the old page";
  std::ofstream(dir / "linked.pdf") << "the old page";
  fs::create_symlink("linked.pdf", dir / "link.pdf");
  window::layer().startDirectory = dir.string();
  const fs::path home = fs::current_path();
  fs::current_path(fs::temp_directory_path());

  const std::string d = dir.string(), no = "The page was not printed: ";
  using enum window::PrintOutcome;
  struct Case {
    std::string target;
    bool fullDisk;
    window::PrintOutcome outcome;
    std::string says;  // the start of the box's text
    fs::path holds;    // the file that must then be a PDF, or hold the old page
  } cases[] = {
      {"page.ps", false, failed, no + "KELM_PRINT_TO must name a file ending in .pdf or printer:NAME, not \"page.ps\".", {}},
      {"printer:no-such-kelm-queue", false, failed, no + "there is no printer named \"no-such-kelm-queue\".", {}},
      {"", false, cancelled, "", {}},
      {d + "/fifo.pdf", false, failed, no + "the file " + d + "/fifo.pdf is not a regular file.", {}},
      {d + "/dir.pdf", false, failed, no + "the file " + d + "/dir.pdf is not a regular file.", {}},
      {d + "/full.pdf", false, failed, no + "the file /dev/full is not a regular file.", {}},
      {d + "/no/page.pdf", false, failed, no + "the file " + d + "/no/page.pdf cannot be written (No such file or directory).",
       {}},
      {d + "/old.pdf", true, failed, no, dir / "old.pdf"},
      {d + "/link.pdf", false, printed, "", dir / "linked.pdf"},
      {"new.pdf", false, printed, "", dir / "new.pdf"},
  };
  for (const Case& c : cases) {
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    if (c.fullDisk) {
      // A file may grow no further than a few hundred bytes: as a full disk, for this process.
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit tiny = previous;
      tiny.rlim_cur = 300;
      ::setrlimit(RLIMIT_FSIZE, &tiny);
    }
    const PdfPrint result = printPdfTo(c.target);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_EQ(result.outcome, c.outcome) << c.target;
    EXPECT_TRUE(c.says.empty() ? result.said.empty() : result.said.starts_with(c.says)) << c.target << ": " << result.said;
    // A target refused outright is refused before the page is drawn.
    if (c.outcome != printed && !c.fullDisk) {
      EXPECT_FALSE(result.drawn) << c.target;
    }
    if (!c.holds.empty() && c.outcome == printed) {
      EXPECT_TRUE(contentOf(c.holds).starts_with("%PDF-")) << c.target;
    } else if (!c.holds.empty()) {
      EXPECT_EQ(contentOf(c.holds), "the old page") << c.target;
    }
  }
  EXPECT_TRUE(fs::is_fifo(dir / "fifo.pdf"));
  EXPECT_TRUE(fs::is_symlink(dir / "full.pdf"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.pdf"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 7)
      << "a temporary file was left behind";

  fs::current_path(home);
  window::layer().startDirectory.clear();
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kelm
