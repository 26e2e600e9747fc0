#include "source/solver/beam/result_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

namespace kelm::solver {
namespace {

constexpr char kFileMark = 0x4B;
constexpr char kEndMark = static_cast<char>(0x82);
constexpr unsigned kContinued = 0x81;
constexpr std::size_t kBlockBytes = 128;

class RecordWriter {
 public:
  template <class T>
  RecordWriter& item(T value) {
    static_assert(std::endian::native == std::endian::little, "klplt.res is little-endian");
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    record_.append(bytes, sizeof(T));
    return *this;
  }
  // Frames the record into out: 128-byte blocks marked as continued, then the last block.
  void end(std::string& out) {
    std::size_t at = 0;
    while (record_.size() - at > kBlockBytes) {
      out += static_cast<char>(kContinued);
      out.append(record_, at, kBlockBytes);
      out += static_cast<char>(kContinued);
      at += kBlockBytes;
    }
    const auto last = static_cast<char>(record_.size() - at);
    out += last;
    out.append(record_, at, std::string::npos);
    out += last;
    record_.clear();
  }

 private:
  std::string record_;
};

}  // namespace

std::vector<std::size_t> pointsAlongArc(double r0_m, double z0_m, const std::vector<TracePoint>& points,
                                        std::size_t limit) {
  std::vector<std::size_t> chosen;
  if (points.empty() || limit == 0) return chosen;
  std::vector<double> arc(points.size());
  double s = 0, r = r0_m, z = z0_m;
  for (std::size_t k = 0; k < points.size(); ++k) {
    s += std::hypot(points[k].r_m - r, points[k].z_m - z);
    r = points[k].r_m;
    z = points[k].z_m;
    arc[k] = s;
  }
  if (points.size() <= limit) {
    for (std::size_t k = 0; k < points.size(); ++k) chosen.push_back(k);
    return chosen;
  }
  chosen.push_back(0);
  std::size_t next = 1;
  const double first = arc.front(), span = arc.back() - arc.front();
  for (std::size_t k = 1; k + 1 < limit; ++k) {
    const double target = first + span * static_cast<double>(k) / static_cast<double>(limit - 1);
    while (next < points.size() - 1 && arc[next] < target) ++next;
    if (next >= points.size() - 1) break;
    chosen.push_back(next++);
  }
  chosen.push_back(points.size() - 1);
  return chosen;
}

std::vector<std::size_t> raysKept(std::size_t rays, std::size_t raysPerSite, std::size_t limit) {
  std::vector<std::size_t> kept;
  const std::size_t perSite = std::max<std::size_t>(raysPerSite, 1), sites = rays / perSite;
  if (rays <= limit || rays % perSite != 0) {
    for (std::size_t k = 0; k < std::min(rays, limit); ++k) kept.push_back(k);
    return kept;
  }
  // Site s takes the picks j with s = ⌊j·sites/limit⌋, spread over its rays from a first ray
  // that turns by one from each site taking any to the next.
  for (std::size_t s = 0, j = 0, turn = 0; s < sites; ++s) {
    const std::size_t end = ((s + 1) * limit) / sites, count = end - j;
    for (std::size_t q = 0; q < count; ++q) kept.push_back(s * perSite + (turn + (q * perSite) / count) % perSite);
    if (count > 0) ++turn;
    j = end;
  }
  std::sort(kept.begin(), kept.end());
  return kept;
}

std::string resultFileBytes(const BeamResult& beam, double cell_m) {
  std::string out(1, kFileMark);
  RecordWriter w;
  // The file's readers hold kMaxTrajectories and kMaxResultPoints; more rays than that are
  // thinned to an even choice, whose currents are scaled so that the file's total is the
  // beam's. The solve itself, its charge and its current, used every ray.
  const std::vector<std::size_t> kept = raysKept(beam.trajectories.size(), std::size_t(beam.raysPerSite),
                                                 std::size_t(kMaxTrajectories));
  double total = 0, keptTotal = 0;
  for (const BeamTrajectory& t : beam.trajectories) total += t.current_A;
  for (std::size_t k : kept) keptTotal += beam.trajectories[k].current_A;
  const double scale = kept.size() < beam.trajectories.size() && keptTotal > 0 ? total / keptTotal : 1.0;
  w.item(static_cast<std::int32_t>(beam.iterations)).end(out);
  w.item(static_cast<std::int32_t>(kept.size())).end(out);
  // The reader multiplies the density by the squared scale (nodes per mm) and divides by 2π
  // to show A/mm².
  const double cell_mm = cell_m * 1e3;
  const double densityFactor = 2 * std::numbers::pi * 1e-6 * cell_mm * cell_mm;
  std::int32_t index = 0;
  for (std::size_t k : kept) {
    const BeamTrajectory& t = beam.trajectories[k];
    w.item(++index).item(t.site.r_m / cell_m).item(t.site.z_m / cell_m)
        .item(t.density_A_per_m2 * densityFactor).item(t.current_A * scale).end(out);
  }
  index = 0;
  for (std::size_t kRay : kept) {
    const BeamTrajectory& t = beam.trajectories[kRay];
    ++index;
    const auto& p = t.trace.points;
    for (std::size_t k : pointsAlongArc(t.site.r_m, t.site.z_m, p, kMaxResultPoints - 1))
      w.item(index).item(p[k].r_m / cell_m).item(p[k].z_m / cell_m).end(out);
  }
  w.item(std::int32_t{0}).item(0.0).item(0.0).end(out);
  out += kEndMark;
  return out;
}

}  // namespace kelm::solver
