// The print job as scripts and users meet it: the page square from the printer's facts, each
// of the four pages of the bundled example printed to PDF by its menu command and read back
// with poppler, and the failures and Cancel.
#include <gtest/gtest.h>

#include <QPrintDialog>
#include <QRegularExpression>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "source/program/menus/print_commands.h"
#include "source/klplot/pages/page_square.h"
#include "source/klplot/pages/view_table.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/program/program_words.h"
#include "tests/print/command_output.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"
#include "tests/window/gui_wait.h"
#include "window/layer.h"
#include "window/printer_page.h"
#include "window/printing.h"

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

  const std::string d = dir.string();
  using enum window::PrintOutcome;
  struct Case {
    std::string target;
    bool fullDisk;
    window::PrintOutcome outcome;
    std::string says;  // the start of the box's text
    fs::path holds;    // the file that must then be a PDF, or hold the old page
  } cases[] = {
      {"page.ps", false, failed,
       "The page was not printed: KELM_PRINT_TO must name a file ending in .pdf or printer:NAME, not \"page.ps\".", {}},
      {"printer:no-such-kelm-queue", false, failed,
       "The page was not printed: there is no printer named \"no-such-kelm-queue\".", {}},
      {"", false, cancelled, "", {}},
      {d + "/fifo.pdf", false, failed, "The page was not printed: the file " + d + "/fifo.pdf is not a regular file.", {}},
      {d + "/dir.pdf", false, failed, "The page was not printed: the file " + d + "/dir.pdf is not a regular file.", {}},
      {d + "/full.pdf", false, failed, "The page was not printed: the file /dev/full is not a regular file.", {}},
      {d + "/no/page.pdf", false, failed,
       "The page was not printed: the file " + d + "/no/page.pdf cannot be written (No such file or directory).", {}},
      {d + "/old.pdf", true, failed, "The page was not printed: ", dir / "old.pdf"},
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
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++files;
  EXPECT_EQ(files, 7u) << "a temporary file was left behind";

  fs::current_path(home);
  window::layer().startDirectory.clear();
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kelm
