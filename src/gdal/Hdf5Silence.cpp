#include "gdal/Hdf5Silence.h"

#include <dlfcn.h>
#include <gdal.h>

#include <cstdint>

namespace {

// HDF5's error-stack calls, as declared in H5Epublic.h (hid_t is 64 bits from 1.10 on).
using Hid = std::int64_t;
constexpr Hid kDefaultStack = 0;  // H5E_DEFAULT: the calling thread's stack
using AutoFunction = int (*)(Hid stack, void* data);
using GetAuto = int (*)(Hid stack, AutoFunction* function, void** data);
using SetAuto = int (*)(Hid stack, AutoFunction function, void* data);

struct CHdf5Calls {
  GetAuto get = nullptr;
  SetAuto set = nullptr;
};

// Looked up in the GDAL library and what it loaded (a Python module's libraries are not
// global, so the process-wide scope would not find them), else in the whole process (a
// program GDAL is linked into statically).
CHdf5Calls FindHdf5() {
  CHdf5Calls calls;
  void* scope = RTLD_DEFAULT;
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&GDALOpenEx), &info) != 0 && info.dli_fname != nullptr) {
    // Never closed: GDAL stays loaded as long as this program runs.
    if (void* gdal = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD)) scope = gdal;
  }
  calls.get = reinterpret_cast<GetAuto>(dlsym(scope, "H5Eget_auto2"));
  calls.set = reinterpret_cast<SetAuto>(dlsym(scope, "H5Eset_auto2"));
  if (!calls.get || !calls.set) calls = CHdf5Calls();
  return calls;
}

const CHdf5Calls& Hdf5() {
  static const CHdf5Calls calls = FindHdf5();
  return calls;
}

}  // namespace

CHdf5Silence::CHdf5Silence() {
  const CHdf5Calls& hdf5 = Hdf5();
  AutoFunction saved = nullptr;
  if (!hdf5.get || hdf5.get(kDefaultStack, &saved, &m_savedData) < 0) return;
  m_saved = reinterpret_cast<void (*)()>(saved);
  m_silenced = hdf5.set(kDefaultStack, nullptr, nullptr) >= 0;
}

CHdf5Silence::~CHdf5Silence() {
  if (m_silenced) Hdf5().set(kDefaultStack, reinterpret_cast<AutoFunction>(m_saved), m_savedData);
}
