#include "source/openpmd/hdf5_handle.h"

namespace kelm::openpmd {

namespace {
std::mutex hdf5Mutex;
}  // namespace

Hdf5Session::Hdf5Session() : lock_(hdf5Mutex) { H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr); }

Handle memoryFileAccess(const void* image, std::size_t size) {
  Handle access(H5Pcreate(H5P_FILE_ACCESS), H5Pclose);
  if (!access.valid() || H5Pset_fapl_core(access.get(), 1 << 20, 0) < 0) return {};
  if (image && H5Pset_file_image(access.get(), const_cast<void*>(image), size) < 0) return {};
  return access;
}

}  // namespace kelm::openpmd
