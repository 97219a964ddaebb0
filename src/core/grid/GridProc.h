#pragma once
// Grid generation: turns a text grid file (one line per lattice node: latitude,
// longitude and the fourteen surface heights) into a binary grid file. The job reads
// the input twice (extents and value range first, then every point onto the lattice)
// and then writes the lattice out. Messages and the "Grid summary" go through the
// installed messenger; progress and the cancel flag through CProcessBase.

#include <cstdint>
#include <string>

#include "core/grid/GridInt.h"
#include "core/grid/GridTextReader.h"
#include "core/jobs/ProcessBase.h"

class CGridProc : public CProcessBase {
 public:
  struct Settings {
    std::string inputPath;
    std::string outputPath;
    int day = 0, month = 0, year = 0;
    int majorVersion = 0, minorVersion = 0;
    double gridSizeSeconds = 60.0;  // lattice spacing in seconds of arc
  };

  // A point this close to a lattice node is placed on it: the distance at which the
  // model counts a position as lying on a lattice line.
  static constexpr double kTolerance = CGridInt::kOnLineTolerance;
  static constexpr float kValueScale = 100.0f;     // codes per metre (1 cm steps)
  static constexpr double kMaxValueRange = 650.0;  // metres; keeps codes inside 16 bits
  static constexpr int kMinDataLines = 4;
  static constexpr long long kMaxRows = 1073741823;
  static constexpr double kMaxLatitudeExtent = 180.0;  // degrees, north to south pole
  // Lines are read at most this many characters at a time (a fixed line buffer).
  static constexpr int kLineBuffer = 5096;

  explicit CGridProc(const Settings& settings) : m_settings(settings) {}

  void Run() override;

  // True when the job ended with a complete output file on disk.
  bool OutputWritten() const { return m_outputWritten; }

  // Reads the sixteen numbers of a data line from a zero-terminated line, accepting what
  // the format "%lf %lf %f %f ... %f" accepts; a line whose numbers are not all finite
  // is not a data line either. Text after the sixteenth number is ignored.
  static bool ParseDataLine(const char* line, double& latitude, double& longitude, float values[14]);

 private:
  struct Counters {
    long long invalidLines = 0, notCompliant = 0, duplicates = 0, used = 0;
  };
  struct Extents {
    long long dataLines = 0;
    double minLat = 0, maxLat = 0, minLon = 0, maxLon = 0;
    float minValue = 0, maxValue = 0;
  };

  // The steps of Run. Each that can stop the job shows its message and answers false.
  Extents SearchExtents(CGridTextReader& reader);
  bool CountRows(const Extents& extents, double g, std::size_t& rowCount);
  Counters GridData(CGridTextReader& reader, const Extents& extents, double g, CGridInt& lattice);
  static void SortRows(CGridInt& lattice, Counters& counters);
  // False when the output cannot be created; otherwise `written` tells whether the whole
  // file was written and closed (a write failure has been reported and the file deleted).
  bool WriteGrid(const CGridInt& lattice, const Extents& extents, double g, bool& written);
  // Deletes the output, but only a file this job created.
  void RemoveOutput();

  Settings m_settings;
  bool m_outputWritten = false;
  bool m_outputCreated = false;  // the output file exists because this job created it
};
