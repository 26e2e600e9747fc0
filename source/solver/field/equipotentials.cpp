#include "source/solver/field/equipotentials.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "runtime/fp_traps.h"
#include "runtime/whole_file.h"
#include "source/project_files/capacities.h"
#include "source/solver/field/contour_tracing.h"

namespace kelm::solver {
namespace {

constexpr std::size_t kMaxLines = kMaxPotLines;
constexpr std::size_t kMaxPoints = kMaxPotPoints;
// The header's potential field holds 15 characters with three decimals.
constexpr double kMaxLevelMagnitude_V = 1e10;

struct LevelLine {
  double level_V;
  ContourLine points;
};

// Keeps the longest lines within the line limit, in their tracing order.
void keepLongestLines(std::vector<LevelLine>& lines) {
  if (lines.size() <= kMaxLines) return;
  std::vector<std::size_t> order(lines.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return lines[a].points.size() > lines[b].points.size();
  });
  std::vector<char> keep(lines.size(), 0);
  for (std::size_t k = 0; k < kMaxLines; ++k) keep[order[k]] = 1;
  std::vector<LevelLine> kept;
  for (std::size_t k = 0; k < lines.size(); ++k)
    if (keep[k]) kept.push_back(std::move(lines[k]));
  lines = std::move(kept);
}

// Every stride-th point and each line's last, with the smallest stride that fits the point limit.
void thinToPointLimit(std::vector<LevelLine>& lines) {
  auto thinnedSize = [&](std::size_t stride) {
    std::size_t total = 0;
    for (const LevelLine& l : lines) total += (l.points.size() - 1 + stride - 1) / stride + 1;
    return total;
  };
  std::size_t stride = 1;
  while (thinnedSize(stride) > kMaxPoints) ++stride;  // ends: 2 points a line fit at any length
  if (stride == 1) return;
  for (LevelLine& l : lines) {
    ContourLine thin;
    for (std::size_t k = 0; k + 1 < l.points.size(); k += stride) thin.push_back(l.points[k]);
    thin.push_back(l.points.back());
    l.points = std::move(thin);
  }
}

void appendList(std::string& out, char word, const ContourLine& points, bool radial) {
  out += ' ';
  out += word;
  int onLine = 0;
  char number[32];
  for (const ContourPoint& p : points) {
    std::snprintf(number, sizeof number, " %.4f", radial ? p.r : p.z);
    if (onLine == 10) {
      out += "\n";
      onLine = 0;
    }
    out += number;
    ++onLine;
  }
  out += "\n";
}

std::string formatLines(const std::vector<LevelLine>& lines) {
  // The C library's formatting is not ours to trap.
  FloatingPointTrapsSuspended untrapped;
  char header[64];
  std::snprintf(header, sizeof header, "LINES=%4d\n", static_cast<int>(lines.size()));
  std::string out = header;
  for (const LevelLine& l : lines) {
    std::snprintf(header, sizeof header, "V=%15.3f N=%5d\n", l.level_V, static_cast<int>(l.points.size()));
    out += header;
    appendList(out, 'Z', l.points, false);
    appendList(out, 'R', l.points, true);
  }
  return out;
}

}  // namespace

std::vector<double> defaultEquipotentialLevels(const ClassifiedMesh& mesh) {
  // A held edge bounds the field as an electrode does: a single electrode against a held edge
  // still gets its ten levels.
  std::vector<double> bounds = mesh.electrodePotential_V;
  for (const EdgeCondition* edge : {&mesh.rMaxEdge, &mesh.zMinEdge, &mesh.zMaxEdge})
    if (edge->held) bounds.push_back(edge->potential_V);
  std::vector<double> levels;
  if (bounds.empty()) return levels;
  const auto [lo, hi] = std::minmax_element(bounds.begin(), bounds.end());
  if (!(*hi > *lo) || !std::isfinite(*hi - *lo)) return levels;
  for (int k = 1; k <= 10; ++k) levels.push_back(*lo + (*hi - *lo) * k / 11.0);
  return levels;
}

bool equipotentialText(const ClassifiedMesh& mesh, std::span<const double> potential_V,
                       std::span<const double> levels_V, std::string& text, std::string& error) {
  if (potential_V.size() != mesh.nodeCount() || mesh.nodeCount() == 0) {
    error = "the potential does not match the mesh";
    return false;
  }
  for (double level : levels_V)
    if (!std::isfinite(level) || std::abs(level) >= kMaxLevelMagnitude_V) {
      error = "an equipotential level is out of range";
      return false;
    }
  std::vector<LevelLine> lines;
  for (double level : levels_V)
    for (ContourLine& points : traceContours(mesh, potential_V, level))
      lines.push_back({level, std::move(points)});
  keepLongestLines(lines);
  thinToPointLimit(lines);
  text = formatLines(lines);
  return true;
}

bool writeEquipotentials(const std::string& path, const ClassifiedMesh& mesh,
                         std::span<const double> potential_V, std::span<const double> levels_V,
                         std::string& error) {
  std::string text;
  return equipotentialText(mesh, potential_V, levels_V, text, error) && runtime::writeWholeFile(path, text, error);
}

}  // namespace kelm::solver
