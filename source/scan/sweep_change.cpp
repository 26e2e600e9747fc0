#include "source/scan/sweep_change.h"

#include <filesystem>
#include <map>

#include "source/scan/scan_points.h"

namespace kelm::scan {
namespace {

// A long list would bury the line's advice.
std::string listed(const std::vector<std::string>& names) {
  constexpr std::size_t kShown = 10;
  std::string text;
  for (std::size_t i = 0; i < names.size() && i < kShown; ++i) text += (i ? ", " : "") + names[i];
  if (names.size() > kShown) text += " and " + std::to_string(names.size() - kShown) + " more";
  return text;
}

}  // namespace

SweepChange changeOf(const Sweep& earlier, const Sweep& sweep) {
  std::map<std::string, const std::vector<std::string>*> now;
  for (std::size_t i = 0; i < sweep.points.size(); ++i)
    now[pointName(i, sweep.points.size())] = &sweep.points[i];
  SweepChange change;
  // Names count by directory: a sweep grown past 9999 points renames every point.
  for (std::size_t i = 0; i < earlier.points.size(); ++i) {
    const std::string name = pointName(i, earlier.points.size());
    const auto found = now.find(name);
    if (found == now.end())
      change.orphaned.push_back(name);
    else if (earlier.names != sweep.names || earlier.points[i] != *found->second)
      change.changed.push_back(name);
  }
  return change;
}

std::string refusalOf(const std::string& outdir, const SweepChange& change) {
  std::string text = outdir + " holds the points of another sweep:";
  if (!change.changed.empty()) text += " " + listed(change.changed) + " would be made again with other values";
  if (!change.changed.empty() && !change.orphaned.empty()) text += ", and";
  if (!change.orphaned.empty()) text += " " + listed(change.orphaned) + " would be left outside this sweep";
  return text + "; give --prune to remove the points left outside, --force to keep them, or another OUTDIR";
}

bool prunePoints(const std::string& outdir, const std::vector<std::string>& orphaned, std::string& error) {
  for (const std::string& name : orphaned) {
    std::error_code ec;
    std::filesystem::remove_all(outdir + "/" + name, ec);
    if (ec) return (error = "cannot remove " + outdir + "/" + name + ": " + ec.message(), false);
  }
  return true;
}

}  // namespace kelm::scan
