#include "source/openpmd/beam_file_writer.h"

#include <array>
#include <cstring>
#include <stdexcept>

#include "source/openpmd/hdf5_handle.h"
#include "source/openpmd/openpmd_names.h"
#include "source/solver/physical_constants.h"

namespace kelm::openpmd {

const char* const kWeightingNote =
    "A steady-state beam. Iteration 0: every point of every traced path; a point's weighting is "
    "I*(t[k+1]-t[k-1])/(2e) electrons, I its ray's current (record 'current', A), so the "
    "points hold the beam in flight at one instant. Iteration k >= 1: the first crossing of each "
    "ray with the k-th screen; weighting = I*dt/e electrons, dt the iteration's dt. Each ray is "
    "a ring about the axis, followed from theta = 0; 'id' numbers the rays from 1 as klplt.res does.";

namespace {

using Dimension = std::array<double, 7>;  // powers of L, M, T, I, θ, N, J
constexpr Dimension kNone{}, kLength{1}, kTime{0, 0, 1}, kCurrent{0, 0, 0, 1};
constexpr Dimension kPotential{2, 1, -3, -1}, kElectricField{1, 1, -3, -1}, kMagneticField{0, 1, -2, -1};
constexpr Dimension kMomentum{1, 1, -1}, kCharge{0, 0, 1, 1}, kMass{0, 1};

// Every failure of the library ends the file at once; the caller turns it into its message.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};
hid_t checked(hid_t id, const char* what) {
  if (id < 0) throw Failure(what);
  return id;
}
void checked(herr_t status, const char* what) {
  if (status < 0) throw Failure(what);
}

// Without timestamps, so that the same solve gives the same bytes.
Handle creationList(hid_t kind) {
  Handle list(checked(H5Pcreate(kind), "property list"), H5Pclose);
  checked(H5Pset_obj_track_times(list.get(), false), "property list");
  return list;
}

Handle group(hid_t parent, const std::string& name) {
  const Handle list = creationList(H5P_GROUP_CREATE);
  return {checked(H5Gcreate2(parent, name.c_str(), H5P_DEFAULT, list.get(), H5P_DEFAULT), "group"), H5Gclose};
}

void attribute(hid_t object, const char* name, hid_t type, const void* data, std::span<const hsize_t> shape) {
  Handle space(checked(shape.empty() ? H5Screate(H5S_SCALAR) : H5Screate_simple(static_cast<int>(shape.size()),
                                                                                     shape.data(), nullptr),
                       "dataspace"),
               H5Sclose);
  Handle a(checked(H5Acreate2(object, name, type, space.get(), H5P_DEFAULT, H5P_DEFAULT), name), H5Aclose);
  checked(H5Awrite(a.get(), type, data), name);
}

// Fixed-length strings, as openPMD has them.
void text(hid_t object, const char* name, std::span<const std::string> values, bool array = false) {
  std::size_t width = 1;
  for (const std::string& v : values) width = std::max(width, v.size());
  Handle type(checked(H5Tcopy(H5T_C_S1), "string type"), H5Tclose);
  checked(H5Tset_size(type.get(), width), "string type");
  checked(H5Tset_strpad(type.get(), H5T_STR_NULLPAD), "string type");
  std::string packed(width * values.size(), '\0');
  for (std::size_t k = 0; k < values.size(); ++k) std::memcpy(packed.data() + k * width, values[k].data(), values[k].size());
  const hsize_t count = values.size();
  attribute(object, name, type.get(), packed.data(), array ? std::span<const hsize_t>(&count, 1) : std::span<const hsize_t>{});
}
void text(hid_t object, const char* name, const std::string& value) { text(object, name, std::span(&value, 1)); }

void number(hid_t object, const char* name, double value) { attribute(object, name, H5T_NATIVE_DOUBLE, &value, {}); }
void numbers(hid_t object, const char* name, std::span<const double> values) {
  const hsize_t count = values.size();
  attribute(object, name, H5T_NATIVE_DOUBLE, values.data(), std::span(&count, 1));
}

void record(hid_t object, const Dimension& dimension) {
  numbers(object, "unitDimension", dimension);
  number(object, "timeOffset", 0.0);
}

template <class T>
void dataset(hid_t parent, const char* name, hid_t type, std::span<const T> values, std::span<const hsize_t> shape,
             double unitSI) {
  Handle space(checked(H5Screate_simple(static_cast<int>(shape.size()), shape.data(), nullptr), "dataspace"), H5Sclose);
  const Handle list = creationList(H5P_DATASET_CREATE);
  Handle d(checked(H5Dcreate2(parent, name, type, space.get(), H5P_DEFAULT, list.get(), H5P_DEFAULT), name), H5Dclose);
  if (!values.empty()) checked(H5Dwrite(d.get(), type, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()), name);
  number(d.get(), "unitSI", unitSI);
}

// A component of n particles, or the record itself when it has one component.
void column(hid_t parent, const char* name, std::span<const double> values, double unitSI) {
  const hsize_t n = values.size();
  dataset(parent, name, H5T_NATIVE_DOUBLE, values, std::span(&n, 1), unitSI);
}

void constant(hid_t parent, const char* name, double value, std::size_t n, const Dimension* dimension) {
  Handle g = group(parent, name);
  number(g.get(), "value", value);
  const unsigned long long shape = n;
  attribute(g.get(), "shape", H5T_NATIVE_ULLONG, &shape, std::span<const hsize_t>(std::array<hsize_t, 1>{1}));
  number(g.get(), "unitSI", 1.0);
  if (dimension) record(g.get(), *dimension);
}

void vectorRecord(hid_t species, const char* name, const Dimension& dimension, double unitSI,
                  std::array<const std::vector<double>*, 3> xyz) {
  Handle g = group(species, name);
  record(g.get(), dimension);
  const char* labels[] = {"x", "y", "z"};
  for (int k = 0; k < 3; ++k) column(g.get(), labels[k], *xyz[static_cast<std::size_t>(k)], unitSI);
}

void scalarRecord(hid_t species, const char* name, const Dimension& dimension, std::span<const double> values) {
  column(species, name, values, 1.0);
  Handle d(checked(H5Dopen2(species, name, H5P_DEFAULT), name), H5Dclose);
  record(d.get(), dimension);
}

void electrons(hid_t particles, const ParticleFrame& f) {
  Handle species = group(particles, kSpecies);
  const std::size_t n = f.size();
  vectorRecord(species.get(), "position", kLength, 1.0, {&f.x_m, &f.y_m, &f.z_m});
  {
    Handle offset = group(species.get(), "positionOffset");
    record(offset.get(), kLength);
    for (const char* c : {"x", "y", "z"}) constant(offset.get(), c, 0.0, n, nullptr);
  }
  vectorRecord(species.get(), "momentum", kMomentum, solver::kElectronMass_kg * solver::kSpeedOfLight_m_per_s,
               {&f.px, &f.py, &f.pz});
  scalarRecord(species.get(), "weighting", kNone, f.weighting);
  scalarRecord(species.get(), "current", kCurrent, f.current_A);
  scalarRecord(species.get(), "time", kTime, f.time_s);
  {
    const hsize_t count = n;
    dataset(species.get(), "id", H5T_NATIVE_INT32, std::span<const std::int32_t>(f.id), std::span(&count, 1), 1.0);
    Handle d(checked(H5Dopen2(species.get(), "id", H5P_DEFAULT), "id"), H5Dclose);
    record(d.get(), kNone);
  }
  constant(species.get(), "charge", -solver::kElementaryCharge_C, n, &kCharge);
  constant(species.get(), "mass", solver::kElectronMass_kg, n, &kMass);
}

// (mode, r, z) in C order from the solver's z-major nodes.
std::vector<double> modeLayout(const GridFields& g, const std::vector<double>& nodes) {
  std::vector<double> out(nodes.size());
  for (int iz = 0; iz < g.nz; ++iz)
    for (int ir = 0; ir < g.nr; ++ir) {
      const auto r = static_cast<std::size_t>(ir), z = static_cast<std::size_t>(iz);
      out[r * static_cast<std::size_t>(g.nz) + z] = nodes[z * static_cast<std::size_t>(g.nr) + r];
    }
  return out;
}

void meshAttributes(hid_t mesh, const GridFields& g, const Dimension& dimension) {
  record(mesh, dimension);
  text(mesh, "geometry", "thetaMode");
  text(mesh, "geometryParameters", "m=1;imag=+");
  text(mesh, "dataOrder", "C");
  const std::array<std::string, 2> labels{"r", "z"};
  text(mesh, "axisLabels", labels, true);
  numbers(mesh, "gridSpacing", std::array{g.cell_m, g.cell_m});
  numbers(mesh, "gridGlobalOffset", std::array{0.0, 0.0});
  number(mesh, "gridUnitSI", 1.0);
}

void meshComponent(hid_t parent, const char* name, const GridFields& g, const std::vector<double>& nodes) {
  const std::array<hsize_t, 3> shape{1, static_cast<hsize_t>(g.nr), static_cast<hsize_t>(g.nz)};
  dataset(parent, name, H5T_NATIVE_DOUBLE, std::span<const double>(modeLayout(g, nodes)), shape, 1.0);
  Handle d(checked(H5Dopen2(parent, name, H5P_DEFAULT), name), H5Dclose);
  numbers(d.get(), "position", std::array{0.0, 0.0});
}

void meshes(hid_t iteration, const GridFields& g) {
  Handle all = group(iteration, "meshes");
  meshComponent(all.get(), "phi", g, g.phi_V);
  {
    Handle d(checked(H5Dopen2(all.get(), "phi", H5P_DEFAULT), "phi"), H5Dclose);
    meshAttributes(d.get(), g, kPotential);
  }
  Handle e = group(all.get(), "E");
  meshAttributes(e.get(), g, kElectricField);
  meshComponent(e.get(), "r", g, g.er_V_per_m);
  meshComponent(e.get(), "z", g, g.ez_V_per_m);
  Handle b = group(all.get(), "B");
  meshAttributes(b.get(), g, kMagneticField);
  meshComponent(b.get(), "z", g, g.bz_T);
}

void iteration(hid_t data, int index, const std::string& comment, const ParticleFrame& frame, const GridFields* grid) {
  Handle it = group(data, std::to_string(index));
  number(it.get(), "time", 0.0);
  number(it.get(), "dt", kScreenSlice_s);
  number(it.get(), "timeUnitSI", 1.0);
  text(it.get(), "comment", comment);
  if (grid) meshes(it.get(), *grid);
  Handle particles = group(it.get(), "particles");
  electrons(particles.get(), frame);
}

void root(hid_t file) {
  text(file, "openPMD", "1.1.0");
  const std::uint32_t extension = 0;
  attribute(file, "openPMDextension", H5T_NATIVE_UINT32, &extension, {});
  text(file, "basePath", kBasePath);
  text(file, "meshesPath", "meshes/");
  text(file, "particlesPath", "particles/");
  text(file, "iterationEncoding", "groupBased");
  text(file, "iterationFormat", kBasePath);
  text(file, "software", "KELM");
  text(file, "softwareVersion", KELM_VERSION);
  text(file, "comment", kWeightingNote);
}

// frames: the paths, then one a screen.
void write(hid_t file, const BeamContent& c, const std::vector<ParticleFrame>& frames) {
  root(file);
  Handle data = group(file, "data");
  iteration(data.get(), 0, "the solver's fields and every path at the solver's steps", frames[0], &c.grid);
  for (std::size_t k = 0; k < c.screens_m.size(); ++k)
    iteration(data.get(), static_cast<int>(k + 1), "the crossings of the screen z = " + std::to_string(c.screens_m[k]) + " m",
              frames[k + 1], nullptr);
}

}  // namespace

bool beamFileBytes(const BeamContent& content, std::string& bytes, std::string& error) {
  // Computed before the library's session, under the caller's floating-point traps.
  std::vector<ParticleFrame> frames{pathFrame(content.rays)};
  for (double z : content.screens_m) frames.push_back(screenFrame(content.rays, z));
  const Hdf5Session session;
  try {
    const Handle access = memoryFileAccess();
    Handle file(checked(H5Fcreate("beam.h5", H5F_ACC_TRUNC, H5P_DEFAULT, checked(access.get(), "memory file")),
                        "memory file"),
                H5Fclose);
    write(file.get(), content, frames);
    checked(H5Fflush(file.get(), H5F_SCOPE_GLOBAL), "flush");
    const ssize_t size = H5Fget_file_image(file.get(), nullptr, 0);
    checked(static_cast<herr_t>(size < 0 ? -1 : 0), "file image");
    bytes.assign(static_cast<std::size_t>(size), '\0');
    checked(static_cast<herr_t>(H5Fget_file_image(file.get(), bytes.data(), bytes.size()) < 0 ? -1 : 0), "file image");
    return true;
  } catch (const Failure& f) {
    error = std::string("beam.h5 not written: the HDF5 library refused its ") + f.what();
    return false;
  }
}

}  // namespace kelm::openpmd
