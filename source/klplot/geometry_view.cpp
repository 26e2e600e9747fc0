#include "source/klplot/geometry_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "source/klplot/display_state.h"
#include "source/klplot/plot_mapping.h"
#include "source/klplot/single_precision.h"
#include "source/klplot/tick_label.h"
#include "source/klplot/tick_walk.h"

namespace kelm::klplot {
namespace {

struct Frame {
  double L;
  float fL, fR, fB, fT;
};

Frame chooseFrame(const ViewContext& v, const ProjectData& d) {
  double span = d.zAxisMax - d.zAxisMin;
  int e = 0;
  while (span > 10.0) {
    span *= 0.1;
    ++e;
  }
  const double p = std::pow(10.0, e);
  Frame f{};
  f.L = std::trunc(d.zAxisMin * (1.0 / p)) * p;
  // Truncating a range that lies at or below zero toward zero can put the left edge on or
  // beyond the right one (outline z within (-1, 0]); the range's own start is the edge then.
  if (!(f.L < d.zAxisMax)) f.L = d.zAxisMin;
  // Whole numbers as in 32 bits, formed in double so that no screen size can overflow them.
  const double a = 90.0 * (v.H / 2) - 4320.0;
  const double b = 85.0 * (v.W - 16.0);
  // An outline whose height vanishes beside its length keeps the full width.
  const double heightPerLength = std::max(2.0 * d.rAxisMax / (d.zAxisMax - f.L), 1e-300);
  const double q = (b != 0.0 ? a / b : 0.0) / heightPerLength;
  f.fL = 0.05f;
  f.fB = 0.15f;
  if (q >= 1.0) {
    f.fR = 0.95f;
    f.fT = float(0.85 / q + 0.15);
  } else {
    f.fR = saturatedSingle(0.9 * q + 0.05);
    f.fT = 1.0f;
  }
  return f;
}

void drawZAxis(const ViewContext& v, const ProjectData& d, const Frame& f) {
  Canvas& c = v.canvas;
  const float y0 = saturatedSingle(-1.15 * d.rAxisMax);
  const float yT = saturatedSingle(y0 + (d.rAxisMax - d.rAxisMin) * 0.04);
  const double a = d.rAxisMax * 0.09;
  double lastLabel = -1.0;
  if (d.zAxisMaxF >= d.zAxisMinF && d.zTickStep > 0.0f) {
    walkTicks(d.zAxisMinF, d.zAxisMaxF, d.zTickStep, [&](float z) {
      std::array<char, 5> text;
      text.fill(' ');
      tickLabel(z, text, 5);
      const double phi = (double(f.fR) - f.fL) / (d.zAxisMax - f.L) * (z - f.L);
      if (lastLabel + 0.05 < phi) {
        textAtPoint(c, z - 1.8 * a, yT + 0.2 * a, std::string_view(text.data(), text.size()),
                    v.textHeight);
        line(c, z, y0, z, yT);
        lastLabel = phi;
      } else {
        line(c, z, y0, z, y0 + (d.rAxisMax - d.rAxisMin) * 0.02);
      }
    });
  }
  line(c, d.zAxisMinF, y0, d.zAxisMaxF, y0);
}

void mirroredLine(Canvas& c, double z1, double r1, double z2, double r2) {
  line(c, z1, r1, z2, r2);
  line(c, z1, -r1, z2, -r2);
}

void drawOutline(const ViewContext& v, const ProjectData& d) {
  Canvas& c = v.canvas;
  const int segments = d.geomSegCount < kMaxGeomSegments ? d.geomSegCount : kMaxGeomSegments;
  bool anyLine = false;
  double zE = 0.0, rE = 0.0;
  for (int s = 1; s <= segments; ++s) {
    const int first = d.geomSegFirst(s) < 1 ? 1 : d.geomSegFirst(s);
    const int last = d.geomSegLast(s) > kMaxGeomPoints ? kMaxGeomPoints : d.geomSegLast(s);
    for (int j = first + 1; j <= last; ++j) {
      const bool solid = d.geomCode(j) != 0 && (j <= 1 || d.geomCode(j - 1) != 0);
      c.setDrawColor(solid ? kNavy : kCyan);
      mirroredLine(c, d.geomZ(j - 1), d.geomR(j - 1), d.geomZ(j), d.geomR(j));
      zE = d.geomZ(j);
      rE = d.geomR(j);
      anyLine = true;
    }
  }
  // Without any line drawn there is no end point to close to.
  if (segments < 1 || !anyLine) return;
  const int f = d.geomSegFirst(1);
  c.setDrawColor(kCyan);
  line(c, d.geomZ(f), -d.geomR(f), zE, -rE);
  line(c, d.geomZ(f), d.geomR(f), zE, rE);
}

void drawTrajectories(const ViewContext& v, const ProjectData& d) {
  Canvas& c = v.canvas;
  c.setDrawColor(kGreen);
  const int count = d.trajCount < kMaxTrajectories ? d.trajCount : kMaxTrajectories;
  std::array<float, kMaxTrajPoints> z{}, r{}, rm{};
  for (int i = 1; i <= count; ++i) {
    if (!(d.trajCurrent(i) > 0.0)) continue;
    int n = d.trajNext(i) - 1;
    if (n > kMaxTrajPoints) n = kMaxTrajPoints;
    if (n < 1) continue;
    for (int p = 1; p <= n; ++p) {
      z[p - 1] = saturatedSingle(d.trajZ(i, p));
      r[p - 1] = saturatedSingle(d.trajR(i, p));
      rm[p - 1] = -r[p - 1];
    }
    polyline(c, n, z.data(), r.data());
    polyline(c, n, z.data(), rm.data());
  }
}

void drawEquipotentials(const ViewContext& v, const ProjectData& d) {
  Canvas& c = v.canvas;
  const int lines = d.potLineCount < kMaxPotLines ? d.potLineCount : kMaxPotLines;
  for (int k = 1; k <= lines; ++k) {
    c.setDrawColor(kPurple);
    const int f = d.potFirst(k);
    for (int m = 1; m <= d.potPointCount(k) - 1; ++m) {
      const int a = f + m - 1, b = f + m;
      if (!d.potZ.inRange(a) || !d.potZ.inRange(b)) break;
      mirroredLine(c, d.potZ(a), d.potR(a), d.potZ(b), d.potR(b));
    }
  }
  c.setDrawColor(kBlack);
}

}  // namespace

void drawGeometryView(const ViewContext& v, const ProjectData& data, GeometryToggles shown) {
  setViewDevice(v);
  setWindow(1, 0.0, 1.0, 0.0, 1.0);
  setViewport(1, 0.0, 1.0, 0.0, 1.0);
  const Frame f = chooseFrame(v, data);
  displayState.zWindowStart.store(f.L);
  setWindow(1, f.L, data.zAxisMax, -data.rAxisMax, data.rAxisMax);
  setViewport(1, f.fL, f.fR, f.fB, f.fT);
  displayState.fL.store(f.fL);
  displayState.fR.store(f.fR);
  displayState.fB.store(f.fB);
  displayState.fT.store(f.fT);

  drawZAxis(v, data, f);
  drawOutline(v, data);
  if (shown.beam) drawTrajectories(v, data);
  if (shown.potential) drawEquipotentials(v, data);
}

}  // namespace kelm::klplot
