#include "source/openpmd/beam_file_reader.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "source/openpmd/hdf5_handle.h"
#include "source/openpmd/openpmd_names.h"
#include "source/solver/physical_constants.h"

namespace kelm::openpmd {
namespace {

// A dataset cannot hold more stored numbers than the file has bytes; one that claims more is
// filled from nothing and would only exhaust memory.
constexpr std::size_t kBytesPerValue = 4;
// Far beyond any gun, and far enough below a double's range that the crossings' products of
// two values, and a momentum in units of m_e c, cannot overflow.
constexpr double kMaxMagnitude = 1e30;

// IEEE single or double, or integers of up to 64 bits: nothing the conversion to double could
// overflow.
bool plainNumbers(const Handle& type) {
  if (!type.valid()) return false;
  if (H5Tget_class(type.get()) == H5T_INTEGER) return H5Tget_size(type.get()) <= 8;
  for (hid_t ieee : {H5T_IEEE_F32LE, H5T_IEEE_F32BE, H5T_IEEE_F64LE, H5T_IEEE_F64BE})
    if (H5Tequal(type.get(), ieee) > 0) return true;
  return false;
}

struct Reader {
  hid_t file;
  std::size_t fileBytes;
  std::string& error;

  bool fail(const std::string& why) {
    error = "beam.h5: " + why;
    return false;
  }

  bool text(hid_t object, const char* name, std::string& out) {
    if (H5Aexists(object, name) <= 0) return fail(std::string("no attribute ") + name);
    Handle a(H5Aopen(object, name, H5P_DEFAULT), H5Aclose);
    Handle type(H5Aget_type(a.get()), H5Tclose);
    Handle space(H5Aget_space(a.get()), H5Sclose);
    if (!type.valid() || !space.valid() || H5Tget_class(type.get()) != H5T_STRING || H5Tis_variable_str(type.get()) > 0 ||
        H5Sget_simple_extent_npoints(space.get()) != 1)
      return fail(std::string("attribute ") + name + " is not one text");
    const std::size_t size = H5Tget_size(type.get());
    if (size == 0 || size > 4096) return fail(std::string("attribute ") + name + " is too long");
    std::string value(size, '\0');
    if (H5Aread(a.get(), type.get(), value.data()) < 0) return fail(std::string("attribute ") + name + " unreadable");
    out = value.substr(0, value.find('\0'));
    return true;
  }

  bool expect(hid_t object, const char* name, std::string_view wanted) {
    std::string value;
    if (!text(object, name, value)) return false;
    return value == wanted || fail(std::string("attribute ") + name + " is \"" + value + "\", not \"" +
                                   std::string(wanted) + "\"");
  }

  bool unitSI(hid_t dataset, double& unit) {
    if (H5Aexists(dataset, "unitSI") <= 0) return fail("a record without unitSI");
    Handle a(H5Aopen(dataset, "unitSI", H5P_DEFAULT), H5Aclose);
    Handle space(H5Aget_space(a.get()), H5Sclose);
    if (!space.valid() || H5Sget_simple_extent_npoints(space.get()) != 1 ||
        H5Aread(a.get(), H5T_NATIVE_DOUBLE, &unit) < 0 || !std::isfinite(unit))
      return fail("a unitSI that is not one finite number");
    return true;
  }

  // A one-dimensional numeric dataset of n values (n fixed by the first column read), in SI.
  bool column(hid_t species, const std::string& path, std::vector<double>& out, std::size_t& n) {
    if (H5Lexists(species, path.substr(0, path.find('/')).c_str(), H5P_DEFAULT) <= 0 ||
        H5Lexists(species, path.c_str(), H5P_DEFAULT) <= 0)
      return fail("no record " + path);
    Handle d(H5Dopen2(species, path.c_str(), H5P_DEFAULT), H5Dclose);
    if (!d.valid()) return fail("record " + path + " is not a dataset");
    Handle type(H5Dget_type(d.get()), H5Tclose);
    Handle space(H5Dget_space(d.get()), H5Sclose);
    if (!space.valid() || !plainNumbers(type) || H5Sget_simple_extent_ndims(space.get()) != 1)
      return fail("record " + path + " is not a list of numbers");
    hsize_t count = 0;
    H5Sget_simple_extent_dims(space.get(), &count, nullptr);
    if (count > fileBytes / kBytesPerValue) return fail("record " + path + " claims more values than the file holds");
    if (n == SIZE_MAX) n = count;
    if (count != n) return fail("record " + path + " does not have as many values as the others");
    double unit = 1;
    if (!unitSI(d.get(), unit)) return false;
    out.assign(n, 0.0);
    if (n > 0 && H5Dread(d.get(), H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, out.data()) < 0)
      return fail("record " + path + " cannot be read");
    const double bound = kMaxMagnitude / std::max(std::fabs(unit), 1.0);
    for (double& v : out) {
      if (!(std::fabs(v) <= bound)) return fail("record " + path + " holds a value beyond 1e30 in SI or not finite");
      v *= unit;
    }
    return true;
  }

  bool read(std::vector<PathRay>& rays) {
    if (!expect(file, "openPMD", "1.1.0") || !expect(file, "basePath", kBasePath) ||
        !expect(file, "iterationEncoding", "groupBased"))
      return false;
    std::string particles;
    if (!text(file, "particlesPath", particles)) return false;
    if (particles.empty() || particles.find("..") != std::string::npos || particles.front() == '/')
      return fail("particlesPath \"" + particles + "\" is not a group's name");
    const std::string path = "/data/0/" + particles + kSpecies;
    for (const std::string& step : {std::string("/data"), std::string("/data/0"), "/data/0/" + particles, path})
      if (H5Lexists(file, step.c_str(), H5P_DEFAULT) <= 0) return fail("no group " + step);
    Handle species(H5Gopen2(file, path.c_str(), H5P_DEFAULT), H5Gclose);
    if (!species.valid()) return fail(path + " is not a group");
    const std::array<const char*, 9> names{"time", "position/x", "position/y", "position/z", "momentum/x",
                                           "momentum/y", "momentum/z", "current", "id"};
    std::array<std::vector<double>, 9> columns;
    std::size_t n = SIZE_MAX;
    for (std::size_t k = 0; k < names.size(); ++k)
      if (!column(species.get(), names[k], columns[k], n)) return false;
    // Read in SI, handed on in units of m_e c.
    constexpr double kElectronMomentum = solver::kElectronMass_kg * solver::kSpeedOfLight_m_per_s;
    rays.clear();
    for (std::size_t i = 0; i < n; ++i) {
      const double id = columns[8][i];
      if (!(id >= 1 && id <= 1e9 && id == std::floor(id))) return fail("a ray's id is not a whole number from 1");
      if (rays.empty() || rays.back().id != static_cast<std::int32_t>(id)) {
        rays.push_back({static_cast<std::int32_t>(id), columns[7][i], {}});
      }
      rays.back().points.push_back({columns[0][i], columns[1][i], columns[2][i], columns[3][i],
                                    columns[4][i] / kElectronMomentum, columns[5][i] / kElectronMomentum,
                                    columns[6][i] / kElectronMomentum});
    }
    return true;
  }
};

}  // namespace

bool readBeamFile(std::string_view bytes, std::vector<PathRay>& rays, std::string& error) {
  rays.clear();
  const Hdf5Session session;
  // The library rejects an image without HDF5's signature only after copying it; say why sooner.
  if (bytes.size() < 8 || bytes.substr(0, 8) != std::string_view("\x89HDF\r\n\x1a\n", 8)) {
    error = "beam.h5: not an HDF5 file";
    return false;
  }
  const Handle access = memoryFileAccess(bytes.data(), bytes.size());
  Handle file(access.valid() ? H5Fopen("beam.h5", H5F_ACC_RDONLY, access.get()) : H5I_INVALID_HID, H5Fclose);
  if (!file.valid()) {
    error = "beam.h5: the HDF5 library cannot open it";
    return false;
  }
  Reader reader{file.get(), bytes.size(), error};
  return reader.read(rays);
}

}  // namespace kelm::openpmd
