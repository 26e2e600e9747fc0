#include "source/export/project_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <algorithm>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "runtime/whole_file.h"
#include "source/export/beam_file_rays.h"
#include "source/export/cathode_export.h"
#include "source/export/figure_source.h"
#include "source/export/figure_tables.h"
#include "source/export/load_report.h"
#include "source/export/output_safety.h"
#include "source/export/parallel_projects.h"
#include "source/export/solve_figure_columns.h"
#include "source/export/surface_field_table.h"
#include "source/export/view_pictures.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/openpmd/path_crossings.h"
#include "source/project_files/result_age.h"
#include "source/project_files/solve_record.h"

namespace kelm::exporting {
namespace {

using klplot::projectData;
using runtime::makeDirectory;
using runtime::writeWholeFile;

// Why a project file that the loader found missing could not be read, when it is there; empty
// when it is simply not there.
std::string whyUnread(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT ? "" : std::strerror(errno);
  if (!S_ISREG(info.st_mode)) return S_ISDIR(info.st_mode) ? "it is a directory" : "it is not a regular file";
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  return {};
}

class Run {
 public:
  explicit Run(const ExportOptions& options) : options_(options) {}

  int exportAll() {
    selected_ = cli::shareOf(options_.projects.size(), {options_.shard, options_.shards});
    std::string summary = options_.summaryCsv && options_.header ? summaryHeader() : "";
    const int jobs = cli::jobsOrCores(options_.jobs);
    runProjects(
        selected_.size(), options_.summaryCsv ? jobs : 1, [this](std::size_t k) { return exportProject(k); },
        [&](std::size_t, ProjectOutcome&& outcome) {
          summary += outcome.row;
          failed_ = failed_ || outcome.failed;
        });
    if (options_.summaryCsv) write(*options_.summaryCsv, summary, "the summary is empty");
    return failed_ ? 1 : 0;
  }

 private:
  void fail(const std::string& line) {
    std::fprintf(stderr, "kelm-export: %s\n", shownText(line).c_str());
    failed_ = projectFailed_ = true;
  }

  void write(const std::string& path, const std::string& bytes,
             const char* whyEmpty = "the picture could not be made") {
    std::string error;
    if (bytes.empty())
      fail("cannot write " + path + ": " + whyEmpty);
    else if (!writeWholeFile(path, bytes, error))
      fail(error);
  }

  // Whether pictures go to this directory: asked for, and there or made.
  bool pictureDirectory(const std::optional<std::string>& directory) {
    std::string error;
    if (!directory) return false;
    if (makeDirectory(*directory, error)) return true;
    fail(error);
    return false;
  }

  static std::string fileIn(const std::string& directory, const std::string& name) {
    return (std::filesystem::path(directory) / name).string();
  }

  enum class Load { kNotRead, kNoFiles, kRead };

  // Loads with the project directory current, as kelm does, and comes back.
  Load load(const std::string& directory, SummaryRow& row) {
    std::error_code code;
    const std::filesystem::path home = std::filesystem::current_path(code);
    if (code) {
      fail("cannot read the current directory: " + code.message());
      return Load::kNotRead;
    }
    std::filesystem::current_path(directory, code);
    if (code) {
      fail("cannot enter the project directory " + directory + ": " + code.message());
      return Load::kNotRead;
    }
    // A reader leaves untouched what its file does not name, which would otherwise carry one
    // project's figures into the next.
    klplot::clearStore(projectData);
    {
      LoadReport report;
      row.files = report.finish(klplot::loadProjectFiles(projectData));
    }
    std::filesystem::current_path(home, code);
    if (code) {
      fail("cannot return to " + home.string() + ": " + code.message());
      return Load::kNotRead;
    }
    for (std::size_t f = 0; f < klplot::kProjectFiles.size(); ++f) {
      if (row.files[f] != FileStatus::kNotFound) continue;
      const std::string path = fileIn(directory, std::string(klplot::kProjectFiles[f].file));
      if (const std::string why = whyUnread(path); !why.empty()) {
        std::fprintf(stderr, "kelm-export: cannot read %s: %s\n", shownText(path).c_str(), why.c_str());
      }
    }
    // Results a solve left incomplete are not pictured: the summary row says so.
    if (std::find(row.files.begin(), row.files.end(), FileStatus::kIncomplete) != row.files.end()) {
      fail(directory + ": " + projectfiles::kIncompleteMessage);
      return Load::kNoFiles;
    }
    for (FileStatus s : row.files) {
      if (s != FileStatus::kNotFound) return Load::kRead;
    }
    fail("no project files in " + directory);
    return Load::kNoFiles;
  }

  ProjectOutcome exportProject(std::size_t k) {
    projectFailed_ = false;
    const std::string& argument = options_.projects[selected_[k]];
    if (selected_.size() > 1) {
      std::fprintf(stderr, "kelm-export: project %zu of %zu: %s\n", k + 1, selected_.size(),
                   shownText(argument).c_str());
    }
    ProjectOutcome outcome;
    const std::optional<std::string> directory = projectDirectory(argument);
    if (!directory) {
      fail("no such project directory: " + argument);
    } else {
      outcome.row = exportDirectory(*directory);
    }
    outcome.failed = projectFailed_;
    return outcome;
  }

  // The project's outputs, and its summary line when one is asked for.
  std::string exportDirectory(const std::string& directory) {
    SummaryRow row;
    row.directory = directory;
    const Load loaded = load(directory, row);
    if (loaded == Load::kNotRead) return {};
    // Without --z the plane is where kelm puts it at a load: the middle of the z range.
    const float z =
        options_.z.value_or(static_cast<float>((projectData.zAxisMin + projectData.zAxisMax) * 0.5));
    projectfiles::SolveRecord record;
    const projectfiles::ResultsState results = projectfiles::resultsState(directory, &record);
    const TableUnits units{projectData.geomLoaded != 0};
    const FigureSource source =
        figureSource(directory, results == projectfiles::ResultsState::kComplete ? &record : nullptr, units);
    std::vector<PlaneFigures> planes;
    if (options_.figuresCsv || options_.envelopeFile || options_.summaryCsv)
      planes = source.along(planesAlong(projectData.zAxisMin, projectData.zAxisMax, options_.steps));
    solver::PotentialMap map;
    std::string why;
    const bool mapped = solver::readPotentialMap(fileIn(directory, "potmap.dat"), map, why);
    // A damaged map is left out, and said so; one that is not there is no news.
    if (!mapped && !why.ends_with(" not found")) std::fprintf(stderr, "kelm-export: %s\n", why.c_str());
    const BeamEnergy energy(projectData, options_.voltage, mapped ? &map : nullptr);
    // A directory without project files is still listed in the summary, but not pictured.
    if (loaded == Load::kRead) writeProjectOutputs(z, source, planes, energy, units);
    writeSolveTable(directory, options_.surfaceFieldCsv, surfaceFieldTable);
    writeSolveTable(directory, options_.cathodeCsv, cathodeTableOf);
    if (!options_.summaryCsv) return {};
    row.olderThanMesh = projectfiles::resultsOlderThanMesh(directory);
    row.trajectories = projectData.trajCount;
    row.totalCurrent = projectData.totalCurrent;
    row.voltage = options_.voltage;
    recordInRow(results, record, row);
    if (source.fromBeamFile() || row.files[std::size_t(klplot::ProjectFile::kResult)] == FileStatus::kLoaded)
      row.figuresFrom = source.name();
    row.waist = waistOf(planes);
    if (row.waist) row.waistEnergy = energy.at(row.waist->z);
    row.atZ = source.at(z);
    row.energyAtZ = energy.at(z);
    row.largestCurrent = largestCurrentOf(planes);
    row.range = options_.range;
    if (options_.range)
      row.overRange =
          rangeFiguresOf(source.along(planesAlong(options_.range->from, options_.range->to, options_.steps)));
    return summaryLine(row);
  }

  // The record's word on the results, and the voltage it solved at when none is given.
  static void recordInRow(projectfiles::ResultsState results, const projectfiles::SolveRecord& record,
                          SummaryRow& row) {
    if (results == projectfiles::ResultsState::kNoRecord) return;
    if (results == projectfiles::ResultsState::kIncomplete) {
      row.status = "incomplete: solve again";
      return;
    }
    row.status = projectfiles::statusName(record.status);
    row.solveFigures = solveFigureCells(&record);
    if (record.status != projectfiles::SolveStatus::kSolved && record.status != projectfiles::SolveStatus::kNotConverged)
      return;
    row.iterations = record.iterations;
    row.converged = record.converged;
    row.finalChange = record.finalChange;
    if (!row.voltage && record.voltage_V > 0) row.voltage = record.voltage_V;
  }

  // beam.h5's rays where the figures want them and the record vouches for them. A solve that
  // traced thermal rays without beam.h5 leaves klplt.res without their azimuthal velocity: said
  // once per project.
  FigureSource figureSource(const std::string& directory, const projectfiles::SolveRecord* complete,
                            TableUnits units) {
    const bool wanted = options_.figuresCsv || options_.envelopeFile || options_.summaryCsv || options_.crossingsCsv;
    std::string note;
    // beam.h5 is in metres; the planes are in mm only once geom.dat gives the scale.
    auto rays = wanted && units.millimetres ? vouchedBeamRays(directory, complete, note) : std::nullopt;
    if (!note.empty()) std::fprintf(stderr, "kelm-export: note: %s\n", shownText(directory + "/" + note).c_str());
    FigureSource source(projectData, std::move(rays));
    if (wanted && complete && !source.fromBeamFile() && tracedThermalRays(directory, *complete)) {
      std::fprintf(stderr,
                   "kelm-export: note: %s: the emittances from klplt.res lack the thermal rays' azimuthal "
                   "velocity; solve with --openpmd for the whole figure\n",
                   shownText(directory).c_str());
    }
    return source;
  }

  void writeProjectOutputs(float z, const FigureSource& source, const std::vector<PlaneFigures>& planes,
                           const BeamEnergy& energy, TableUnits units) {
    const ViewSettings settings{options_.width, options_.height, z, options_.divisions};
    const PictureFormats views{pictureDirectory(options_.pngDir), pictureDirectory(options_.svgDir)};
    if (views.png || views.svg) {
      for (const Picture& picture : drawViewPictures(projectData, settings, views)) {
        if (views.png) write(fileIn(*options_.pngDir, picture.name + ".png"), picture.png);
        if (views.svg) write(fileIn(*options_.svgDir, picture.name + ".svg"), picture.svg);
      }
    }
    if (options_.pdfFile) {
      std::string why;
      const std::string pdf = printedPagesPdf(projectData, settings, why);
      if (pdf.empty())
        fail("cannot write " + *options_.pdfFile + ": " + why);
      else
        write(*options_.pdfFile, pdf);
    }
    if (options_.envelopeFile) writeEnvelope(*options_.envelopeFile, settings, planes);
    if (options_.figuresCsv) {
      write(*options_.figuresCsv, figuresCsv(planes, energy, units, options_.header), "no planes");
    }
    if (options_.crossingsCsv) {
      const std::string table = crossingsTable(source, z, units);
      // Without the header and without crossings the file is rightly empty.
      std::string error;
      if (!writeWholeFile(*options_.crossingsCsv, table, error)) fail(error);
    }
  }

  std::string crossingsTable(const FigureSource& source, float z, TableUnits units) {
    if (source.rays()) return crossingsCsv(openpmd::pathCrossings(*source.rays(), z * 1e-3), options_.header);
    auto crossings = std::make_unique<klplot::Crossings>();
    klplot::findCrossings(projectData, z, *crossings);
    return crossingsCsv(*crossings, projectData, units, options_.header);
  }

  // The tables kelm-export takes from the solve's files rather than from the loaded project.
  using SolveTable = bool (*)(const std::string&, bool, std::string&, std::string&);
  void writeSolveTable(const std::string& directory, const std::optional<std::string>& file, SolveTable make) {
    std::string table, error;
    if (!file) return;
    if (!make(directory, options_.header, table, error))
      fail("cannot write " + *file + ": " + error);
    else if (!writeWholeFile(*file, table, error))
      fail(error);
  }

  void writeEnvelope(const std::string& file, const ViewSettings& settings,
                     const std::vector<PlaneFigures>& planes) {
    const bool svg = namesSvgFile(file);
    const Picture picture = drawEnvelopePicture(projectData, settings, planes, PictureFormats{!svg, svg});
    write(file, svg ? picture.svg : picture.png);
    const bool drawn =
        std::any_of(planes.begin(), planes.end(), [](const PlaneFigures& f) { return f.shaped; });
    if (!drawn) {
      std::fprintf(stderr, "kelm-export: note: %s has no curves: no current crosses any plane\n",
                   shownText(file).c_str());
    }
  }

  const ExportOptions& options_;
  std::vector<std::size_t> selected_;
  bool failed_ = false;
  bool projectFailed_ = false;  // in the project being exported
};

}  // namespace

int runExport(const ExportOptions& options) { return Run(options).exportAll(); }

}  // namespace kelm::exporting
