#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "source/solver/geometry/arc_geometry.h"
#include "source/solver/geometry/gun_description.h"

namespace kelm::solver {
namespace {

std::string mm(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g mm", v);
  return text;
}

// The state of a parse: what has been seen, so that order and repetition can be checked.
struct Parse {
  GunDescription& gun;
  Diagnostic& error;
  int meshLine = 0;
  int edgeLine[3] = {0, 0, 0};
  int cathodeLine = 0;
  int fromLine = 0;
  bool inElectrode = false;
  bool hasStart = false;
  PointMm start{}, pen{};  // the outline's first point and where the next segment begins

  bool fail(const Word& w, std::string message) {
    error = diagnosticAt(w, std::move(message));
    return false;
  }
};

bool quantizeCell(Parse& p, const Word& at, double cell) {
  if (cell < kMinCell_mm || cell > kMaxCell_mm)
    return p.fail(at, "cell size " + mm(cell) + " outside " + mm(kMinCell_mm) + " to " + mm(kMaxCell_mm));
  // geom.dat keeps nodes per mm in four decimals; the mesh uses exactly that scale, so every
  // coordinate the views read back lands where the mesh builder put it.
  p.gun.mesh.nodesPerMm = std::round(1e4 / cell) / 1e4;
  p.gun.mesh.cell_mm = 1.0 / p.gun.mesh.nodesPerMm;
  return true;
}

bool checkMeshSize(Parse& p, const Word& at) {
  const MeshExtent& m = p.gun.mesh;
  const std::string size = std::to_string(m.nr) + " x " + std::to_string(m.nz) + " nodes";
  if (m.nr > kMaxMeshNodesAlong || m.nz > kMaxMeshNodesAlong)
    return p.fail(at, "mesh size " + size + " exceeds " + std::to_string(kMaxMeshNodesAlong) + " nodes along r or z");
  if (static_cast<long>(m.nr) * m.nz > kMaxMeshNodes)
    return p.fail(at, "mesh size " + size + " exceeds " + std::to_string(kMaxMeshNodes) + " nodes");
  return true;
}

// mesh r <mm> z <mm> cell <mm>   |   mesh r <mm> z <mm> nodes <nr> <nz>
bool meshStatement(Parse& p, StatementReader& s) {
  const Word& head = s.last();
  if (p.meshLine) return p.fail(head, "mesh already given at line " + std::to_string(p.meshLine));
  if (!p.gun.electrodes.empty()) return p.fail(head, "the mesh must be given before the electrodes");
  MeshExtent& m = p.gun.mesh;
  double r = 0, z = 0;
  if (!s.keyword("r", p.error) || !s.positive(r, "radial extent", kMaxLength_mm, p.error)) return false;
  if (!s.keyword("z", p.error) || !s.positive(z, "axial extent", kMaxLength_mm, p.error)) return false;
  if (s.optionalKeyword("cell")) {
    double cell = 0;
    if (!s.positive(cell, "cell size", kMaxLength_mm, p.error)) return false;
    if (!quantizeCell(p, s.last(), cell)) return false;
    // Enough nodes to cover the extent; the mesh may reach a little beyond it.
    const double cellsR = std::ceil(r / m.cell_mm - 1e-6), cellsZ = std::ceil(z / m.cell_mm - 1e-6);
    m.nr = static_cast<int>(std::min(cellsR, 1e9)) + 1;
    m.nz = static_cast<int>(std::min(cellsZ, 1e9)) + 1;
  } else if (s.optionalKeyword("nodes")) {
    if (!s.integer(m.nr, "radial node count", 3, 1'000'000'000, p.error)) return false;
    const Word& nrWord = s.last();
    if (!s.integer(m.nz, "axial node count", 3, 1'000'000'000, p.error)) return false;
    const double cellR = r / (m.nr - 1), cellZ = z / (m.nz - 1);
    if (std::fabs(cellR - cellZ) > 1e-6 * cellR)
      return p.fail(nrWord, "cells must be square: " + mm(cellR) + " along r, " + mm(cellZ) + " along z");
    if (!quantizeCell(p, nrWord, cellR)) return false;
  } else {
    if (s.atEnd()) p.error = s.missing("'cell' or 'nodes'");
    else p.error = diagnosticAt(s.peek(), "expected 'cell' or 'nodes', found '" + std::string(s.peek().text) + "'");
    return false;
  }
  if (!checkMeshSize(p, head)) return false;
  m.rExtent_mm = (m.nr - 1) * m.cell_mm;
  m.zExtent_mm = (m.nz - 1) * m.cell_mm;
  p.meshLine = head.line;
  return s.finished(p.error);
}

// edge rmax|zmin|zmax held <V> | open
bool edgeStatement(Parse& p, StatementReader& s) {
  static constexpr const char* kNames[3] = {"rmax", "zmin", "zmax"};
  if (s.atEnd()) {
    p.error = s.missing("'rmax', 'zmin' or 'zmax'");
    return false;
  }
  const Word& which = s.peek();
  int k = 0;
  while (k < 3 && !isKeyword(which, kNames[k])) ++k;
  if (k == 3) return p.fail(which, "expected 'rmax', 'zmin' or 'zmax', found '" + std::string(which.text) + "'");
  s.optionalKeyword(kNames[k]);
  if (p.edgeLine[k]) return p.fail(which, std::string("edge ") + kNames[k] + " already given at line " + std::to_string(p.edgeLine[k]));
  EdgeCondition& edge = k == 0 ? p.gun.rMaxEdge : k == 1 ? p.gun.zMinEdge : p.gun.zMaxEdge;
  if (s.optionalKeyword("held")) {
    edge.held = true;
    if (!s.number(edge.potential_V, "potential", -kMaxPotential_V, kMaxPotential_V, p.error)) return false;
  } else if (!s.optionalKeyword("open")) {
    if (s.atEnd()) p.error = s.missing("'held' or 'open'");
    else p.error = diagnosticAt(s.peek(), "expected 'held' or 'open', found '" + std::string(s.peek().text) + "'");
    return false;
  }
  p.edgeLine[k] = which.line;
  return s.finished(p.error);
}

// electrode <name> <V>
bool electrodeStatement(Parse& p, StatementReader& s) {
  const Word& head = s.last();
  if (!p.meshLine) return p.fail(head, "the mesh must be given before the electrodes");
  if (p.inElectrode) return p.fail(head, "electrode '" + p.gun.electrodes.back().name + "' has no 'end'");
  if (static_cast<int>(p.gun.electrodes.size()) >= kMaxElectrodes)
    return p.fail(head, "too many electrodes: at most " + std::to_string(kMaxElectrodes));
  ElectrodeOutline e;
  std::string_view name;
  if (!s.word(name, "electrode name", p.error)) return false;
  for (const auto& other : p.gun.electrodes)
    if (other.name == name)
      return p.fail(s.last(), "electrode '" + std::string(name) + "' already described at line " + std::to_string(other.line));
  e.name = name;
  if (!s.number(e.potential_V, "potential", -kMaxPotential_V, kMaxPotential_V, p.error)) return false;
  e.line = head.line;
  p.gun.electrodes.push_back(std::move(e));
  p.inElectrode = true;
  p.hasStart = false;
  return s.finished(p.error);
}

bool point(Parse& p, StatementReader& s, PointMm& out) {
  const MeshExtent& m = p.gun.mesh;
  if (!s.number(out.r, "r", -kMaxLength_mm, kMaxLength_mm, p.error)) return false;
  const Word& at = s.last();
  if (!s.number(out.z, "z", -kMaxLength_mm, kMaxLength_mm, p.error)) return false;
  const double slack = 1e-3 * m.cell_mm;
  if (out.r < 0 || out.z < 0 || out.r > m.rExtent_mm + slack || out.z > m.zExtent_mm + slack)
    return p.fail(at, "point (" + mm(out.r) + ", " + mm(out.z) + ") lies outside the mesh (r 0 to " +
                          mm(m.rExtent_mm) + ", z 0 to " + mm(m.zExtent_mm) + ")");
  return true;
}

bool outlineOpen(Parse& p, const Word& head) {
  if (!p.inElectrode) return p.fail(head, "'" + std::string(head.text) + "' outside an electrode");
  return true;
}

// from <r> <z>
bool fromStatement(Parse& p, StatementReader& s) {
  const Word& head = s.last();
  if (!outlineOpen(p, head)) return false;
  if (p.hasStart) return p.fail(head, "the outline already starts at line " + std::to_string(p.fromLine) + "; one 'from' per electrode");
  if (!point(p, s, p.start)) return false;
  p.pen = p.start;
  p.hasStart = true;
  p.fromLine = head.line;
  return s.finished(p.error);
}

// A rim typed to a few digits (z = 6.3397 for 6.33974596...) lies a little off the sphere
// that the end nearer the axis puts on the axis; that far off it is taken as meant to be on it.
constexpr double kRimTolerance = 1e-4;

// Centres an emitting arc on the axis, at its radius from the end nearer the axis, moving the
// other end onto that sphere when it is off by at most kRimTolerance of the radius.
bool centreOnAxis(Parse& p, const Word& at, OutlineSegment& seg) {
  const bool fromFixed = seg.from.r <= seg.to.r;
  const PointMm fixed = fromFixed ? seg.from : seg.to;
  PointMm& rim = fromFixed ? seg.to : seg.from;
  const double radius = seg.radius_mm;
  if (!(fixed.r < radius)) return p.fail(at, "a spherical cathode is centred on the axis");
  const double rise = std::sqrt(radius * radius - fixed.r * fixed.r);
  // Of the two places on the axis, the one on the side the arc turns to.
  const double up = fixed.z + rise, down = fixed.z - rise;
  const PointMm centre{0.0, std::fabs(up - seg.centre.z) <= std::fabs(down - seg.centre.z) ? up : down};
  const double distance = std::hypot(rim.r, rim.z - centre.z);
  if (!(std::fabs(distance - radius) <= kRimTolerance * radius)) {
    char where[200];
    std::snprintf(where, sizeof where, "%g mm off the sphere of radius %g mm centred on the axis at z = %g mm",
                  std::fabs(distance - radius), radius, centre.z);
    std::string text = "a spherical cathode is centred on the axis: its end (" + mm(rim.r) + ", " + mm(rim.z) +
                       ") lies " + where + ", more than " + mm(kRimTolerance * radius) + " (1e-4 of the radius)";
    if (rim.r < radius) {
      const double along = std::sqrt(radius * radius - rim.r * rim.r);
      const double z = std::fabs(centre.z - along - rim.z) <= std::fabs(centre.z + along - rim.z) ? centre.z - along
                                                                                                  : centre.z + along;
      char on[96];
      std::snprintf(on, sizeof on, "; at r = %g mm the sphere passes z = %.10g mm", rim.r, z);
      text += on;
    }
    return p.fail(at, text);
  }
  rim = {centre.r + (rim.r - centre.r) * radius / distance, centre.z + (rim.z - centre.z) * radius / distance};
  seg.centre = centre;
  if (fromFixed) return true;
  // The arc's start moved: the outline must still run through it.
  ElectrodeOutline& e = p.gun.electrodes.back();
  if (e.segments.empty()) {
    p.start = rim;
    return true;
  }
  OutlineSegment& before = e.segments.back();
  before.to = rim;
  if (before.kind == OutlineSegment::Kind::kArc) before.centre = arcCentre(before.from, rim, before.radius_mm, before.ccw);
  return true;
}

bool checkCathode(Parse& p, const Word& at, OutlineSegment& seg) {
  if (p.cathodeLine) return p.fail(at, "only one segment may emit; the cathode is at line " + std::to_string(p.cathodeLine));
  CathodeSurface& c = p.gun.cathode;
  const double tiny = 1e-6 * p.gun.mesh.cell_mm;
  if (seg.kind == OutlineSegment::Kind::kLine) {
    if (std::fabs(seg.from.z - seg.to.z) > tiny) return p.fail(at, "a flat cathode runs at constant z");
    c.shape = CathodeSurface::Shape::kFlat;
  } else {
    if (std::fabs(seg.centre.r) > tiny && !centreOnAxis(p, at, seg)) return false;
    const PointMm& nearAxis = seg.from.r <= seg.to.r ? seg.from : seg.to;
    const PointMm& rim = seg.from.r <= seg.to.r ? seg.to : seg.from;
    if (seg.centre.z <= nearAxis.z + tiny)
      return p.fail(at, "a spherical cathode is concave: its centre lies downstream, at larger z");
    // Past the sphere's equator the rim would face upstream, away from the gap.
    if (seg.centre.z < rim.z - tiny)
      return p.fail(at, "a spherical cathode reaches at most 90 degrees from the axis: its rim at z = " + mm(rim.z) +
                            " lies downstream of its centre at z = " + mm(seg.centre.z));
    c.shape = CathodeSurface::Shape::kSpherical;
  }
  c.electrode = static_cast<int>(p.gun.electrodes.size()) - 1;
  c.segment = static_cast<int>(p.gun.electrodes.back().segments.size());
  p.cathodeLine = at.line;
  return true;
}

bool addSegment(Parse& p, const Word& head, OutlineSegment seg, bool emitting) {
  ElectrodeOutline& e = p.gun.electrodes.back();
  if (static_cast<int>(e.segments.size()) >= kMaxOutlineSegments)
    return p.fail(head, "outline length: electrode '" + e.name + "' has more than " + std::to_string(kMaxOutlineSegments) + " segments");
  if (std::hypot(seg.to.r - seg.from.r, seg.to.z - seg.from.z) <= 1e-6 * p.gun.mesh.cell_mm)
    return p.fail(head, "segment has zero length");
  seg.line = head.line;
  if (emitting && !checkCathode(p, head, seg)) return false;
  e.segments.push_back(seg);
  p.pen = seg.to;
  return true;
}

// line <r> <z> [emitting]   |   arc <r> <z> radius <mm> cw|ccw [emitting]
bool segmentStatement(Parse& p, StatementReader& s, bool arc) {
  const Word& head = s.last();
  if (!outlineOpen(p, head)) return false;
  if (!p.hasStart) return p.fail(head, "the outline needs a 'from' point first");
  OutlineSegment seg;
  seg.from = p.pen;
  if (!point(p, s, seg.to)) return false;
  if (arc) {
    seg.kind = OutlineSegment::Kind::kArc;
    if (!s.keyword("radius", p.error) || !s.positive(seg.radius_mm, "arc radius", kMaxLength_mm, p.error)) return false;
    const Word& radiusWord = s.last();
    if (s.optionalKeyword("cw")) seg.ccw = false;
    else if (!s.optionalKeyword("ccw")) {
      if (s.atEnd()) p.error = s.missing("'cw' or 'ccw'");
      else p.error = diagnosticAt(s.peek(), "expected 'cw' or 'ccw', found '" + std::string(s.peek().text) + "'");
      return false;
    }
    const double chord = std::hypot(seg.to.r - seg.from.r, seg.to.z - seg.from.z);
    if (chord > 2.0 * seg.radius_mm * (1.0 + 1e-9))
      return p.fail(radiusWord, "arc radius " + mm(seg.radius_mm) + " is less than half the distance between its ends (" + mm(chord / 2) + ")");
    seg.centre = arcCentre(seg.from, seg.to, seg.radius_mm, seg.ccw);
    const ArcSpan span = arcSpan(seg);
    const MeshExtent& m = p.gun.mesh;
    const double slack = 1e-3 * m.cell_mm;
    if (span.rMin < -slack || span.zMin < -slack || span.rMax > m.rExtent_mm + slack || span.zMax > m.zExtent_mm + slack)
      return p.fail(head, "arc leaves the mesh");
  }
  const bool emitting = s.optionalKeyword("emitting");
  if (!s.finished(p.error)) return false;
  return addSegment(p, head, seg, emitting);
}

bool closeOrEnd(Parse& p, StatementReader& s, bool close) {
  const Word& head = s.last();
  if (!outlineOpen(p, head)) return false;
  if (!s.finished(p.error)) return false;
  ElectrodeOutline& e = p.gun.electrodes.back();
  if (close) {
    if (e.segments.empty()) return p.fail(head, "nothing to close: the outline has no segments");
    const double gap = std::hypot(p.pen.r - p.start.r, p.pen.z - p.start.z);
    if (gap > 1e-6 * p.gun.mesh.cell_mm) {
      OutlineSegment seg;
      seg.from = p.pen;
      seg.to = p.start;
      if (!addSegment(p, head, seg, false)) return false;
    } else {
      e.segments.back().to = p.start;
    }
    e.closed = true;
    return true;
  }
  if (e.segments.empty()) return p.fail(head, "electrode '" + e.name + "' has no segments");
  p.inElectrode = false;
  return true;
}

bool afterClose(Parse& p, const Word& head) {
  if (p.inElectrode && p.gun.electrodes.back().closed)
    return p.fail(head, "the outline is closed; only 'end' may follow");
  return true;
}

bool statement(Parse& p, const std::vector<Word>& words) {
  StatementReader s(words);
  const Word& head = s.peek();
  std::string_view ignored;
  (void)s.word(ignored, "", p.error);
  const bool closing = isKeyword(head, "end");
  if (!closing && !afterClose(p, head)) return false;
  if (isKeyword(head, "mesh")) return meshStatement(p, s);
  if (isKeyword(head, "edge")) return edgeStatement(p, s);
  if (isKeyword(head, "electrode")) return electrodeStatement(p, s);
  if (isKeyword(head, "from")) return fromStatement(p, s);
  if (isKeyword(head, "line")) return segmentStatement(p, s, false);
  if (isKeyword(head, "arc")) return segmentStatement(p, s, true);
  if (isKeyword(head, "close")) return closeOrEnd(p, s, true);
  if (closing) return closeOrEnd(p, s, false);
  return p.fail(head, "unknown statement '" + std::string(head.text) + "'");
}

}  // namespace

bool parseGunDescription(std::string_view text, GunDescription& gun, Diagnostic& error) {
  gun = GunDescription{};
  std::vector<std::vector<Word>> statements;
  if (!splitStatements(text, statements, error)) return false;
  Parse p{.gun = gun, .error = error};
  for (const auto& words : statements) {
    if (!statement(p, words)) return false;
    ++gun.statements;
  }
  const int after = statements.empty() ? 1 : statements.back().front().line + 1;
  if (p.inElectrode) {
    error = {p.gun.electrodes.back().line, 1, "electrode '" + p.gun.electrodes.back().name + "' has no 'end'"};
    return false;
  }
  if (!p.meshLine) {
    error = {after, 1, "no mesh statement"};
    return false;
  }
  if (gun.electrodes.empty()) {
    error = {after, 1, "no electrode"};
    return false;
  }
  return true;
}

}  // namespace kelm::solver
