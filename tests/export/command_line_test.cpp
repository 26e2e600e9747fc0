// kelm-export as its user runs it: one clear line and the right exit status for every kind of
// bad input, no partial file ever, and no project directory touched.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/records/program_outcome.h"
#include "tests/records/temp_directory.h"

namespace kelm::exporting {
namespace {

namespace fs = std::filesystem;
using testing::TempDirectory;

using testing::Outcome;

// Runs the program with the display taken away, so anything that starts Qt other than
// offscreen fails.
Outcome run(const std::vector<std::string>& arguments, const fs::path& scratch) {
  std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '" KELM_EXPORT_PROGRAM "'";
  for (const std::string& a : arguments) command += " '" + a + "'";
  return testing::runCommand(command, scratch);
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

// A refusal: the exit status, one line of the program's saying why besides its notes (and
// nothing else for a usage error), and nothing in `watched` written or touched.
void expectRefused(const std::vector<std::string>& arguments, const fs::path& dir, int status,
                   const std::string& says, const fs::path& watched) {
  const auto before = listing(watched);
  const Outcome o = run(arguments, dir);
  EXPECT_EQ(o.status, status) << says;
  EXPECT_NE(o.err.find("kelm-export: " + says), std::string::npos) << o.err;
  std::size_t lines = 0;
  for (std::size_t at = o.err.find("kelm-export: "); at != std::string::npos; at = o.err.find("kelm-export: ", at + 1))
    lines += o.err.compare(at, 19, "kelm-export: note: ") != 0;
  EXPECT_EQ(lines, 1u) << o.err;
  if (status == 2) {
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  }
  EXPECT_EQ(listing(watched), before) << says;
}

// A scan's summary as kelm-scan writes it: two voltages, a failed point, one not solved.
constexpr const char* kScanSummary =
    "directory,anode_z,volts,status,geom_dat,voltage [V],perveance [uP],energy_source\n"
    "p1,28,10000,solved,loaded,10000,1.6,pot.dat\n"
    "p2,30,10000,failed: net did not converge,loaded,,,\n"
    "p3,32,10000,solved,loaded,10000,1.2,pot.dat\n"
    "p4,28,20000,solved,loaded,20000,1.7,pot.dat\n"
    "p5,30,20000,not solved,,,,\n"
    "p6,32,20000,solved,loaded,20000,1.3,pot.dat\n";

// Usage errors exit with 2, failures to read or write with 1.
TEST(CommandLine, RefusalsSayWhyAndWriteNothing) {
  TempDirectory scratch;
  const fs::path dir = scratch.path();
  const std::string csv = (dir / "f.csv").string();
  TempDirectory::writeFile("summary.csv", kScanSummary);
  TempDirectory::writeFile("failed.csv",
                           "directory,anode_z,status,perveance [uP]\np1,28,failed: x,1\np2,30,not solved,\n");
  TempDirectory::writeFile("not-scan.csv", "directory,geom_dat,perveance [uP]\np1,loaded,1\n");
  TempDirectory::writeFile("not-first.csv", "a,status\n1,solved\n");
  TempDirectory::writeFile("empty.csv", "\n");
  TempDirectory::writeFile("plain-file", "x");
  fs::create_directory("a-directory");
  fs::create_symlink("summary.csv", "link.png");
  ASSERT_EQ(::mkfifo("fifo", 0600), 0);
  auto plot = [](std::vector<std::string> more) {
    more.insert(more.begin(), {"--scan-plot", "plot.png", "--x", "anode_z", "--y", "perveance"});
    return more;
  };
  struct Case {
    std::vector<std::string> arguments;
    std::string says;
    int status = 2;
  } cases[] = {
      {{"--z", "abc", "--figures-csv", csv, kSimple}, "--z needs a position in mm, not \"abc\""},
      {{"--z", "nan", "--figures-csv", csv, kSimple}, "--z needs a position"},
      {{"--z=3.5e38", "--figures-csv", csv, kSimple}, "--z needs a position"},  // beyond single precision
      {{"--z", "30mm", "--figures-csv", csv, kSimple}, "--z needs a position"},
      {{"--z", "0x1p3", "--figures-csv", csv, kSimple}, "--z needs a position"},  // no number a user types
      {{"--z", "+-5", "--figures-csv", csv, kSimple}, "--z needs a position"},
      {{"--size", "100x100", "--figures-csv", csv, kSimple}, "--size needs WIDTHxHEIGHT"},
      {{"--divisions", "1", "--figures-csv", csv, kSimple}, "--divisions needs a whole number from 2 to 100"},
      {{"--figures-csv", csv, "--crossings-csv", csv, kSimple}, "--crossings-csv " + csv + " is also the file of --figures-csv"},
      {{"--png", ".", "--envelope", "phase-plane.png", kSimple}, "--png ./phase-plane.png is also the file of --envelope"},
      {{"--voltage", "-5", "--figures-csv", csv, kSimple}, "--voltage needs the beam energy"},
      {{"--envelope", "e.jpg", kSimple}, "--envelope needs a file name ending in .png or .svg"},
      {{"--figures-csv", csv}, "no PROJECT given"},
      {{kSimple}, "nothing to write"},
      {{"--summary-csv", csv, "--range", "40:4e40", kSimple}, "--range needs Z1:Z2 in mm with Z1 < Z2"},
      {{"--figures-csv", csv, kSimple, kSimple}, "several projects go only with --summary-csv"},
      {{"--scan-plot", "plot.png", "--x", "gap", "--y", "perveance", "summary.csv"},
       "--x: \"gap\" is no column of the summary; its parameter or figure columns: anode_z, volts, voltage"},
      {plot({"--group", "colour", "summary.csv"}), "--group: \"colour\""},
      {plot({"--group", "anode_z", "summary.csv"}), "--group needs another parameter than --x"},
      {plot({"--group=", "summary.csv"}), "--group needs a column name"},
      {{"--scan-plot", "plot.png", "--y", "perveance", "summary.csv"}, "--scan-plot needs --x PARAM"},
      {{"--scan-plot", "plot.png", "--x", "anode_z", "summary.csv"}, "--scan-plot needs --y FIGURE"},
      {plot({}), "--scan-plot needs one summary.csv of kelm-scan, not 0"},
      {plot({"summary.csv", kSimple}), "--scan-plot needs one summary.csv of kelm-scan, not 2 files"},
      {plot({"--png", "d", "summary.csv"}), "--png does not go with --scan-plot"},
      {plot({"--summary-csv", "s.csv", "summary.csv"}), "--summary-csv does not go with --scan-plot"},
      {plot({"--jobs", "2", "summary.csv"}), "--jobs does not go"},
      {{"--x", "anode_z", "--y", "perveance", "--summary-csv", "s.csv", kSimple}, "--x, --y, --group and --labels go only"},
      {{"--scan-plot", "plot.jpg", "--x", "anode_z", "--y", "perveance", "summary.csv"},
       "--scan-plot needs a file name ending in .png or .svg"},
      {{"--scan-plot", "link.png", "--x", "anode_z", "--y", "perveance", "link.png"},
       "--scan-plot link.png would overwrite the scan summary link.png"},
      {{"--figures-csv", csv, "/no/such/project"}, "no such project directory: /no/such/project", 1},
      {{"--figures-csv", (dir / "plain-file" / "f.csv").string(), kSimple}, "cannot write", 1},
      {{"--crossings-csv", (dir / "a-directory").string(), kSimple}, "cannot write", 1},
      {{"--figures-csv", "fifo", kSimple}, "cannot write fifo: nothing reads from it", 1},  // not waited on
      {{"--png", (dir / "plain-file").string(), kSimple}, "cannot make the directory", 1},
      {plot({"failed.csv"}),
       "failed.csv: nothing to plot: no row that did not fail has a number in both anode_z and perveance [uP]", 1},
      {plot({"not-scan.csv"}), "not-scan.csv: it is not a summary of kelm-scan", 1},
      {plot({"not-first.csv"}), "not-first.csv: it is not a summary of kelm-scan", 1},
      {plot({"empty.csv"}), "empty.csv: it is not a summary of kelm-scan", 1},
      {plot({"absent.csv"}), "cannot read absent.csv: No such file or directory", 1},
  };
  for (const Case& c : cases) expectRefused(c.arguments, dir, c.status, c.says, dir);
  EXPECT_EQ(TempDirectory::readFile("summary.csv"), kScanSummary);
  EXPECT_TRUE(fs::is_empty(dir / "a-directory"));
}

TEST(CommandLine, EveryNumberThatFitsThePlaneIsTaken) {
  TempDirectory scratch;
  for (const char* z : {"+5", "3.4028235e38", "-3.4028235e38", "+.5"})
    EXPECT_EQ(run({"--z", z, "--summary-csv", "s.csv", kSimple}, scratch.path()).status, 0) << z;
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
  EXPECT_TRUE(TempDirectory::readFile((out / "figures.csv").string()).starts_with("z [mm],crossings,"));
  EXPECT_TRUE(TempDirectory::readFile((out / "envelope.svg").string()).find("</svg>") != std::string::npos);
  EXPECT_TRUE(TempDirectory::readFile((out / "pages.pdf").string()).starts_with("%PDF"));
  // Nothing else: no temporary file left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 6);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(fs::status(out / "figures.csv").permissions(), fs::perms(0666 & ~mask));
}

TEST(CommandLine, NoSpellingOfAProjectFileIsEverWritten) {
  TempDirectory scratch;
  const fs::path p = scratch.path() / "p";
  fs::copy(kSimple, p);
  // The potential map not there yet: a path that names it must still be refused.
  fs::remove(p / "potmap.dat");
  fs::create_directory(p / "sub");
  fs::create_symlink(p / "pot.dat", scratch.path() / "link-to-pot");
  fs::create_symlink("p/potmap.dat", scratch.path() / "dangling");
  fs::create_hard_link(p / "geom.cod", scratch.path() / "hard-link");
  TempDirectory::writeFile((scratch.path() / "list").string(), p.string() + "\n");
  const std::string list = (scratch.path() / "list").string();
  const std::vector<std::string> cases[] = {
      {"--figures-csv", (p / "klplt.res").string(), p.string()},
      {"--pdf", (p / "klplt.res").string(), p.string()},
      {"--summary-csv", (p / "geom.dat").string(), p.string()},
      {"--crossings-csv", (p / "." / "geom.dat").string(), p.string()},
      {"--summary-csv", (p / "sub" / ".." / "mag.dat").string(), (p / "geom.cod").string()},
      {"--summary-csv", "link-to-pot", p.string()},
      {"--summary-csv", "hard-link", p.string()},
      {"--summary-csv", "p/klinput.dat", "p"},
      // Not there yet, and still the project's: the potential map and a link that leads there.
      {"--summary-csv", (p / "potmap.dat").string(), p.string()},
      {"--summary-csv", "dangling", "--z", "3", "p/../p"},
      {"--summary-csv", list, "--projects-from", list},
  };
  for (const auto& arguments : cases) {
    expectRefused(arguments, scratch.path(), 2, arguments[0] + " " + arguments[1] + " would overwrite", p);
    EXPECT_FALSE(fs::exists(p / "potmap.dat"));
  }
}

TEST(CommandLine, OutputsThroughStreamsLinksAndKeptPermissions) {
  TempDirectory scratch;
  const fs::path dir = scratch.path();
  // Standard output, and standard output closed: the table is not lost silently.
  const Outcome out = run({"--summary-csv", "-", kSimple}, dir);
  EXPECT_EQ(out.status, 0) << out.err;
  EXPECT_TRUE(out.out.starts_with("directory,geom_dat,")) << out.out;
  const std::string program = KELM_EXPORT_PROGRAM;
  const int closed =
      std::system(("'" + program + "' --summary-csv - '" + kSimple + "' >&- 2>closed.err").c_str());
  EXPECT_EQ(WEXITSTATUS(closed), 1);
  EXPECT_NE(TempDirectory::readFile("closed.err").find("cannot write standard output"), std::string::npos);
  // A reader of standard error that goes away early does not stop the outputs.
  const int piped = std::system(("('" + program + "' --summary-csv s.csv '" + kSimple + "' '" + kSimple +
                                 "' 2>&1; echo $? >status) | head -c 1 >/dev/null")
                                    .c_str());
  EXPECT_EQ(WEXITSTATUS(piped), 0);
  EXPECT_EQ(TempDirectory::readFile("status"), "0\n");
  const std::string rows = TempDirectory::readFile("s.csv");
  EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 3);
  // A link is followed and stays a link; the file it leads to keeps its permission bits.
  TempDirectory::writeFile("target.csv", "old");
  ::chmod("target.csv", 0640);
  fs::create_symlink("target.csv", dir / "link.csv");
  EXPECT_EQ(run({"--figures-csv", "link.csv", kSimple}, dir).status, 0);
  EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
  EXPECT_TRUE(TempDirectory::readFile("target.csv").starts_with("z [mm]"));
  EXPECT_EQ(fs::status("target.csv").permissions(), fs::perms(0640));
  // A device is written as a stream, not replaced.
  EXPECT_EQ(run({"--crossings-csv", "/dev/null", kSimple}, dir).status, 0);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// A damaged potmap.dat is among them (the field tests refuse every kind of damage in the reader):
// it is reported, pot.dat stands in, and it takes no row with it however many workers.
TEST(CommandLine, ProjectListsShardsAndJobsGiveTheSameRows) {
  TempDirectory scratch;
  const fs::path dir = scratch.path();
  const std::string examples = KELM_EXAMPLES_DIR;
  fs::copy(kSimple, dir / "map");
  TempDirectory::writeFile("map/potmap.dat", "damaged");
  const std::vector<std::string> projects{(dir / "map").string(), examples + "/damaged/result-unknown-trajectory",
                                          examples + "/damaged/geom-scale-zero", examples + "/full",
                                          examples + "/damaged/pot-too-many-lines"};
  std::string lines, nul;
  for (const std::string& p : projects) {
    lines += p + "\n\n";
    nul += p + '\0';
  }
  TempDirectory::writeFile("lines", lines);
  TempDirectory::writeFile("nul", nul);
  auto summary = [&](std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--summary-csv", "-", "--steps", "50"});
    const Outcome o = run(arguments, dir);
    EXPECT_EQ(o.status, 0) << o.err;
    return o;
  };
  const Outcome whole = summary({"--projects-from", "lines", "--jobs", "1"});
  EXPECT_EQ(std::count(whole.out.begin(), whole.out.end(), '\n'), 6);
  EXPECT_NE(whole.err.find("kelm-export: File POTMAP.DAT damaged"), std::string::npos) << whole.err;
  // Rows and messages in list order, whatever the number of workers.
  for (const char* jobs : {"2", "3", "8"}) {
    const Outcome o = summary({"--projects-from", "lines", "--jobs", jobs});
    EXPECT_EQ(o.out, whole.out) << jobs;
    EXPECT_EQ(o.err, whole.err) << jobs;
  }
  EXPECT_EQ(summary({"--projects-from", "nul", "--null"}).out, whole.out);
  // Each project starts from an empty store: reversed, every row is the same. Two shards without
  // headers make the rows of the whole.
  auto sortedRows = [](const std::string& csv) {
    std::vector<std::string> rows;
    std::istringstream in(csv);
    for (std::string row; std::getline(in, row);) rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    return rows;
  };
  std::vector<std::string> reversed(projects.rbegin(), projects.rend());
  reversed.insert(reversed.begin(), "--jobs=1");
  EXPECT_EQ(sortedRows(summary(reversed).out), sortedRows(whole.out));
  const std::string header = whole.out.substr(0, whole.out.find('\n') + 1);
  EXPECT_EQ(sortedRows(header + summary({"--projects-from", "lines", "--shard", "0/2", "--no-header"}).out +
                       summary({"--projects-from", "lines", "--shard", "1/2", "--no-header"}).out),
            sortedRows(whole.out));
}

// A project spoilt one way each is told of in one line naming it, and what it cannot give is
// not used: results that do not match their record, a directory for a file, no trajectories.
TEST(CommandLine, SpoiltProjectsAreToldOfAndNotUsed) {
  using Spoil = void (*)(const fs::path&);
  const struct {
    Spoil spoil;
    std::vector<std::string> arguments;  // before the project
    int status;
    std::vector<std::string> says;  // @ stands for the project's directory
    const char* name = "p";         // the project named
  } cases[] = {
      {[](const fs::path& p) {
         fs::remove(p / "mag.dat");
         fs::create_directory(p / "mag.dat");
       },
       {"--summary-csv", "s.csv"}, 0, {"File MAG.DAT not found", "cannot read @/mag.dat: it is a directory"}},
      {[](const fs::path& p) {
         TempDirectory::writeFile(p / "solve-record.csv", "key,value\nformat,1\nstatus,solved\nresult:klplt.res,0\n");
       },
       {"--summary-csv", "s.csv"}, 1, {"@: Results incomplete: solve again", ",incomplete,0,incomplete: solve again,"}},
      {[](const fs::path& p) { fs::remove(p / "klplt.res"); }, {"--envelope", "e.png"}, 0,
       {"e.png has no curves: no current crosses any plane"}},
      {[](const fs::path&) {}, {"--summary-csv", "s.csv"}, 1, {"no such project directory: @\\x0Aproject\n"},
       "p\nproject"},
  };
  for (const auto& c : cases) {
    TempDirectory scratch;
    const fs::path p = scratch.path() / "p";
    fs::copy(kSimple, p);
    c.spoil(p);
    std::vector<std::string> arguments = c.arguments;
    arguments.push_back((scratch.path() / c.name).string());
    const Outcome o = run(arguments, scratch.path());
    EXPECT_EQ(o.status, c.status) << c.says[0];
    const std::string told = o.err + (fs::exists("s.csv") ? TempDirectory::readFile("s.csv") : "");
    for (std::string says : c.says) {
      if (const auto at = says.find('@'); at != std::string::npos) says.replace(at, 1, p.string());
      EXPECT_NE(told.find(says), std::string::npos) << says << "\n" << told;
    }
    if (c.status == 0) {
      EXPECT_TRUE(fs::exists(c.arguments[1])) << c.says[0];
    }
  }
}

// Every table loads in pandas and numpy, and the solve's own agree with its record: the largest
// surface |E| is the record's maximum, the sites' currents add up to the emitted current, and
// the intercepted, exit and turned-back currents make up the whole.
TEST(CommandLine, TablesLoadInPandasAndNumpyAndAgreeWithTheRecord) {
  TempDirectory scratch;
  // A directory name with a comma, a quote, a hash and a byte that is not UTF-8.
  const std::string odd = "odd, \"dir\" #1 \xFF";
  fs::copy(kSimple, scratch.path() / odd);
  ASSERT_EQ(testing::runCommand("'" KELM_SOLVE_PROGRAM "' '" + odd + "'", scratch.path()).status, 0);
  const Outcome o = run({"--figures-csv", "f.csv", "--crossings-csv", "c.csv", "--surface-field-csv", "e.csv",
                         "--cathode-csv", "k.csv", odd},
                        scratch.path());
  ASSERT_EQ(o.status, 0) << o.err;
  ASSERT_EQ(run({"--summary-csv", "s.csv", "--voltage", "10000", odd, kSimple}, scratch.path()).status, 0);
  TempDirectory::writeFile(
      "check.py",
      "import pandas, numpy\n"
      "for name in ['f.csv', 'c.csv', 'e.csv', 'k.csv', 's.csv']:\n"
      "    frame = pandas.read_csv(name)\n"
      "    array = numpy.genfromtxt(name, delimiter=',', names=True)\n"
      "    assert len(frame) == len(array) > 0, name\n"
      "    assert len(frame.columns) == len(array.dtype.names), name\n"
      "e, k, s = (pandas.read_csv(n) for n in ('e.csv', 'k.csv', 's.csv'))\n"
      "assert s['directory'][0].endswith('odd\\\\x2C \\\\x22dir\\\\x22 \\\\x231 \\\\xFF'), s['directory'][0]\n"
      "near = lambda a, b: abs(a - b) <= 1e-8 * abs(b)\n"
      "assert near(e['field [kV/mm]'].max(), s['surface_field_max [kV/mm]'][0])\n"
      "assert near(k['current [A]'].sum(), s['emitted_current [A]'][0])\n"
      "assert near(s['intercepted_current [A]'][0] + s['exit_current [A]'][0] + s['reflected_current [A]'][0],"
      " s['emitted_current [A]'][0])\n"
      "assert (k['limit [A/cm2]'] > 0).all()\n"
      "assert abs(s['perveance [uP]'][1] - s['total_current [A]'][1] / 10000 ** 1.5 * 1e6) < 1e-9\n");
  EXPECT_EQ(std::system("/usr/bin/python3 check.py"), 0);
}

TEST(ScanPlot, FailedRowsAreLeftOutWithANote) {
  TempDirectory scratch;
  TempDirectory::writeFile("summary.csv", kScanSummary);
  const Outcome o = run({"--scan-plot", "plot.svg", "--x", "anode_z", "--y", "perveance [uP]", "--group", "volts",
                         "summary.csv"},
                        scratch.path());
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err,
            "kelm-export: note: 2 rows of summary.csv left out: 1 failed, 1 without a number in a plotted "
            "column (empty, not a number, or beyond 1e37)\n");
  EXPECT_NE(TempDirectory::readFile("plot.svg").find("</svg>"), std::string::npos);
  // Read from standard input, written as a PNG.
  const Outcome piped = testing::runCommand("'" KELM_EXPORT_PROGRAM "' --scan-plot p.png --x anode_z --y "
                                            "perveance - <summary.csv");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_TRUE(TempDirectory::readFile("p.png").starts_with("\x89PNG"));
}

}  // namespace
}  // namespace kelm::exporting
