// potmap.dat written and read back bit for bit, and damaged or hostile files refused whole.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "source/solver/field/potential_map.h"
#include "tests/records/temp_directory.h"
#include "tests/solver/field/analytic_mesh.h"
#include "tests/views/program_thread.h"

namespace kelm::solver {
namespace {

// The layout's checksum, computed here from its definition (FNV-1a, 64 bits).
void rehash(std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (std::size_t k = 0; k + 8 < bytes.size(); ++k) {
    hash ^= static_cast<unsigned char>(bytes[k]);
    hash *= 0x100000001b3ULL;
  }
  for (std::size_t k = 0; k < 8; ++k) bytes[bytes.size() - 8 + k] = static_cast<char>((hash >> (8 * k)) & 0xff);
}

// The file with `size` bytes at `at` set to the little-endian `value`, its checksum made good.
std::function<void(std::string&)> patched(std::size_t at, std::uint64_t value, std::size_t size) {
  return [=](std::string& bytes) {
    for (std::size_t k = 0; k < size; ++k) bytes[at + k] = static_cast<char>((value >> (8 * k)) & 0xff);
    rehash(bytes);
  };
}

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

class PotentialMapFile : public ::testing::Test {
 protected:
  void SetUp() override {
    mesh = testing::quadricMesh(7, 9, 2.5e-5, {-3.0}, {{0, 0, 1, 0, 4e-5, true, 0}});
    // Values no short decimal text would carry exactly.
    for (std::size_t k = 0; k < mesh.nodeCount(); ++k) phi.push_back(0.1 * double(k) - 1e-300 * double(k));
    std::string error;
    ASSERT_TRUE(writePotentialMap("potmap.dat", mesh, phi, error)) << error;
    good = kelm::testing::TempDirectory::readFile("potmap.dat");
  }
  kelm::testing::TempDirectory dir;
  ClassifiedMesh mesh;
  std::vector<double> phi;
  std::string good;
};

TEST_F(PotentialMapFile, ReadsBackExactly) {
  PotentialMap map;
  std::string error;
  ASSERT_TRUE(readPotentialMap("potmap.dat", map, error)) << error;
  EXPECT_EQ(map.nr, 7);
  EXPECT_EQ(map.nz, 9);
  EXPECT_EQ(map.cell_m, 2.5e-5);
  EXPECT_EQ(map.potential_V, phi);
  EXPECT_EQ(good.size(), 28 + 8 * 63 + 8u);
}

struct Damage {
  const char* name;
  std::function<void(std::string&)> apply;
  const char* message;
};

const Damage kDamages[] = {
    {"Empty", [](std::string& b) { b.clear(); }, "too short"},
    {"Truncated", [](std::string& b) { b.resize(b.size() - 1); }, "wrong length"},
    {"TrailingByte", [](std::string& b) { b += '\0'; }, "wrong length"},
    {"FlippedBit", [](std::string& b) { b[100] ^= 1; }, "checksum"},
    {"OtherFile", [](std::string& b) { b[0] = 'X'; }, "not a KELM potential map"},
    {"NewerVersion", patched(8, 2, 4), "unknown version"},
    // A header that claims two billion nodes is refused before anything is allocated.
    {"HugeMesh", patched(12, 0x7fffffff, 4), "mesh size"},
    {"NegativeMesh", patched(16, 0xfffffff0, 4), "mesh size"},
    {"ZeroCell", patched(20, 0, 8), "cell size"},
    {"NanPotential", patched(28 + 8 * 5, bits(std::nan("")), 8), "not a number"},
    {"SignallingNanPotential", patched(28 + 8 * 7, 0x7ff4000000000000ULL, 8), "not a number"},
    {"SignallingNanCell", patched(20, 0xfff6000000000000ULL, 8), "cell size"},
    // Finite, but beyond what the solver writes: kelm-export's sums on them would overflow.
    {"HugeCell", patched(20, bits(1e300), 8), "cell size"},
    {"TinyCell", patched(20, bits(1e-300), 8), "cell size"},
    {"HugePotential", patched(28 + 8 * 2, bits(-1.7e308), 8), "a potential out of range"},
};

// Each damaged file is refused with the file's name and why, and the map keeps what it held;
// with the program thread's floating-point traps on, as KELM reads it.
TEST_F(PotentialMapFile, DamagedFilesAreRefusedWhole) {
  for (const Damage& d : kDamages) {
    SCOPED_TRACE(d.name);
    std::string bytes = good;
    d.apply(bytes);
    kelm::testing::TempDirectory::writeFile("potmap.dat", bytes);
    PotentialMap map{1, 1, 1.0, {42.0}};
    std::string error;
    bool read = true;
    kelm::testing::onProgramThread([&] { read = readPotentialMap("potmap.dat", map, error); });
    EXPECT_FALSE(read);
    EXPECT_NE(error.find("File POTMAP.DAT damaged"), std::string::npos) << error;
    EXPECT_NE(error.find(d.message), std::string::npos) << error;
    EXPECT_EQ(map.potential_V, std::vector<double>{42.0});
  }
}

TEST_F(PotentialMapFile, MissingFilesAndUnwritableMaps) {
  std::filesystem::create_directory("dir.dat");
  PotentialMap map;
  std::string error;
  for (const char* name : {"absent.dat", "dir.dat"}) {
    EXPECT_FALSE(readPotentialMap(name, map, error));
    EXPECT_NE(error.find(" not found"), std::string::npos) << error;
  }
  std::vector<double> bad = phi;
  for (const double value : {std::nan(""), 2e9}) {
    bad[3] = value;
    EXPECT_FALSE(writePotentialMap("potmap.dat", mesh, bad, error)) << value;
  }
  EXPECT_FALSE(writePotentialMap("potmap.dat", mesh, std::vector<double>(3, 0.0), error));
  EXPECT_EQ(kelm::testing::TempDirectory::readFile("potmap.dat"), good);
}

}  // namespace
}  // namespace kelm::solver
