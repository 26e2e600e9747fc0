#include "source/solver/geometry/geometry_file.h"

#include <cmath>
#include <cstdint>
#include <string_view>

#include "records/formatted.h"
#include "runtime/fixed_text.h"

namespace kelm::solver {
namespace {

constexpr int kEndCode = 999;

void appendRecord(std::string& text, std::span<const char> record) {
  std::string_view line(record.data(), record.size());
  const auto last = line.find_last_not_of(' ');
  text.append(line.substr(0, last == std::string_view::npos ? 0 : last + 1));
  text.push_back('\n');
}

void appendPoint(std::string& text, int code, int ir, int iz, double dr, double dz) {
  FixedText<40> record;
  (void)records::writeInternal(record.span(), "(3I5,5X,2F10.5)", std::int32_t{code}, std::int32_t{ir}, std::int32_t{iz}, dr, dz);
  appendRecord(text, record.span());
}

// The reader takes a lone offset whole but halves two, so a point off both mesh lines is
// written with both offsets doubled from its nearest node.
void appendOutlinePoint(std::string& text, const OutlinePoint& p) {
  const double ir = std::round(p.r), iz = std::round(p.z);
  const double fr = std::round((p.r - ir) * 1e5) / 1e5, fz = std::round((p.z - iz) * 1e5) / 1e5;
  const int nodeR = static_cast<int>(ir), nodeZ = static_cast<int>(iz);
  if (fr == 0.0) appendPoint(text, p.code, nodeR, nodeZ, 0.0, fz);
  else if (fz == 0.0) appendPoint(text, p.code, nodeR, nodeZ, fr, 0.0);
  else appendPoint(text, p.code, nodeR, nodeZ, 2.0 * fr, 2.0 * fz);
}

}  // namespace

std::string geometryFileText(const MeshExtent& mesh, const std::vector<OutlinePoint>& points) {
  std::string text;
  FixedText<35> header;
  (void)records::writeInternal(header.span(), "('NR = ',I5,' NZ = ',I5,' SCALE=',F7.4)", std::int32_t{mesh.nr},
                               std::int32_t{mesh.nz}, static_cast<float>(mesh.nodesPerMm));
  appendRecord(text, header.span());
  for (const OutlinePoint& p : points) appendOutlinePoint(text, p);
  appendPoint(text, kEndCode, 0, 0, 0.0, 0.0);
  return text;
}

}  // namespace kelm::solver
