#include "gdal/RasterRun.h"

#include <memory>
#include <vector>

#include "core/files/BlockPipeline.h"
#include "core/grid/DataPt.h"
#include "core/jobs/SharedJob.h"
#include "gdal/RasterBlocks.h"
#include "gdal/RasterPositions.h"

namespace {

constexpr std::size_t kPieceCells = 4096;  // cells per piece of shared work

// One window's cells on their way through: as read, and as each output receives them.
struct CWindowBuffers {
  CCellRect window, unit;
  bool endsUnit = false;
  std::vector<unsigned char> input, transformed, excluded;  // band 1, stored values
  std::vector<std::vector<unsigned char>> others;           // bands 2 and on, as read
  std::vector<double> a, b;                                 // converted positions, if any
  std::vector<CCellCounts> counts;                          // per piece

  std::size_t Pieces() const { return (window.Cells() + kPieceCells - 1) / kPieceCells; }
};

CPLErr Transfer(GDALRasterBand* band, GDALRWFlag direction, const CCellRect& window, void* data, GDALDataType type) {
  return band->RasterIO(direction, window.x, window.y, window.width, window.height, data, window.width, window.height,
                        type, 0, 0, nullptr);
}

void Resize(std::vector<unsigned char>& buffer, std::size_t cells, GDALDataType type) {
  buffer.resize(cells * static_cast<std::size_t>(GDALGetDataTypeSizeBytes(type)));
}

}  // namespace

FileResult RunRaster(const CRasterRunSetup& setup, std::uint64_t& transformed, std::uint64_t& excluded,
                     CSeparationStats& separation) {
  GDALDataset& input = *setup.input;
  const int bands = input.GetRasterCount();
  int blockWidth = 0, blockHeight = 0;
  input.GetRasterBand(1)->GetBlockSize(&blockWidth, &blockHeight);
  CRasterWindows windows(input.GetRasterXSize(), input.GetRasterYSize(), blockWidth, blockHeight);
  const bool convert = setup.positions->GetKind() == CRasterPositions::Kind::kConverted;

  const auto read = [&](CWindowBuffers& buffers) {
    const std::size_t cells = buffers.window.Cells();
    Resize(buffers.input, cells, setup.coding.type);
    Resize(buffers.transformed, cells, setup.coding.type);
    Resize(buffers.excluded, cells, setup.coding.type);
    if (Transfer(input.GetRasterBand(1), GF_Read, buffers.window, buffers.input.data(), setup.coding.type) != CE_None)
      return false;
    buffers.others.resize(static_cast<std::size_t>(bands - 1));
    for (int i = 2; i <= bands; ++i) {
      GDALRasterBand* band = input.GetRasterBand(i);
      std::vector<unsigned char>& other = buffers.others[static_cast<std::size_t>(i - 2)];
      Resize(other, cells, band->GetRasterDataType());
      if (Transfer(band, GF_Read, buffers.window, other.data(), band->GetRasterDataType()) != CE_None) return false;
    }
    if (convert) {
      buffers.a.resize(cells);
      buffers.b.resize(cells);
      const std::size_t width = static_cast<std::size_t>(buffers.window.width);
      for (int row = 0; row < buffers.window.height; ++row) {
        const std::size_t at = static_cast<std::size_t>(row) * width;
        setup.positions->CellCentres(buffers.window.x, buffers.window.y + row, width, &buffers.a[at], &buffers.b[at]);
      }
      setup.positions->Convert(cells, buffers.a.data(), buffers.b.data());
    }
    buffers.counts.assign(buffers.Pieces(), CCellCounts{});
    return true;
  };

  // Each thread's scratch, on cache lines of their own.
  struct alignas(64) Scratch {
    CCellScratch cells;
  };
  const auto scratch = std::make_unique<Scratch[]>(CSharedJob::kParts);
  CWindowBuffers buffers[2];
  const auto transformPiece = [&](int buffer, std::size_t piece, int part) {
    CWindowBuffers& window = buffers[buffer];
    const CCellWindow cells{window.input.data(),
                            window.transformed.data(),
                            window.excluded.data(),
                            window.window.x,
                            window.window.y,
                            static_cast<std::size_t>(window.window.width),
                            convert ? window.a.data() : nullptr,
                            convert ? window.b.data() : nullptr};
    const std::size_t first = piece * kPieceCells;
    window.counts[piece] =
        TransformCells(setup.coding, cells, first, std::min(kPieceCells, window.window.Cells() - first), setup.how,
                       scratch[part].cells);
  };

  std::uint64_t windowsWritten = 0;
  GDALDataset* const outputs[2] = {setup.transformed, setup.excluded};
  bool written[2] = {false, false};  // band 1 of the output has received a window
  const auto write = [&](CWindowBuffers& buffers) {
    const CCellRect& window = buffers.window;
    const GDALDataType type = setup.coding.type;
    CCellCounts windowCounts;
    for (const CCellCounts& counts : buffers.counts) {
      windowCounts.transformed += counts.transformed;
      windowCounts.excluded += counts.excluded;
    }
    const auto writeBand1 = [&](int output, std::vector<unsigned char>& values, std::uint64_t cells) {
      if (cells == 0 && setup.fillsUnwritten) return true;
      written[output] = true;
      return Transfer(outputs[output]->GetRasterBand(1), GF_Write, window, values.data(), type) == CE_None;
    };
    if (!writeBand1(0, buffers.transformed, windowCounts.transformed) ||
        !writeBand1(1, buffers.excluded, windowCounts.excluded))
      return kFileException;
    for (int i = 2; i <= bands; ++i) {
      std::vector<unsigned char>& other = buffers.others[static_cast<std::size_t>(i - 2)];
      const GDALDataType otherType = input.GetRasterBand(i)->GetRasterDataType();
      for (GDALDataset* output : outputs)
        if (Transfer(output->GetRasterBand(i), GF_Write, window, other.data(), otherType) != CE_None)
          return kFileException;
    }
    transformed += windowCounts.transformed;
    excluded += windowCounts.excluded;
    if (buffers.endsUnit) {
      // Dropping the input's blocks only frees memory (some drivers, a virtual raster
      // for one, keep none and say so, as does a band never written yet); an output's
      // block that cannot be written out is a write error.
      bool flushed = true;
      for (int i = 1; i <= bands; ++i) {
        FlushFinishedBlocks(*setup.input->GetRasterBand(i), buffers.unit);
        for (int output = 0; output < 2; ++output)
          if (i > 1 || written[output])
            flushed = FlushFinishedBlocks(*outputs[output]->GetRasterBand(i), buffers.unit) && flushed;
      }
      if (!flushed) return kFileException;
    }
    ++windowsWritten;
    const long long percent = static_cast<long long>(windowsWritten * 100 / windows.WindowCount());
    return setup.progress && setup.progress(percent) ? kFileCancelled : kFileDone;
  };

  if (windows.Done()) return kFileDone;
  CBlockPipeline::Stages stages;
  stages.read = [&](int buffer) -> CBlockPipeline::ReadResult {
    CWindowBuffers& window = buffers[buffer];
    windows.Next(window.window, window.endsUnit, window.unit);
    if (!read(window)) return CBlockPipeline::ReadResult::Failed(kFileException);
    return !windows.Done();
  };
  stages.pieces = [&](int buffer) { return buffers[buffer].Pieces(); };
  stages.transform = transformPiece;
  stages.write = [&](int buffer) { return write(buffers[buffer]); };
  const FileResult result = CBlockPipeline::Run(stages);
  for (int part = 0; part < CSharedJob::kParts; ++part) separation.Merge(scratch[part].cells.separation);
  return result;
}
