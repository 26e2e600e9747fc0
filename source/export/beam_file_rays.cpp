#include "source/export/beam_file_rays.h"

#include <algorithm>
#include <filesystem>

#include "source/openpmd/openpmd_names.h"
#include "source/project_files/file_hash.h"
#include "source/project_files/input_file.h"
#include "source/project_files/solve_record.h"

namespace kelm::exporting {
namespace {

// A path of a million steps for each of ten thousand rays stays below this.
constexpr std::size_t kMaxBeamFileBytes = std::size_t{1} << 36;

}  // namespace

std::optional<std::vector<openpmd::PathRay>> vouchedBeamRays(const std::string& directory,
                                                             const projectfiles::SolveRecord* complete,
                                                             std::string& note) {
  note.clear();
  std::string bytes, why;
  const std::string path = directory + "/" + openpmd::kBeamFile;
  // The reader sets aside its limit at once: give it the file's own size where that is less.
  std::error_code ignored;  // a file that is not there is found by the read
  const std::uintmax_t size = std::filesystem::file_size(path, ignored);
  const std::size_t limit = ignored ? 0 : static_cast<std::size_t>(std::min<std::uintmax_t>(size, kMaxBeamFileBytes));
  const projectfiles::InputRead read = projectfiles::readInputFile(path, limit, bytes, why);
  if (read == projectfiles::InputRead::kMissing) return std::nullopt;
  if (read != projectfiles::InputRead::kOk) {
    note = projectfiles::inputFailure(openpmd::kBeamFile, read, why);
    return std::nullopt;
  }
  const bool vouched = complete && std::any_of(complete->results.begin(), complete->results.end(),
                                               [&](const projectfiles::FileHash& f) {
                         return f.name == openpmd::kBeamFile && f.sha256 == projectfiles::sha256Hex(bytes);
                       });
  if (!vouched) {
    note = "beam.h5 is not the one the solve's record names; klplt.res used";
    return std::nullopt;
  }
  std::vector<openpmd::PathRay> rays;
  if (!openpmd::readBeamFile(bytes, rays, note)) return (note += "; klplt.res used", std::nullopt);
  return rays;
}

}  // namespace kelm::exporting
