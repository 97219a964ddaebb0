#pragma once
// GDAL for the rest of Marevert: its drivers registered once per process, and the
// messages GDAL raises while one of our operations runs, collected instead of printed
// so that the caller can put them where its own messages go (a log, an exception).

#include <string>
#include <vector>

#include "gdal/Hdf5Silence.h"

// Registers GDAL's drivers the first time any thread calls it.
void EnsureGdalRegistered();

// Collects every message GDAL raises on the constructing thread while the object
// lives (GDAL keeps its error handlers per thread); nothing reaches standard error,
// neither GDAL's messages nor the error stacks of the HDF5 library under its drivers
// (CHdf5Silence). Scopes nest: the innermost capture receives the messages.
class CGdalErrorCapture {
 public:
  CGdalErrorCapture();
  ~CGdalErrorCapture();
  CGdalErrorCapture(const CGdalErrorCapture&) = delete;
  CGdalErrorCapture& operator=(const CGdalErrorCapture&) = delete;

  // What was raised, oldest first: failures (CE_Failure, CE_Fatal) and warnings.
  struct Messages {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
  };
  const std::vector<std::string>& GetErrors() const { return m_messages.errors; }
  const std::vector<std::string>& GetWarnings() const { return m_messages.warnings; }
  // The failures joined by "; ", or "" when there were none.
  std::string GetErrorText() const;

 private:
  CHdf5Silence m_hdf5;
  Messages m_messages;
};
