// potmap.dat, version 1: all numbers little-endian.
//
//   offset  size      field
//   0       8         magic "KELMPOT\0"
//   8       4         version, uint32 (1)
//   12      4         nr, int32: nodes along r, at least 2
//   16      4         nz, int32: nodes along z, at least 2; nr·nz at most kMaxFieldNodes
//   20      8         cell size h in metres, IEEE double, within geom.cod's cell sizes
//   28      8·nr·nz   potential in volts per node, IEEE double, node (ir, iz) at iz·nr + ir,
//                     at most kMaxFieldPotential_V in magnitude
//   end−8   8         FNV-1a 64-bit hash of every byte before it
//
// Node (ir, iz) lies at r = ir·h, z = iz·h. A reader takes a file only when its size is exactly
// what the header says and the hash matches, so a truncated or altered file is refused whole, and
// only with values the solver can write, so that a crafted file cannot overflow its users' sums.
#include "source/solver/field/potential_map.h"

#include <bit>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "runtime/whole_file.h"
#include "source/solver/field/field_operator.h"
#include "source/solver/geometry/gun_description.h"

namespace kelm::solver {
namespace {

constexpr char kMagic[8] = {'K', 'E', 'L', 'M', 'P', 'O', 'T', '\0'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 28;
constexpr std::size_t kHashBytes = 8;

void putUnsigned(std::string& out, std::uint64_t value, int bytes) {
  for (int k = 0; k < bytes; ++k) out += static_cast<char>((value >> (8 * k)) & 0xff);
}

std::uint64_t getUnsigned(std::string_view in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int k = 0; k < bytes; ++k)
    value |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[at + static_cast<std::size_t>(k)])) << (8 * k);
  return value;
}

// Finiteness from the bits: comparing a signalling NaN from a hostile file would trap.
bool finiteBits(std::uint64_t bits) { return ((bits >> 52) & 0x7ff) != 0x7ff; }

// With a hair of slack, for a mesh that converts geom.cod's millimetres another way.
bool cellInRange(double cell_m) {
  return cell_m >= kMinCell_mm * (1e-3 - 1e-12) && cell_m <= kMaxCell_mm * (1e-3 + 1e-12);
}

bool potentialInRange(std::uint64_t bits) {
  return finiteBits(bits) && std::fabs(std::bit_cast<double>(bits)) <= kMaxFieldPotential_V;
}

std::string fileLabel(const std::string& path) {
  std::string name = std::filesystem::path(path).filename().string();
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return "File " + name;
}

bool damaged(const std::string& path, const char* why, std::string& error) {
  error = fileLabel(path) + " damaged: " + why;
  return false;
}

// The payload after the header: checks everything a hostile file could lie about before any
// allocation that depends on it.
bool parse(const std::string& path, std::string_view bytes, PotentialMap& map, std::string& error) {
  if (bytes.size() < kHeaderBytes + kHashBytes) return damaged(path, "too short", error);
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
    return damaged(path, "not a KELM potential map", error);
  if (getUnsigned(bytes, 8, 4) != kVersion) return damaged(path, "unknown version", error);
  const auto nr = static_cast<std::int32_t>(getUnsigned(bytes, 12, 4));
  const auto nz = static_cast<std::int32_t>(getUnsigned(bytes, 16, 4));
  const std::uint64_t cellBits = getUnsigned(bytes, 20, 8);
  if (nr < 2 || nz < 2 || static_cast<std::uint64_t>(nr) * static_cast<std::uint64_t>(nz) > kMaxFieldNodes)
    return damaged(path, "mesh size out of range", error);
  const double cell = std::bit_cast<double>(cellBits);
  if (!finiteBits(cellBits) || !cellInRange(cell)) return damaged(path, "cell size out of range", error);
  const std::size_t nodes = static_cast<std::size_t>(nr) * static_cast<std::size_t>(nz);
  if (bytes.size() != kHeaderBytes + 8 * nodes + kHashBytes) return damaged(path, "wrong length", error);
  const std::size_t hashAt = bytes.size() - kHashBytes;
  if (getUnsigned(bytes, hashAt, 8) != potentialMapChecksum(bytes.substr(0, hashAt)))
    return damaged(path, "checksum mismatch", error);
  std::vector<double> potential(nodes);
  for (std::size_t k = 0; k < nodes; ++k) {
    const std::uint64_t bits = getUnsigned(bytes, kHeaderBytes + 8 * k, 8);
    if (!finiteBits(bits)) return damaged(path, "a potential is not a number", error);
    if (!potentialInRange(bits)) return damaged(path, "a potential out of range", error);
    potential[k] = std::bit_cast<double>(bits);
  }
  map = {nr, nz, cell, std::move(potential)};
  return true;
}

}  // namespace

std::uint64_t potentialMapChecksum(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;  // FNV-1a
  for (const char c : bytes) {
    hash ^= std::uint64_t{static_cast<unsigned char>(c)};
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

bool potentialMapBytes(const ClassifiedMesh& mesh, std::span<const double> potential_V, std::string& bytes,
                       std::string& error) {
  if (mesh.nr < 2 || mesh.nz < 2 || mesh.nodeCount() > kMaxFieldNodes ||
      !cellInRange(mesh.cell_m) || potential_V.size() != mesh.nodeCount()) {
    error = "the potential does not match the mesh";
    return false;
  }
  bytes.assign(kMagic, sizeof kMagic);
  bytes.reserve(kHeaderBytes + 8 * potential_V.size() + kHashBytes);
  putUnsigned(bytes, kVersion, 4);
  putUnsigned(bytes, static_cast<std::uint32_t>(mesh.nr), 4);
  putUnsigned(bytes, static_cast<std::uint32_t>(mesh.nz), 4);
  putUnsigned(bytes, std::bit_cast<std::uint64_t>(mesh.cell_m), 8);
  for (double v : potential_V) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    if (!potentialInRange(bits)) {
      error = "the potential is not a number or out of range at some node";
      return false;
    }
    putUnsigned(bytes, bits, 8);
  }
  putUnsigned(bytes, potentialMapChecksum(bytes), 8);
  return true;
}

bool writePotentialMap(const std::string& path, const ClassifiedMesh& mesh,
                       std::span<const double> potential_V, std::string& error) {
  std::string bytes;
  return potentialMapBytes(mesh, potential_V, bytes, error) && runtime::writeWholeFile(path, bytes, error);
}

bool readPotentialMap(const std::string& path, PotentialMap& map, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = fileLabel(path) + " not found";
    return false;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    error = fileLabel(path) + " not found";
    return false;
  }
  if (size > kHeaderBytes + 8 * kMaxFieldNodes + kHashBytes) return damaged(path, "too long", error);
  std::ifstream in(path, std::ios::binary);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())) || in.peek() != EOF)
    return damaged(path, "cannot be read whole", error);
  return parse(path, bytes, map, error);
}

bool parsePotentialMap(std::string_view bytes, PotentialMap& map, std::string& error) {
  return parse("potmap.dat", bytes, map, error);
}

}  // namespace kelm::solver
