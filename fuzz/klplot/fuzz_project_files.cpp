// One input becomes each of the four project files in turn; every reader must survive it and
// the extents derived afterwards must stay ordered and finite.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "records/window_port.h"
#include "source/klplot/project_data.h"
#include "source/klplot/project_readers.h"

namespace {

class SilentPort final : public kelm::records::WindowPort {
 public:
  bool openWindow(int, std::string_view) override { return true; }
  void closeWindow(int) override {}
  void writeRecord(int, std::string_view) override {}
  [[noreturn]] void runtimeError(int, std::string_view) override { std::abort(); }
};

void writeFile(const char* name, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr) return;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static SilentPort port;
  kelm::records::setWindowPort(&port);
  const auto dir = std::filesystem::temp_directory_path() / ("kelm-fuzz-project-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelm::klplot;
  ProjectData& d = projectData;
  static const char* const kFiles[4] = {"geom.dat", "mag.dat", "pot.dat", "klplt.res"};
  for (const char* name : kFiles) std::remove(name);
  const char* target = kFiles[size > 0 ? data[0] % 4 : 0];
  writeFile(target, size > 0 ? data + 1 : data, size > 0 ? size - 1 : 0);
  loadProjectFiles();
  if (!(d.zAxisMin < d.zAxisMax) || !(d.rAxisMin < d.rAxisMax) || !std::isfinite(d.zAxisMax)) std::abort();
  (void)fieldAt(static_cast<float>(d.zAxisMin));
  return 0;
}
