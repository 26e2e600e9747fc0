#include "source/export/project_export.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "source/export/figure_tables.h"
#include "source/export/load_report.h"
#include "runtime/whole_file.h"
#include "source/export/view_pictures.h"
#include "source/klplot/project_data.h"
#include "source/klplot/project_readers.h"

namespace kelm::exporting {
namespace {

using klplot::projectData;
using runtime::makeDirectory;
using runtime::writeWholeFile;

class Run {
 public:
  explicit Run(const ExportOptions& options) : options_(options) {}

  int exportAll() {
    const std::size_t count = options_.projects.size();
    for (std::size_t p = 0; p < count; ++p) {
      if (count > 1) {
        std::fprintf(stderr, "kelm-export: project %zu of %zu: %s\n", p + 1, count,
                     options_.projects[p].c_str());
      }
      exportProject(options_.projects[p]);
    }
    if (options_.summaryCsv) write(*options_.summaryCsv, summaryCsv(summary_));
    return failed_ ? 1 : 0;
  }

 private:
  void fail(const std::string& line) {
    std::fprintf(stderr, "kelm-export: %s\n", line.c_str());
    failed_ = true;
  }

  void write(const std::string& path, const std::string& bytes) {
    std::string error;
    if (bytes.empty())
      fail("cannot write " + path + ": the picture could not be made");
    else if (!writeWholeFile(path, bytes, error))
      fail(error);
  }

  // The directory a PROJECT names, as the user spelled it: itself, or the one of a file in it.
  std::string directoryOf(const std::string& argument) {
    std::error_code code;
    const std::filesystem::path path(argument);
    if (std::filesystem::is_directory(path, code)) return argument;
    if (std::filesystem::exists(path, code)) {
      const std::string parent = path.parent_path().string();
      return parent.empty() ? "." : parent;
    }
    fail("no such project directory: " + argument);
    return {};
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
    {
      LoadReport report;
      klplot::loadProjectFiles();
      row.files = report.finish();
    }
    std::filesystem::current_path(home, code);
    if (code) {
      fail("cannot return to " + home.string() + ": " + code.message());
      return Load::kNotRead;
    }
    for (FileStatus s : row.files) {
      if (s != FileStatus::kNotFound) return Load::kRead;
    }
    fail("no project files in " + directory);
    return Load::kNoFiles;
  }

  void exportProject(const std::string& argument) {
    const std::string directory = directoryOf(argument);
    if (directory.empty()) return;
    SummaryRow row;
    row.directory = directory;
    const Load loaded = load(directory, row);
    if (loaded == Load::kNotRead) return;
    // Without --z the plane is where kelm puts it at a load: the middle of the z range.
    const float z =
        options_.z.value_or(static_cast<float>((projectData.zAxisMin + projectData.zAxisMax) * 0.5));
    std::vector<PlaneFigures> planes;
    if (options_.figuresCsv || options_.envelopeFile || options_.summaryCsv) {
      planes =
          figuresAlong(projectData, planesAlong(projectData.zAxisMin, projectData.zAxisMax, options_.steps));
    }
    if (options_.summaryCsv) {
      row.trajectories = projectData.trajCount;
      row.totalCurrent = projectData.totalCurrent;
      row.waist = waistOf(planes);
      row.atZ = figuresAt(projectData, z);
      summary_.push_back(row);
    }
    // A directory without project files is still listed in the summary, but not pictured.
    if (loaded == Load::kRead) writeProjectOutputs(directory, z, planes);
  }

  void writeProjectOutputs(const std::string& directory, float z, const std::vector<PlaneFigures>& planes) {
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
    if (options_.envelopeFile) {
      const std::string& file = *options_.envelopeFile;
      const bool svg = namesSvgFile(file);
      const Picture picture = drawEnvelopePicture(projectData, settings, planes, PictureFormats{!svg, svg});
      write(file, svg ? picture.svg : picture.png);
    }
    if (options_.figuresCsv) write(*options_.figuresCsv, figuresCsv(planes, directory, options_.voltage));
    if (options_.crossingsCsv) {
      auto crossings = std::make_unique<klplot::Crossings>();
      klplot::findCrossings(projectData, z, *crossings);
      write(*options_.crossingsCsv, crossingsCsv(*crossings, projectData, z, directory));
    }
  }

  const ExportOptions& options_;
  std::vector<SummaryRow> summary_;
  bool failed_ = false;
};

}  // namespace

int runExport(const ExportOptions& options) { return Run(options).exportAll(); }

}  // namespace kelm::exporting
