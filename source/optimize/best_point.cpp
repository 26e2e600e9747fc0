#include "source/optimize/best_point.h"

#include <filesystem>

namespace kelm::optimize {
namespace fs = std::filesystem;

bool copyBest(const std::string& outdir, const std::string& point, std::string& error) {
  const fs::path best = fs::path(outdir) / "best", made = fs::path(outdir) / ".best.new";
  const fs::path old = fs::path(outdir) / ".best.old";
  std::error_code ec;
  fs::remove_all(made, ec);
  fs::remove_all(old, ec);
  fs::copy(fs::path(outdir) / point, made, fs::copy_options::recursive, ec);
  if (ec) return (error = made.string() + ": " + ec.message(), false);
  if (fs::exists(best, ec)) fs::rename(best, old, ec);
  if (!ec) fs::rename(made, best, ec);
  if (ec) return (error = best.string() + ": " + ec.message(), false);
  fs::remove_all(old, ec);
  return true;
}

}  // namespace kelm::optimize
