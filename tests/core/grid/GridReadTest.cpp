#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "core/grid/GridFileHeader.h"
#include "core/grid/GridInt.h"
#include "core/grid/GridRead.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"
#include "support/ClassWideValues.h"
#include "support/GridFileWriter.h"
#include "support/TestSupport.h"

// Largest single allocation seen, to prove that damaged counts are refused before the
// reader allocates for them.
static std::atomic<std::size_t> g_largestAllocation{0};

// GCC cannot see that the replaced new and delete below are a matching pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static void* TrackedAllocation(std::size_t size) noexcept {
  std::size_t seen = g_largestAllocation.load();
  while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size)) {
  }
  return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size) {
  if (void* p = TrackedAllocation(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return TrackedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

CTestGridFile OneCellGrid() { return CTestGridFile::OneCell(); }

class GridReadTest : public ::testing::Test {
 protected:
  const CClassWideValues m_classWide;  // put back after the test
  GridReadTest() : m_messenger(&m_recorder), m_runner(&m_threads) {}

  std::string Write(const std::string& bytes, const std::string& name = "g.MRGGrid") {
    const std::string path = m_dir.File(name);
    WriteFileBytes(path, bytes);
    return path;
  }
  void LoadValid() {
    m_grid.LoadFile(Write(OneCellGrid().Bytes(), "valid.MRGGrid"));
    ASSERT_TRUE(m_grid.IsLoaded());
    m_recorder.Clear();
  }
  // The load failed as a read error: a report, then the failure text, then no grid.
  void ExpectReadFailure(const std::string& path) {
    const auto messages = m_recorder.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_FALSE(messages[0].empty());
    EXPECT_EQ(messages[1], "Failed to load grid file:\n" + path);
    EXPECT_FALSE(m_grid.IsLoaded());
    EXPECT_EQ(m_grid.GetRowCount(), 0u);
    EXPECT_EQ(m_grid.GetFilePath(), "");
    EXPECT_EQ(m_grid.GetGridSize(), 0.0);
    m_recorder.Clear();
  }

  CScratchDir m_dir;
  CRecordingMessenger m_recorder;
  CScopedMessenger m_messenger;
  CThreadJobRunner m_threads{false};
  CScopedJobRunner m_runner;
  CGridInt m_grid;
};

TEST_F(GridReadTest, RoundTripKeepsHeaderRowsAndCodes) {
  CTestGridFile f;
  f.reserved = -123456;  // ignored by the reader
  f.offset = -7.25f;
  f.scale = 50.0f;
  f.rows.resize(5);
  f.rows[0] = {{2, f.Codes(1)}, {3, f.Codes(2)}};
  // Row 2 out of order with a repeated column: the later record wins.
  f.rows[2] = {{9, f.Codes(3)}, {4, f.Codes(4)}, {9, f.Codes(5)}, {-1, f.Codes(6)}};
  f.rows[4] = {{0, f.Codes(7)}};
  const std::string path = Write(f.Bytes());
  m_grid.LoadFile(path);

  EXPECT_TRUE(m_recorder.Entries().empty());
  ASSERT_TRUE(m_grid.IsLoaded());
  EXPECT_EQ(m_grid.GetFilePath(), path);
  EXPECT_EQ(m_grid.GetMajorVersion(), 3);
  EXPECT_EQ(m_grid.GetMinorVersion(), 7);
  EXPECT_EQ(m_grid.GetYear(), 2096);
  EXPECT_EQ(m_grid.GetMonth(), 2);
  EXPECT_EQ(m_grid.GetDay(), 29);
  EXPECT_EQ(m_grid.GetGridSize(), f.gridSize);
  EXPECT_EQ(m_grid.GetMinLat(), f.minLat);
  EXPECT_EQ(m_grid.GetMaxLat(), f.maxLat);
  EXPECT_EQ(m_grid.GetMinLon(), f.minLon);
  EXPECT_EQ(m_grid.GetMaxLon(), f.maxLon);
  EXPECT_EQ(CDataPt::s_offset, -7.25f);
  EXPECT_EQ(CDataPt::s_scale, 50.0f);
  ASSERT_EQ(m_grid.GetRowCount(), 5u);
  EXPECT_TRUE(m_grid.GetRow(1).empty());
  EXPECT_TRUE(m_grid.GetRow(3).empty());
  EXPECT_EQ(m_grid.GetRow(2).size(), 3u);
  EXPECT_EQ(m_grid.GetNode(0, 3)->m_codes, f.Codes(2));
  EXPECT_EQ(m_grid.GetNode(2, 9)->m_codes, f.Codes(5));
  EXPECT_EQ(m_grid.GetNode(2, 4)->m_codes, f.Codes(4));
  EXPECT_EQ(m_grid.GetNode(2, -1)->m_codes, f.Codes(6));
  EXPECT_EQ(m_grid.GetNode(4, 0)->m_codes, f.Codes(7));
  EXPECT_EQ(m_grid.GetNode(1, 0), nullptr);
  EXPECT_EQ(m_grid.GetNode(5, 0), nullptr);
}

// The reader and the writer share one description of the file: it must read and write
// the header exactly as the test writer, made independently of it, lays it out.
TEST(GridFileHeader, ReadsAndWritesTheLayoutOfAnIndependentWriter) {
  CTestGridFile f;
  f.reserved = -5, f.major = 11, f.minor = 12, f.year = 2031, f.month = 13, f.day = 14;
  f.gridSize = 0.125, f.minLat = -44.5, f.maxLat = -9.25, f.minLon = 112.75, f.maxLon = 154.5;
  f.offset = -7.25f, f.scale = 50.0f;
  f.rows.resize(3);
  const std::string bytes = f.Bytes();
  ASSERT_TRUE(CGridFileHeader::HasMagic(bytes.data()));
  const CGridFileHeader h = CGridFileHeader::Read(bytes.data());
  EXPECT_EQ(std::vector<std::int32_t>(
                {h.format, h.reserved, h.majorVersion, h.minorVersion, h.year, h.month, h.day, h.rowCount}),
            std::vector<std::int32_t>({1, -5, 11, 12, 2031, 13, 14, 3}));
  EXPECT_EQ(std::vector<double>({h.gridSize, h.minLat, h.maxLat, h.minLon, h.maxLon, h.valueOffset, h.valueScale}),
            std::vector<double>({0.125, -44.5, -9.25, 112.75, 154.5, -7.25, 50.0}));
  std::string written(CGridFileHeader::kSize, '\0');
  h.Write(written.data());
  EXPECT_EQ(written, bytes.substr(0, CGridFileHeader::kSize));
  EXPECT_EQ(bytes.size(), CGridFileHeader::kSize + 3 * CGridFileHeader::kPointCountSize);
}

TEST_F(GridReadTest, OneCellFileIs219BytesAndLoads) {
  const std::string bytes = OneCellGrid().Bytes();
  EXPECT_EQ(bytes.size(), 219u);
  m_grid.LoadFile(Write(bytes));
  EXPECT_TRUE(m_grid.IsLoaded());
  EXPECT_EQ(m_grid.GetNode(1, 1)->m_codes, CTestGridFile::Codes(4));
}

TEST_F(GridReadTest, RetiredFormatIsRefusedAndResets) {
  LoadValid();
  CTestGridFile f = OneCellGrid();
  f.format = 0;
  m_grid.LoadFile(Write(f.Bytes()));
  EXPECT_EQ(m_recorder.Messages(), std::vector<std::string>{"This format grid file is no longer supported"});
  EXPECT_FALSE(m_grid.IsLoaded());
  EXPECT_EQ(m_grid.GetFilePath(), "");
}

TEST_F(GridReadTest, UnknownFormatOrMagicIsABadFormat) {
  for (auto [magic, format] : {std::pair{"MRG", 2}, {"MRX", 1}, {"mrg", 0}, {"MRG", -1}}) {
    LoadValid();
    CTestGridFile f = OneCellGrid();
    f.magic = magic;
    f.format = format;
    const std::string path = Write(f.Bytes());
    m_grid.LoadFile(path);
    EXPECT_EQ(m_recorder.Messages().at(0), "CGridInt contained an unexpected object.");
    ExpectReadFailure(path);
  }
}

TEST_F(GridReadTest, UnopenableFileKeepsThePreviousGrid) {
  for (const std::string& path : {m_dir.File("missing.MRGGrid"), m_dir.Path().string()}) {
    LoadValid();
    m_grid.LoadFile(path);
    EXPECT_EQ(m_recorder.Messages(), std::vector<std::string>{"Cannot open grid file:\n" + path});
    EXPECT_TRUE(m_grid.IsLoaded());
    EXPECT_EQ(m_grid.GetFilePath(), m_dir.File("valid.MRGGrid"));
  }
}

TEST_F(GridReadTest, StatusTextNamesTheFile) {
  const std::string path = Write(OneCellGrid().Bytes(), "plain.MRGGrid");
  CGridRead job(m_grid, path);
  job.Run();
  EXPECT_EQ(job.GetText(), "Reading: plain.MRGGrid");

  // Without any separator the name part is empty.
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(m_dir.Path());
  CGridRead bare(m_grid, "plain.MRGGrid");
  bare.Run();
  std::filesystem::current_path(previous);
  EXPECT_EQ(bare.GetText(), "Reading: ");
  EXPECT_TRUE(m_grid.IsLoaded());
}

TEST_F(GridReadTest, FileEndingEarlyIsAReadErrorAtEveryLength) {
  CTestGridFile f = OneCellGrid();
  f.rows.insert(f.rows.begin() + 1, 2, {});  // empty rows between the full ones
  const std::string bytes = f.Bytes();
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    SCOPED_TRACE(length);
    LoadValid();
    const std::string path = Write(bytes.substr(0, length));
    m_grid.LoadFile(path);
    ExpectReadFailure(path);
  }
}

TEST_F(GridReadTest, DamagedCountsAreRefusedWithoutAllocatingForThem) {
  const std::string good = OneCellGrid().Bytes();
  constexpr std::size_t kRowCountAt = 79, kFirstPointCountAt = 83, kSecondPointCountAt = 83 + 4 + 64;
  const std::pair<std::size_t, std::int32_t> damage[] = {{kRowCountAt, -1},
                                                         {kRowCountAt, 0x7fffffff},
                                                         {kRowCountAt, 3},
                                                         {kFirstPointCountAt, -2},
                                                         {kFirstPointCountAt, 0x7fffffff},
                                                         {kFirstPointCountAt, 3},
                                                         {kSecondPointCountAt, 3},
                                                         {kSecondPointCountAt, -0x7fffffff - 1}};
  for (auto [offset, value] : damage) {
    SCOPED_TRACE(std::to_string(offset) + " " + std::to_string(value));
    LoadValid();
    std::string bytes = good;
    CTestGridFile::PatchInt(bytes, offset, value);
    const std::string path = Write(bytes);
    g_largestAllocation = 0;
    m_grid.LoadFile(path);
    EXPECT_LT(g_largestAllocation.load(), std::size_t{4} << 20);
    ExpectReadFailure(path);
  }
}

TEST_F(GridReadTest, OldGridShowsTheExpiryNoticeAndStaysLoaded) {
  CTestGridFile f = OneCellGrid();
  f.year = 2001;
  m_grid.LoadFile(Write(f.Bytes()));
  const auto entries = m_recorder.Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].kind, CRecordingMessenger::Entry::Document);
  EXPECT_EQ(entries[0].text, "Marevert Grid file expired");
  EXPECT_EQ(entries[0].lines, std::vector<std::string>{"Grid_Expiry_Warning.rtf"});
  EXPECT_TRUE(m_grid.IsLoaded());
}

}  // namespace

TEST_F(GridReadTest, AGridThatKeepsItsOwnCodingLeavesTheClassWideValuesAlone) {
  CTestGridFile f = OneCellGrid();
  f.offset = -7.25f;
  f.scale = 50.0f;
  const std::string path = Write(f.Bytes());
  CDataPt::s_offset = 3.0f, CDataPt::s_scale = 7.0f;
  CGridRead(m_grid, path, true).Run();
  ASSERT_TRUE(m_grid.IsLoaded());
  EXPECT_EQ(CDataPt::s_offset, 3.0f);
  EXPECT_EQ(CDataPt::s_scale, 7.0f);
  ASSERT_TRUE(m_grid.HasOwnCoding());
  EXPECT_EQ(m_grid.GetCoding().offset, -7.25f);
  EXPECT_EQ(m_grid.GetCoding().scale, 50.0f);

  // It answers what the same file read the programs' way answers under the file's values.
  CGridInt programs;
  programs.LoadFile(path);
  const double lat = f.minLat + 0.3 * f.gridSize, lon = f.minLon + 0.6 * f.gridSize;
  CDataPt own, shared;
  ASSERT_TRUE(m_grid.Interpolate(lat, lon, own));
  ASSERT_TRUE(programs.Interpolate(lat, lon, shared));
  EXPECT_EQ(own.m_codes, shared.m_codes);
  EXPECT_EQ(m_grid.DecodeValue(own.m_codes[0]), shared.GetValue(0));
}
