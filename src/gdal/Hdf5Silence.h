#pragma once
// HDF5 (under GDAL's BAG, HDF5 and netCDF-4 drivers) prints its whole error stack to
// standard error whenever one of its calls fails, also one that GDAL expects to fail
// (opening a BAG's "metadata" dataset to learn whether the file has one). While a
// CHdf5Silence lives, that printing is off on the constructing thread, as HDF5's own
// H5E_BEGIN_TRY does it; GDAL still raises its own messages about the failure.
//
// HDF5 keeps the setting per thread when it is built thread-safe (Debian's is), so
// other threads of the process (a Python program's own GDAL calls) keep theirs. The
// HDF5 calls are looked up at run time in the library GDAL uses: there is none when
// GDAL was built without HDF5, and then there is nothing to silence.

class CHdf5Silence {
 public:
  CHdf5Silence();
  ~CHdf5Silence();
  CHdf5Silence(const CHdf5Silence&) = delete;
  CHdf5Silence& operator=(const CHdf5Silence&) = delete;

 private:
  void (*m_saved)() = nullptr;  // the thread's printing function, HDF5's own type in Hdf5Silence.cpp
  void* m_savedData = nullptr;
  bool m_silenced = false;
};
