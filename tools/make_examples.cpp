// kelm_make_examples [DIR]: writes the example projects (all six files each) under DIR,
// "examples" by default: simple/, full/ (every store filled to about its capacity) and
// damaged/*, copies of the simple one with one file broken the way a crashed solver leaves it.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "gun_model.h"
#include "records/formatted.h"
#include "records/unformatted.h"
#include "records/units.h"

using namespace kelm;
using kelm::tools::GunModel;

namespace {

enum class Damage { kNone, kGeometryScale, kResultIndex, kPotentialLines };

struct Shape {
  int paths;             // trajectories
  tools::PathSampling sampling;
  int outlinePieces;     // points per mesh step along the electrode outline
  int magSamples;
  int potLevels;
  int potRadialSamples;  // 0: one point per mesh radius
  Damage damage = Damage::kNone;
};

constexpr Shape kSimple{.paths = 12, .sampling = {.every = 40}, .outlinePieces = 1, .magSamples = 121,
                        .potLevels = 9, .potRadialSamples = 0};
// Each path's points spread from the cathode to the end of the mesh, so the beam is whole.
constexpr Shape kFull{.paths = 1000, .sampling = {.spreadOver = tools::kMaxPathPoints}, .outlinePieces = 188,
                      .magSamples = 1000, .potLevels = 100, .potRadialSamples = 300};

constexpr float kMeshScale = static_cast<float>(GunModel::kMeshUnitsPerMillimetre);

bool create(int unit, const char* name, const char* form = "formatted") {
  if (records::openUnit(unit, {.file = name, .status = "REPLACE", .form = form, .action = "write"}) == 0) return true;
  std::fprintf(stderr, "kelm_make_examples: cannot write %s\n", name);
  return false;
}

void writePoint(int code, int ir, int iz, double dr, double dz) {
  (void)records::write(20, "(3I5,5X,2F10.5)", std::int32_t{code}, std::int32_t{ir}, std::int32_t{iz}, dr, dz);
}

// A point between mesh nodes: the reader takes a lone offset whole and two offsets halved.
void writeOffMeshPoint(int code, double r, double z) {
  r = std::round(r * 2000.0) / 2000.0;  // offsets exact in five decimals
  z = std::round(z * 2000.0) / 2000.0;
  const long ir = std::lround(r), iz = std::lround(z);
  const double fr = r - ir, fz = z - iz;
  const int nr = static_cast<int>(ir), nz = static_cast<int>(iz);
  if (fr == 0.0) writePoint(code, nr, nz, 0.0, fz);
  else if (fz == 0.0) writePoint(code, nr, nz, fr, 0.0);
  else writePoint(code, nr, nz, 2.0 * fr, 2.0 * fz);
}

double pointR(const tools::OutlinePoint& p) { return p.ir + p.dr; }
double pointZ(const tools::OutlinePoint& p) { return p.iz + p.dz; }

void writeOutline(const std::vector<tools::OutlinePoint>& list, int pieces) {
  for (std::size_t k = 0; k < list.size(); ++k) {
    const auto& p = list[k];
    writePoint(p.code, p.ir, p.iz, p.dr, p.dz);
    if (k + 1 == list.size()) break;
    const auto& q = list[k + 1];
    for (int j = 1; j < pieces; ++j) {
      const double t = static_cast<double>(j) / pieces;
      writeOffMeshPoint(p.code, pointR(p) + t * (pointR(q) - pointR(p)), pointZ(p) + t * (pointZ(q) - pointZ(p)));
    }
  }
}

void writeGeometry(const GunModel& gun, const Shape& shape) {
  if (!create(20, "geom.dat")) return;
  const float scale = shape.damage == Damage::kGeometryScale ? 0.0f : kMeshScale;
  (void)records::write(20, "('NR = ',I5,' NZ = ',I5,' SCALE=',F7.4)", std::int32_t{GunModel::kRadialNodes},
                       std::int32_t{GunModel::kAxialNodes}, scale);
  writeOutline(gun.cathodeAndFocus, shape.outlinePieces);
  writePoint(701, 0, 0, 0.0, 0.0);
  writeOutline(gun.anode, shape.outlinePieces);
  writePoint(999, 0, 0, 0.0, 0.0);
  records::closeUnit(20);
}

void writeMagneticField(const Shape& shape) {
  if (!create(22, "mag.dat")) return;
  (void)records::write(22, "('N= ',I6)", std::int32_t{shape.magSamples});
  const double length = 60.0;
  for (int k = 0; k < shape.magSamples; ++k) {
    const double z = k * length / (shape.magSamples - 1);
    (void)records::write(22, "('Z= ',E12.4,' B= ',E12.4)", static_cast<float>(z),
                         static_cast<float>(tools::solenoidField(z)));
  }
  records::closeUnit(22);
}

void writeList(const char* word, const std::vector<float>& values) {
  records::FormattedTransfer list(23, nullptr, false);
  list.out(word);
  for (float v : values) list.out(v);
  (void)list.end();
}

void writeEquipotentials(const GunModel& gun, const Shape& shape) {
  if (!create(23, "pot.dat")) return;
  const int levels = shape.potLevels;
  const int declared = shape.damage == Damage::kPotentialLines ? 101 : levels;
  (void)records::write(23, "('LINES=',I4)", std::int32_t{declared});
  const int radii = shape.potRadialSamples > 0 ? shape.potRadialSamples : GunModel::kRadialNodes - 1;
  const double radialStep = (GunModel::kRadialNodes - 1.0) / radii;
  for (int level = 1; level <= levels; ++level) {
    const double volts = gun.anodeVolts * level / (levels + 1);
    // Where the potential first rises through the level along z, for each radius.
    std::vector<float> zs, rs;
    for (int k = 0; k < radii; ++k) {
      const double r = k * radialStep;
      for (double z = 10.0; z < 70.0; z += 1.0) {
        const double v0 = gun.interpolated(r, z), v1 = gun.interpolated(r, z + 1.0);
        if (v0 < volts && v1 >= volts) {
          zs.push_back(static_cast<float>(z + (volts - v0) / (v1 - v0)));
          rs.push_back(static_cast<float>(r));
          break;
        }
      }
    }
    (void)records::write(23, "('V=',F15.3,' N=',I5)", volts, static_cast<std::int32_t>(zs.size()));
    writeList("Z", zs);
    writeList("R", rs);
  }
  records::closeUnit(23);
}

void writeResult(const GunModel& gun, const Shape& shape) {
  if (!create(21, "klplt.res", "unformatted")) return;
  const auto paths = tools::tracePaths(gun, shape.paths, shape.sampling);
  (void)records::writeUnformatted(21, std::int32_t{25});
  (void)records::writeUnformatted(21, static_cast<std::int32_t>(paths.size()));
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const auto& p = paths[i];
    (void)records::writeUnformatted(21, static_cast<std::int32_t>(i + 1), p.r[0], p.z[0], p.density, p.current);
  }
  // Points of all paths interleaved, as the solver writes them step by step.
  for (std::size_t n = 1; n < tools::kMaxPathPoints; ++n) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (n < paths[i].r.size()) {
        (void)records::writeUnformatted(21, static_cast<std::int32_t>(i + 1), paths[i].r[n], paths[i].z[n]);
      }
    }
    // A record of a trajectory the file never announced.
    if (n == 20 && shape.damage == Damage::kResultIndex) {
      (void)records::writeUnformatted(21, std::int32_t{1001}, 1.0, 1.0);
    }
  }
  (void)records::writeUnformatted(21, std::int32_t{0}, 0.0, 0.0);
  records::closeUnit(21);
}

// The solver's inputs are free text that only the user's editor opens.
// The gun above in KELM's description language, and the solver's input for it.
constexpr char kGunDescription[] = R"(# The example gun: a flat cathode in a 45 degree focusing electrode, an anode plate with an
# aperture on the axis and a drift tube behind it. Lengths in mm, potentials in V.

mesh r 20 z 60 cell 0.5          # 41 x 121 nodes

edge zmin held 0                 # behind the cathode
edge rmax open                   # zero normal field
edge zmax open

# Cathode and focusing electrode in one piece at cathode potential. The face at z = 5 from
# the axis out to r = 4 emits; the focusing face rises from its rim at 45 degrees.
electrode cathode 0
  from  0  0
  line  0  5
  line  4  5   emitting          # flat cathode, 8 mm across
  line 11 12                     # focusing face
  line 12 12
  line  5  5                     # its back, 1 mm behind
  line 20  5
  line 20  0
  close
end

# Anode: a plate 1 mm thick with a 6 mm aperture, and the drift tube along the outer edge.
electrode anode 10000
  from  3 35
  line 20 35
  line 20 60
  line 19 60
  line 19 36
  line  3 36
  close
end
)";
constexpr char kSolverInputHead[] = R"(# Solver input for the example gun.
levels 1000 2000 3000 4000 5000 6000 7000 8000 9000    # equipotentials drawn, in V
)";
constexpr char kSolverInputTail[] = R"(emission space-charge
iterations 25
relaxation 0.5
tolerance 0.001
magfield mag.dat                 # the focusing solenoid's field, as given
)";

void writeText(const char* name, const char* text) {
  std::ofstream(name) << text;
}

void writeProject(const std::filesystem::path& dir, const GunModel& gun, const Shape& shape) {
  const auto home = std::filesystem::current_path();
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  writeGeometry(gun, shape);
  writeMagneticField(shape);
  writeEquipotentials(gun, shape);
  writeResult(gun, shape);
  writeText("geom.cod", kGunDescription);
  writeText("klinput.dat", (std::string(kSolverInputHead) + "trajectories " + std::to_string(shape.paths) + "\n" +
                            kSolverInputTail).c_str());
  std::printf("kelm_make_examples: wrote %s\n", std::filesystem::current_path().c_str());
  std::filesystem::current_path(home);
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path root = argc > 1 ? argv[1] : "examples";
  GunModel gun = tools::buildGun();
  tools::solveLaplace(gun, 600);
  writeProject(root / "simple", gun, kSimple);
  writeProject(root / "full", gun, kFull);
  Shape broken = kSimple;
  for (auto [name, damage] : {std::pair{"geom-scale-zero", Damage::kGeometryScale},
                              std::pair{"result-unknown-trajectory", Damage::kResultIndex},
                              std::pair{"pot-too-many-lines", Damage::kPotentialLines}}) {
    broken.damage = damage;
    writeProject(root / "damaged" / name, gun, broken);
  }
  return 0;
}
