#include "source/klplot/views/section_drawing.h"

#include <array>

#include "source/klplot/project/single_precision.h"

namespace kelm::klplot {

void mirroredLine(const PlotMapping& m, LineCanvas& c, double z1, double r1, double z2,
                  double r2) {
  m.line(c, z1, r1, z2, r2);
  m.line(c, z1, -r1, z2, -r2);
}

void drawOutline(const PlotMapping& m, LineCanvas& c, const ProjectData& d,
                 const std::function<void(int)>& beforeLine,
                 const std::function<void()>& beforeClosing) {
  const int segments = d.geomSegCount < kMaxGeomSegments ? d.geomSegCount : kMaxGeomSegments;
  bool anyLine = false;
  double zE = 0.0, rE = 0.0;
  for (int s = 1; s <= segments; ++s) {
    const int first = d.geomSegFirst(s) < 1 ? 1 : d.geomSegFirst(s);
    const int last = d.geomSegLast(s) > kMaxGeomPoints ? kMaxGeomPoints : d.geomSegLast(s);
    for (int j = first + 1; j <= last; ++j) {
      beforeLine(j);
      mirroredLine(m, c, d.geomZ(j - 1), d.geomR(j - 1), d.geomZ(j), d.geomR(j));
      zE = d.geomZ(j);
      rE = d.geomR(j);
      anyLine = true;
    }
  }
  if (segments < 1 || !anyLine) return;
  const int f = d.geomSegFirst(1);
  beforeClosing();
  m.line(c, d.geomZ(f), -d.geomR(f), zE, -rE);
  m.line(c, d.geomZ(f), d.geomR(f), zE, rE);
}

void drawTrajectories(const PlotMapping& m, LineCanvas& c, const ProjectData& d) {
  std::array<float, kMaxTrajPoints> z{}, r{}, rm{};
  for (int i = 1; i <= storedTrajectories(d); ++i) {
    if (!(d.trajCurrent(i) > 0.0)) continue;
    const int n = storedPoints(d, i);
    if (n < 1) continue;
    for (int p = 1; p <= n; ++p) {
      const auto at = static_cast<std::size_t>(p - 1);
      z[at] = saturatedSingle(d.trajZ(i, p));
      r[at] = saturatedSingle(d.trajR(i, p));
      rm[at] = -r[at];
    }
    m.polyline(c, n, z.data(), r.data());
    m.polyline(c, n, z.data(), rm.data());
  }
}

void drawEquipotentials(const PlotMapping& m, LineCanvas& c, const ProjectData& d,
                        const std::function<void(int)>& beforeLine) {
  const int lines = d.potLineCount < kMaxPotLines ? d.potLineCount : kMaxPotLines;
  for (int k = 1; k <= lines; ++k) {
    beforeLine(k);
    const int f = d.potFirst(k);
    for (int q = 1; q <= d.potPointCount(k) - 1; ++q) {
      const int a = f + q - 1, b = f + q;
      if (!d.potZ.inRange(a) || !d.potZ.inRange(b)) break;
      mirroredLine(m, c, d.potZ(a), d.potR(a), d.potZ(b), d.potR(b));
    }
  }
}

}  // namespace kelm::klplot
