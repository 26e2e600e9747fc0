#include "source/export/output_safety.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>
#include <variant>

#include "runtime/whole_file.h"
#include "source/export/view_pictures.h"
#include "source/klplot/pages/view_table.h"

namespace kelm::exporting {
namespace {

namespace fs = std::filesystem;

struct Inode {
  dev_t device;
  ino_t inode;
  bool operator==(const Inode&) const = default;
};

std::optional<Inode> inodeOf(const std::string& path, bool* characterDevice = nullptr) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  if (characterDevice != nullptr) *characterDevice = S_ISCHR(info.st_mode);
  return Inode{info.st_dev, info.st_ino};
}

// Where a file is or would be: its directory (by inode where it exists, else by its path made
// absolute) and its name, after the links to it are followed.
struct Place {
  std::variant<Inode, std::string> directory;
  std::string name;
  std::optional<Inode> file;  // where the file exists
  bool characterDevice = false;
  bool operator==(const Place& other) const {
    return (directory == other.directory && name == other.name) || (file && file == other.file);
  }
};

Place placeOf(const std::string& path) {
  const fs::path target(runtime::linkTarget(path));
  Place place;
  fs::path directory = target.parent_path();
  if (directory.empty()) directory = ".";
  place.name = target.filename().string();
  if (const auto inode = inodeOf(directory.string())) {
    place.directory = *inode;
  } else {
    std::error_code code;
    place.directory = fs::weakly_canonical(fs::absolute(directory, code), code).string();
  }
  place.file = inodeOf(path, &place.characterDevice);
  return place;
}

}  // namespace

std::optional<std::string> projectDirectory(const std::string& argument) {
  std::error_code code;
  const fs::path path(argument);
  if (fs::is_directory(path, code)) return argument;
  if (fs::exists(path, code)) {
    const std::string parent = path.parent_path().string();
    return parent.empty() ? "." : parent;
  }
  return std::nullopt;
}

std::vector<Output> outputsOf(const ExportOptions& o) {
  std::vector<Output> outputs;
  auto add = [&](const char* option, const std::optional<std::string>& path) {
    if (path) outputs.push_back({option, *path});
  };
  add("--pdf", o.pdfFile);
  add("--figures-csv", o.figuresCsv);
  add("--crossings-csv", o.crossingsCsv);
  add("--surface-field-csv", o.surfaceFieldCsv);
  add("--cathode-csv", o.cathodeCsv);
  add("--envelope", o.envelopeFile);
  add("--summary-csv", o.summaryCsv);
  add("--scan-plot", o.scanPlot);
  for (const klplot::ViewRow& view : klplot::viewRows()) {
    const std::string name = view.pictureName;
    if (o.pngDir) outputs.push_back({"--png", (fs::path(*o.pngDir) / (name + ".png")).string()});
    if (o.svgDir) outputs.push_back({"--svg", (fs::path(*o.svgDir) / (name + ".svg")).string()});
  }
  return outputs;
}

std::string unsafeOutputs(const ExportOptions& options) {
  const std::vector<Output> outputs = outputsOf(options);
  std::vector<Place> places;
  for (std::size_t k = 0; k < outputs.size(); ++k) {
    const Output& out = outputs[k];
    const bool standard = out.path == "-";
    places.push_back(standard ? Place{std::string("-"), "-", std::nullopt, false} : placeOf(out.path));
    for (std::size_t j = 0; j < k; ++j) {
      // The same device twice is harmless (/dev/null); the same file twice loses the first.
      if (places[j] == places[k] && !places[k].characterDevice) {
        return out.option + " " + out.path + " is also the file of " + outputs[j].option + " " +
               outputs[j].path;
      }
    }
  }
  auto clash = [&](const std::string& input, const char* what) -> std::string {
    const Place read = placeOf(input);
    for (std::size_t k = 0; k < outputs.size(); ++k) {
      if (outputs[k].path != "-" && places[k] == read) {
        return outputs[k].option + " " + outputs[k].path + " would overwrite " + what + " " + input;
      }
    }
    return {};
  };
  // A scan's picture reads only its summary, which is no project.
  if (options.scanPlot) {
    for (const std::string& summary : options.projects) {
      if (summary != "-") return clash(summary, "the scan summary");
    }
    return {};
  }
  if (options.projectsFrom && *options.projectsFrom != "-") {
    if (std::string why = clash(*options.projectsFrom, "the project list"); !why.empty()) return why;
  }
  for (const std::string& project : options.projects) {
    const auto directory = projectDirectory(project);
    if (!directory) continue;
    for (const char* file : kProjectInputs) {
      if (std::string why = clash((fs::path(*directory) / file).string(), "the project file"); !why.empty()) {
        return why;
      }
    }
  }
  return {};
}

}  // namespace kelm::exporting
