#pragma once
// The coast map model: coastlines and towns read from "Marevert_CoastData.bin" in the
// program folder. One process-wide object, created empty on first use, filled the first
// time the map window opens and then kept, so that the file is read at most once per run
// as long as that read succeeds. Only the user-interface thread touches it.

#include <memory>
#include <string>
#include <vector>

#include "core/map/MapLine.h"
#include "core/map/MapRect.h"
#include "core/map/MapTown.h"

class CMapData {
 public:
  static constexpr const char* kFileName = "Marevert_CoastData.bin";

  // The process-wide model, created empty on the first call.
  static CMapData& Instance();
  // Deletes the process-wide model (the main window does this when it is destroyed);
  // the next Instance creates a fresh, empty one.
  static void Release();

  // Replaces the contents with those of the coast data file in the program folder.
  // False when the folder or the file cannot be found or read, or the file is not a
  // coast data file of version 1, or it is damaged (it ends before its counts are
  // satisfied, or a count or a name length is negative). A failed load leaves no lines
  // and no towns.
  bool Load();
  // The same for a file at `path`.
  bool LoadFile(const std::string& path);
  // Deletes every line and town; the extent stays as it is.
  void Clear();
  // The opening of the map window: true when the model holds at least one line, loading
  // the file first if it holds none. On failure (also a file without lines) the model is
  // cleared again, so a failed attempt leaves nothing behind and the next one retries.
  bool EnsureLoaded();

  const std::vector<CMapLine>& GetLines() const { return m_lines; }
  std::size_t GetLineCount() const { return m_lines.size(); }
  const std::vector<CMapTown>& GetTowns() const { return m_towns; }
  // Encloses every point of every line; towns do not count.
  const CMapRect& GetExtent() const { return m_extent; }

 private:
  std::vector<CMapLine> m_lines;
  CMapRect m_extent;
  std::vector<CMapTown> m_towns;

  static std::unique_ptr<CMapData> s_instance;
};
