// kelm_make_examples DIR: writes a complete example project (all six files) into DIR.
#include <unistd.h>

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

constexpr float kMeshScale = 2.0f;  // mesh units per millimetre

bool create(int unit, const char* name, const char* form = "formatted") {
  if (records::openUnit(unit, {.file = name, .status = "REPLACE", .form = form, .action = "write"}) == 0) return true;
  std::fprintf(stderr, "kelm_make_examples: cannot write %s\n", name);
  return false;
}

void writeGeometry(const GunModel& gun) {
  if (!create(20, "geom.dat")) return;
  (void)records::write(20, "('NR = ',I5,' NZ = ',I5,' SCALE=',F7.4)", std::int32_t{GunModel::kRadialNodes},
                       std::int32_t{GunModel::kAxialNodes}, kMeshScale);
  auto points = [](const std::vector<tools::OutlinePoint>& list) {
    for (const auto& p : list) {
      (void)records::write(20, "(3I5,5X,2F10.5)", std::int32_t{p.code}, std::int32_t{p.ir}, std::int32_t{p.iz}, p.dr, p.dz);
    }
  };
  points(gun.cathodeAndFocus);
  (void)records::write(20, "(3I5,5X,2F10.5)", std::int32_t{701}, std::int32_t{0}, std::int32_t{0}, 0.0, 0.0);
  points(gun.anode);
  (void)records::write(20, "(3I5,5X,2F10.5)", std::int32_t{999}, std::int32_t{0}, std::int32_t{0}, 0.0, 0.0);
  records::closeUnit(20);
}

void writeMagneticField() {
  if (!create(22, "mag.dat")) return;
  // On-axis field of a solenoid from z = 80 to 160 mm with a 30 mm radius, 1200 gauss inside.
  constexpr int kSamples = 121;
  (void)records::write(22, "('N= ',I6)", std::int32_t{kSamples});
  for (int k = 0; k < kSamples; ++k) {
    const double z = k * 0.5;
    const double a = 30.0 / 2.0, z1 = 40.0, z2 = 60.0;
    const double b = 600.0 * ((z - z1) / std::hypot(z - z1, a) - (z - z2) / std::hypot(z - z2, a));
    (void)records::write(22, "('Z= ',E12.4,' B= ',E12.4)", static_cast<float>(z), static_cast<float>(b));
  }
  records::closeUnit(22);
}

void writeList(const char* word, const std::vector<float>& values) {
  records::FormattedTransfer list(23, nullptr, false);
  list.out(word);
  for (float v : values) list.out(v);
  (void)list.end();
}

void writeEquipotentials(const GunModel& gun) {
  if (!create(23, "pot.dat")) return;
  constexpr int kLevels = 9;
  (void)records::write(23, "('LINES=',I4)", std::int32_t{kLevels});
  for (int level = 1; level <= kLevels; ++level) {
    const double volts = gun.anodeVolts * level / (kLevels + 1);
    // Where the potential first rises through the level along z, for each radius.
    std::vector<float> zs, rs;
    for (int ir = 0; ir < GunModel::kRadialNodes - 1; ++ir) {
      for (int iz = 10; iz < 70; ++iz) {
        const double v0 = gun.at(ir, iz), v1 = gun.at(ir, iz + 1);
        if (v0 < volts && v1 >= volts) {
          zs.push_back(static_cast<float>(iz + (volts - v0) / (v1 - v0)));
          rs.push_back(static_cast<float>(ir));
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

void writeResult(const GunModel& gun) {
  if (!create(21, "klplt.res", "unformatted")) return;
  const auto paths = tools::tracePaths(gun, 12);
  (void)records::writeUnformatted(21, std::int32_t{25});
  (void)records::writeUnformatted(21, static_cast<std::int32_t>(paths.size()));
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const auto& p = paths[i];
    (void)records::writeUnformatted(21, static_cast<std::int32_t>(i + 1), p.r[0], p.z[0], p.density, p.current);
  }
  // Points of all paths interleaved, as the solver writes them step by step.
  for (std::size_t n = 1; n < 299; ++n) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (n < paths[i].r.size()) {
        (void)records::writeUnformatted(21, static_cast<std::int32_t>(i + 1), paths[i].r[n], paths[i].z[n]);
      }
    }
  }
  (void)records::writeUnformatted(21, std::int32_t{0}, 0.0, 0.0);
  records::closeUnit(21);
}

// The solver's inputs are free text that only the user's editor opens.
void writeText(const char* name, const char* text) {
  std::ofstream(name) << text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path target = argc > 1 ? argv[1] : "examples/simple";
  std::filesystem::create_directories(target);
  std::filesystem::current_path(target);
  GunModel gun = tools::buildGun();
  tools::solveLaplace(gun, 600);
  writeGeometry(gun);
  writeMagneticField();
  writeEquipotentials(gun);
  writeResult(gun);
  writeText("geom.cod",
            "* Example gun: flat cathode, 45 degree focusing electrode, anode with aperture\n"
            "MESH  NR=41  NZ=121  SCALE=2.0\n"
            "ELECTRODE 1  V=0      LINE 0 10  8 10  22 24\n"
            "ELECTRODE 2  V=10000  LINE 6 70  40 70\n"
            "END\n");
  writeText("klinput.dat",
            "* Solver input for the example gun\n"
            "ITERATIONS   25\n"
            "TRAJECTORIES 12\n"
            "EMISSION     CHILD\n"
            "MAGFIELD     mag.dat\n");
  std::printf("kelm_make_examples: wrote %s\n", std::filesystem::current_path().c_str());
  return 0;
}
