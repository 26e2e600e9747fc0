// kelm-export as its user runs it: help and version without a display, one clear line and
// the right exit status for every kind of bad input, no partial file ever, and no project
// directory touched.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/records/temp_directory.h"

namespace kelm::exporting {
namespace {

namespace fs = std::filesystem;
using testing::TempDirectory;

struct Outcome {
  int status = -1;
  std::string out, err;
};

// Runs the program with its standard output and error in files. The display is taken away,
// so anything that starts Qt other than offscreen fails.
Outcome run(const std::vector<std::string>& arguments, const fs::path& scratch) {
  const fs::path out = scratch / ".stdout", err = scratch / ".stderr";
  std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '" KELM_EXPORT_PROGRAM "'";
  for (const std::string& a : arguments) command += " '" + a + "'";
  const int status = std::system((command + " >'" + out.string() + "' 2>'" + err.string() + "'").c_str());
  Outcome o{WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempDirectory::readFile(out.string()),
            TempDirectory::readFile(err.string())};
  fs::remove(out);
  fs::remove(err);
  return o;
}

// Names, sizes and modification times of everything in a directory.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> listing(const fs::path& dir) {
  std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    files[entry.path().filename().string()] = {entry.is_regular_file() ? entry.file_size() : 0,
                                               entry.last_write_time()};
  }
  return files;
}

const std::string kSimple = std::string(KELM_EXAMPLES_DIR) + "/simple";

TEST(CommandLine, HelpAndVersionNeedNoDisplay) {
  TempDirectory scratch;
  Outcome help = run({"--png", "x", "--help"}, scratch.path());
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* word :
       {"--png", "--svg", "--figures-csv", "--crossings-csv", "--envelope", "--summary-csv", "--size", "--z",
        "--divisions", "--steps", "--voltage", "--version", "rms radius", "rms emittance", "90% emittance",
        "beta*gamma", "Exit status"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
  Outcome version = run({"--version"}, scratch.path());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "kelm-export " KELM_VERSION "\n");
}

TEST(CommandLine, UsageErrorsSayWhatIsWrongAndWriteNothing) {
  TempDirectory scratch;
  const std::string csv = (scratch.path() / "f.csv").string();
  struct Case {
    std::vector<std::string> arguments;
    const char* says;
  } cases[] = {
      {{"--bogus", kSimple}, "unknown option --bogus"},
      {{"--z", "abc", "--figures-csv", csv, kSimple}, "--z needs a position in mm, not \"abc\""},
      {{"--z", "nan", "--figures-csv", csv, kSimple}, "--z needs a position"},
      {{"--z=1e39", "--figures-csv", csv, kSimple}, "--z needs a position"},
      {{"--z", "30mm", "--figures-csv", csv, kSimple}, "--z needs a position"},
      {{"--size", "100x100", "--figures-csv", csv, kSimple}, "--size needs WIDTHxHEIGHT"},
      {{"--steps", "1", "--figures-csv", csv, kSimple}, "--steps needs a whole number from 2"},
      {{"--divisions", "0", "--figures-csv", csv, kSimple}, "--divisions needs a whole number from 1 to 100"},
      {{"--voltage", "-5", "--figures-csv", csv, kSimple}, "--voltage needs the beam energy"},
      {{"--envelope", "e.jpg", kSimple}, "--envelope needs a file name ending in .png or .svg"},
      {{"--figures-csv", csv}, "no PROJECT given"},
      {{kSimple}, "nothing to write"},
      {{"--figures-csv", csv, kSimple, kSimple}, "several projects go only with --summary-csv"},
      {{kSimple, "--figures-csv"}, "--figures-csv needs a value"},
  };
  for (const Case& c : cases) {
    const Outcome o = run(c.arguments, scratch.path());
    EXPECT_EQ(o.status, 2) << c.says;
    EXPECT_TRUE(o.err.starts_with("kelm-export: ")) << o.err;
    EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_TRUE(fs::is_empty(scratch.path())) << c.says;
  }
}

TEST(CommandLine, FailuresLeaveNoPartialFile) {
  TempDirectory scratch;
  const fs::path dir = scratch.path();
  TempDirectory::writeFile((dir / "plain-file").string(), "x");
  fs::create_directory(dir / "a-directory");
  struct Case {
    std::vector<std::string> arguments;
    const char* says;
  } cases[] = {
      {{"--figures-csv", (dir / "f.csv").string(), "/no/such/project"},
       "no such project directory: /no/such/project"},
      {{"--figures-csv", (dir / "plain-file" / "f.csv").string(), kSimple}, "cannot write"},
      {{"--crossings-csv", (dir / "a-directory").string(), kSimple}, "cannot write"},
      {{"--png", (dir / "plain-file").string(), kSimple}, "cannot make the directory"},
  };
  for (const Case& c : cases) {
    const auto before = listing(dir);
    const Outcome o = run(c.arguments, dir);
    EXPECT_EQ(o.status, 1) << c.says;
    EXPECT_NE(o.err.find("kelm-export: " + std::string(c.says)), std::string::npos) << o.err;
    std::size_t lines = 0;
    for (std::size_t at = o.err.find("kelm-export: "); at != std::string::npos;
         at = o.err.find("kelm-export: ", at + 1)) {
      ++lines;
    }
    EXPECT_EQ(lines, 1u) << o.err;
    EXPECT_EQ(listing(dir), before) << c.says;
    EXPECT_TRUE(fs::is_empty(dir / "a-directory")) << c.says;
  }
}

TEST(CommandLine, AWholeExportReplacesItsFilesAndLeavesTheProjectAlone) {
  TempDirectory scratch;
  const fs::path project = scratch.path() / "project", out = scratch.path() / "out";
  fs::copy(kSimple, project);
  fs::create_directory(out);
  TempDirectory::writeFile((out / "figures.csv").string(), "an older table, longer than the new one will be");
  const auto untouched = listing(project);

  const Outcome o = run({"--png", (out / "png").string(), "--svg", (out / "svg").string(), "--figures-csv",
                         (out / "figures.csv").string(), "--crossings-csv", (out / "crossings.csv").string(),
                         "--envelope", (out / "envelope.svg").string(), "--pdf", (out / "pages.pdf").string(),
                         (project / "geom.cod").string()},
                        scratch.path());
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "File GEOM.DAT loaded\nFile MAG.DAT loaded\nFile POT.DAT loaded\nFile KLPLT.RES loaded\n");
  EXPECT_EQ(listing(project), untouched);
  for (const char* view : {"beam", "cathode", "magnetic-field", "phase-plane"}) {
    EXPECT_GT(fs::file_size(out / "png" / (std::string(view) + ".png")), 1000u) << view;
    EXPECT_GT(fs::file_size(out / "svg" / (std::string(view) + ".svg")), 1000u) << view;
  }
  EXPECT_TRUE(TempDirectory::readFile((out / "figures.csv").string()).starts_with("# KELM beam figures"));
  EXPECT_TRUE(TempDirectory::readFile((out / "envelope.svg").string()).find("</svg>") != std::string::npos);
  EXPECT_TRUE(TempDirectory::readFile((out / "pages.pdf").string()).starts_with("%PDF"));
  // Nothing else: no temporary file left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 6);
  struct stat info {};
  ASSERT_EQ(stat((out / "figures.csv").c_str(), &info), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

}  // namespace
}  // namespace kelm::exporting
