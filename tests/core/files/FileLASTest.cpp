// The LAS handler: per-point split with only Z rewritten, header corrections for 1.2
// and 1.4 files (counts, extent, points by return), data after the points, the new Z
// as the old one plus the shift in Z units, and the errors with the outputs they leave.
// Every output is compared byte by byte with the input outside the Z fields and the
// corrected header fields, and its header with what its records hold.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <set>
#include <vector>

#include "FilesTestSupport.h"
#include "core/files/FileLAS.h"
#include "support/TestSupport.h"

namespace {

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

void Put(std::string& bytes, std::size_t at, const void* value, std::size_t size) {
  std::memcpy(bytes.data() + at, value, size);
}
template <typename T>
void PutValue(std::string& bytes, std::size_t at, T value) {
  Put(bytes, at, &value, sizeof value);  // the test machine is little-endian like the format
}
template <typename T>
T GetValue(const std::string& bytes, std::size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

struct CLasPoint {
  std::int32_t x, y, z;
  int returnByte = -1;  // byte 14 of the record; -1: the filler pattern
};

constexpr std::size_t kRecordLength = 20;  // X, Y, Z and 8 bytes that must be copied
const std::string kVlr = "VLR-BYTES-";
const std::string kTail = "EVLR-DATA-AFTER-POINTS";

// A LAS file with X = 150 + 0.01 x, Y = -30 + 0.01 y, Z = 0.01 z, the variable-length
// record bytes kVlr and the tail after the points.
std::string MakeLas(int minor, const std::vector<CLasPoint>& points, double zScale = 0.01, int pointFormat = 1) {
  const std::size_t headerSize = minor >= 4 ? 375 : 227;
  std::string bytes(headerSize, '\0');
  Put(bytes, 0, "LASF", 4);
  bytes[24] = 1;
  bytes[25] = static_cast<char>(minor);
  for (std::size_t i = 26; i < 94; ++i) bytes[i] = static_cast<char>('a' + i % 26);  // ids, dates ...
  PutValue<std::uint16_t>(bytes, 94, static_cast<std::uint16_t>(headerSize));
  const auto pointOffset = static_cast<std::uint32_t>(headerSize + kVlr.size());
  PutValue<std::uint32_t>(bytes, 96, pointOffset);
  PutValue<std::uint8_t>(bytes, 104, static_cast<std::uint8_t>(pointFormat));
  PutValue<std::uint16_t>(bytes, 105, kRecordLength);
  PutValue<std::uint32_t>(bytes, 107, minor >= 4 ? 0 : static_cast<std::uint32_t>(points.size()));
  PutValue<std::uint32_t>(bytes, 111, 77);  // points by return and extent: rewritten in the outputs
  PutValue<double>(bytes, 131, 0.01);
  PutValue<double>(bytes, 139, 0.01);
  PutValue<double>(bytes, 147, zScale);
  PutValue<double>(bytes, 155, 150.0);
  PutValue<double>(bytes, 163, -30.0);
  PutValue<double>(bytes, 171, 0.0);
  PutValue<double>(bytes, 179, 155.0);
  if (minor >= 4) {
    PutValue<std::uint64_t>(bytes, 255, 77);
    PutValue<std::uint64_t>(bytes, 235, pointOffset + points.size() * kRecordLength);
    PutValue<std::uint32_t>(bytes, 243, 1);
    PutValue<std::uint64_t>(bytes, 247, points.size());
  }
  bytes += kVlr;
  for (std::size_t i = 0; i < points.size(); ++i) {
    std::string record(kRecordLength, '\0');
    PutValue(record, 0, points[i].x);
    PutValue(record, 4, points[i].y);
    PutValue(record, 8, points[i].z);
    for (std::size_t k = 12; k < kRecordLength; ++k) record[k] = static_cast<char>(i * 16 + k);
    if (points[i].returnByte >= 0) record[14] = static_cast<char>(points[i].returnByte);
    bytes += record;
  }
  return bytes + kTail;
}

// The output must equal the header, the given input records and the tail of the input
// byte for byte, except the header bytes in `headerChanges` and the Z of each record.
void ExpectCopyOfInput(const std::string& input, const std::string& output, const std::vector<std::size_t>& records,
                       const std::set<std::size_t>& headerChanges) {
  const std::size_t offset = GetValue<std::uint32_t>(input, 96);
  ASSERT_EQ(output.size(), offset + records.size() * kRecordLength + kTail.size());
  for (std::size_t i = 0; i < offset; ++i) {
    if (!headerChanges.count(i)) {
      ASSERT_EQ(output[i], input[i]) << "header byte " << i;
    }
  }
  for (std::size_t r = 0; r < records.size(); ++r) {
    const std::size_t in = offset + records[r] * kRecordLength, out = offset + r * kRecordLength;
    for (std::size_t k = 0; k < kRecordLength; ++k) {
      if (k < 8 || k >= 12) {
        ASSERT_EQ(output[out + k], input[in + k]) << "record " << r << " byte " << k;
      }
    }
  }
  EXPECT_EQ(output.substr(output.size() - kTail.size()), kTail);
}

std::int32_t RecordZ(const std::string& file, std::size_t record) {
  return GetValue<std::int32_t>(file, GetValue<std::uint32_t>(file, 96) + record * kRecordLength + 8);
}

std::set<std::size_t> Range(std::size_t from, std::size_t count, std::set<std::size_t> set = {}) {
  for (std::size_t i = from; i < from + count; ++i) set.insert(i);
  return set;
}

// The header bytes that describe the records: points by return (32-bit and 64-bit) and
// the extent.
std::set<std::size_t> SummaryFields(std::set<std::size_t> set = {}) {
  return Range(111, 20, Range(179, 48, Range(255, 120, std::move(set))));
}

// The header's extent and points by return against the file's records, each coordinate
// worked out here as integer x scale + offset, the return number from the low 3 bits
// (formats 0-5) or 4 bits (6-10) of byte 14. The legacy table is checked when the legacy
// count is not 0, the 64-bit one in 1.4 files.
void ExpectHeaderDescribesRecords(const std::string& file) {
  const std::size_t offset = GetValue<std::uint32_t>(file, 96), length = GetValue<std::uint16_t>(file, 105);
  const bool v14 = file[25] >= 4;
  const std::uint64_t legacyCount = GetValue<std::uint32_t>(file, 107);
  const std::uint64_t count = v14 ? GetValue<std::uint64_t>(file, 247) : legacyCount;
  const int returnMask = file[104] <= 5 ? 7 : 15;
  double low[3], high[3];
  std::fill_n(low, 3, std::numeric_limits<double>::infinity());
  std::fill_n(high, 3, -std::numeric_limits<double>::infinity());
  std::vector<std::uint64_t> byReturn(16);
  for (std::size_t r = 0; r < count; ++r) {
    const std::size_t record = offset + r * length;
    for (int axis = 0; axis < 3; ++axis) {
      const double value = GetValue<std::int32_t>(file, record + 4 * axis) * GetValue<double>(file, 131 + 8 * axis) +
                           GetValue<double>(file, 155 + 8 * axis);
      low[axis] = std::min(low[axis], value);
      high[axis] = std::max(high[axis], value);
    }
    ++byReturn[file[record + 14] & returnMask];
  }
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_EQ(GetValue<double>(file, 179 + 16 * axis), high[axis]) << "max of axis " << axis;
    EXPECT_EQ(GetValue<double>(file, 187 + 16 * axis), low[axis]) << "min of axis " << axis;
  }
  for (int number = 1; number <= 5 && legacyCount != 0; ++number)
    EXPECT_EQ(GetValue<std::uint32_t>(file, 111 + 4 * (number - 1)), byReturn[number]) << "return " << number;
  for (int number = 1; number <= 15 && v14; ++number)
    EXPECT_EQ(GetValue<std::uint64_t>(file, 255 + 8 * (number - 1)), byReturn[number]) << "return " << number;
}

// Inside, outside (longitude 140), inside.
const std::vector<CLasPoint> kPoints = {{300, 300, 100}, {-1000, 300, 100}, {400, 200, -50}};

// A variable-length record (54-byte header) of `user` and `id` holding `data`.
std::string Vlr(const std::string& user, std::uint16_t id, const std::string& data) {
  std::string bytes(54, '\0');
  Put(bytes, 2, user.data(), user.size());
  PutValue<std::uint16_t>(bytes, 18, id);
  PutValue<std::uint16_t>(bytes, 20, static_cast<std::uint16_t>(data.size()));
  return bytes + data;
}

// `las` (from MakeLas) with `records` after its header, counted there; the points and
// the extended records move on.
std::string WithVlrs(std::string las, const std::vector<std::string>& records) {
  std::string bytes;
  for (const std::string& record : records) bytes += record;
  las.insert(GetValue<std::uint16_t>(las, 94), bytes);
  const auto moved = static_cast<std::uint32_t>(bytes.size());
  PutValue<std::uint32_t>(las, 100, GetValue<std::uint32_t>(las, 100) + static_cast<std::uint32_t>(records.size()));
  PutValue<std::uint32_t>(las, 96, GetValue<std::uint32_t>(las, 96) + moved);
  if (las[25] >= 4) PutValue<std::uint64_t>(las, 235, GetValue<std::uint64_t>(las, 235) + moved);
  return las;
}

// A GeoKey directory record of (key, location, count, value) entries.
std::string GeoKeys(const std::vector<std::array<std::uint16_t, 4>>& keys) {
  std::string bytes(8 * (keys.size() + 1), '\0');
  const std::uint16_t head[4] = {1, 1, 0, static_cast<std::uint16_t>(keys.size())};
  Put(bytes, 0, head, sizeof head);
  for (std::size_t k = 0; k < keys.size(); ++k) Put(bytes, 8 * (k + 1), keys[k].data(), 8);
  return Vlr("LASF_Projection", 34735, bytes);
}

std::string Wkt(const std::string& text) { return Vlr("LASF_Projection", 2112, text + '\0'); }

class FileLASTest : public ::testing::Test {
 protected:
  CRunResult Run(const std::string& input, CProcessBase* job = nullptr) {
    m_input = input;
    WriteFileBytes(m_dir.File("cloud.las"), input);
    return RunHandler(m_handler, m_dir.File("cloud.las"), m_grid.Grid(), m_grid.Msl(), m_grid.Lat(), job);
  }
  std::string Transformed() const { return ReadFileBytes(m_dir.File("cloud_LAT.las")); }
  std::string Excluded() const { return ReadFileBytes(m_dir.File("cloud_MSL.las")); }

  CFilesTestGrid m_grid;
  CScratchDir m_dir;
  CFileLAS m_handler;
  std::string m_input;
};

}  // namespace

TEST_F(FileLASTest, Version12SplitsPointsAndCorrectsTheLegacyCount) {
  const CRunResult run = Run(MakeLas(2, kPoints));
  ASSERT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 2u);
  EXPECT_EQ(run.outside, 1u);
  const std::string transformed = Transformed(), excluded = Excluded();
  ExpectCopyOfInput(m_input, transformed, {0, 2}, SummaryFields(Range(107, 4)));
  ExpectCopyOfInput(m_input, excluded, {1}, SummaryFields(Range(107, 4)));
  ExpectHeaderDescribesRecords(transformed);
  ExpectHeaderDescribesRecords(excluded);
  EXPECT_EQ(GetValue<std::uint32_t>(transformed, 107), 2u);
  EXPECT_EQ(GetValue<std::uint32_t>(excluded, 107), 1u);
  EXPECT_EQ(RecordZ(transformed, 0), 250);  // 1.00 + 1.50
  EXPECT_EQ(RecordZ(transformed, 1), 100);  // -0.50 + 1.50
  EXPECT_EQ(RecordZ(excluded, 0), 100);     // unchanged
}

TEST_F(FileLASTest, Version14CorrectsBothCountsAndTheExtendedRecordStart) {
  const CRunResult run = Run(MakeLas(4, kPoints));
  ASSERT_EQ(run.result, kFileDone);
  const std::string transformed = Transformed(), excluded = Excluded();
  const std::set<std::size_t> changes = SummaryFields(Range(235, 8, Range(247, 8)));
  ExpectCopyOfInput(m_input, transformed, {0, 2}, changes);
  ExpectCopyOfInput(m_input, excluded, {1}, changes);
  ExpectHeaderDescribesRecords(transformed);
  ExpectHeaderDescribesRecords(excluded);
  // The legacy count is 0: its table by return keeps the input's value.
  EXPECT_EQ(GetValue<std::uint32_t>(transformed, 111), 77u);
  const std::uint64_t evlr = GetValue<std::uint64_t>(m_input, 235);
  EXPECT_EQ(GetValue<std::uint64_t>(transformed, 247), 2u);
  EXPECT_EQ(GetValue<std::uint64_t>(excluded, 247), 1u);
  // Each file's extended records move back by the bytes of the records it lacks, so
  // they still point at the tail.
  EXPECT_EQ(GetValue<std::uint64_t>(transformed, 235), evlr - kRecordLength);
  EXPECT_EQ(GetValue<std::uint64_t>(excluded, 235), evlr - 2 * kRecordLength);
  EXPECT_EQ(transformed.substr(GetValue<std::uint64_t>(transformed, 235)), kTail);
  EXPECT_EQ(excluded.substr(GetValue<std::uint64_t>(excluded, 235)), kTail);
  // The legacy count was 0 and stays 0; the waveform start was 0 and stays 0.
  EXPECT_EQ(GetValue<std::uint32_t>(transformed, 107), 0u);
  EXPECT_EQ(GetValue<std::uint64_t>(excluded, 227), 0u);
}

// The counts stay; the extent and points by return are those of the records, whose Z
// has moved, also when the file holds every point.
TEST_F(FileLASTest, AllInsideIsAByteCopyExceptZAndTheHeaderSummary) {
  const CRunResult run = Run(MakeLas(4, {{300, 300, 0}, {310, 310, 1}}));
  ASSERT_EQ(run.result, kFileDone);
  const std::string transformed = Transformed();
  ExpectCopyOfInput(m_input, transformed, {0, 1}, SummaryFields());
  ExpectHeaderDescribesRecords(transformed);
  EXPECT_EQ(GetValue<double>(transformed, 211), 1.51);  // max Z: 0.01 + 1.50
  EXPECT_FALSE(Exists(m_dir.File("cloud_MSL.las")));
}

// A new height stored through its "%.2f" text and truncated toward zero was one unit
// low for many points (0.29 / 0.01 is 28.999999999999996 in double), for every point of
// a file whose Z offset lies off the centimetre lattice, and lost a millimetre scale's
// last digit. The new Z is the old one plus the shift in Z units, halves away from zero.
TEST_F(FileLASTest, ShiftedZHasNoOneUnitBias) {
  struct Case {
    double shift, zScale, zOffset;
    std::int32_t z, expected;
  };
  for (const Case& c : {Case{0.29, 0.01, 0.0, 0, 29},
                        {-0.29, 0.01, 0.0, 0, -29},
                        {0.125, 0.01, 0.0, 7, 20},  // 12.5 units: 13
                        {-0.125, 0.01, 0.0, 7, -6},
                        {0.29, 0.01, 627.530029296875, 1234, 1263},
                        {0.123, 0.001, 0.0, -5, 118},
                        {0.0004, 0.001, 0.0, 3, 3}}) {
    SCOPED_TRACE(::testing::Message() << c.shift << " m, scale " << c.zScale << ", offset " << c.zOffset);
    CTrans_NULL none;
    CTrans_BlockShift block(c.shift);
    std::string input = MakeLas(2, {{0, 0, c.z}}, c.zScale);
    PutValue<double>(input, 171, c.zOffset);
    WriteFileBytes(m_dir.File("cloud.las"), input);
    const CRunResult run = RunHandler(m_handler, m_dir.File("cloud.las"), nullptr, &none, &block);
    ASSERT_EQ(run.result, kFileDone);
    const std::string output = ReadFileBytes(m_handler.GetOutputPath(&block, m_dir.File("cloud.las")));
    EXPECT_EQ(RecordZ(output, 0), c.expected);
    std::filesystem::remove(m_handler.GetOutputPath(&block, m_dir.File("cloud.las")));
  }
}

TEST_F(FileLASTest, UnrepresentableValuesAreOutside) {
  // A new Z beyond 32 bits, and a NaN X scale, are excluded rather than converted.
  CRunResult run = Run(MakeLas(2, {{300, 300, 2000000000}}, 1e-9));
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.outside, 1u);
  std::string input = MakeLas(2, kPoints);
  PutValue(input, 131, std::numeric_limits<double>::quiet_NaN());
  run = Run(input);
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.outside, 3u);
  ExpectCopyOfInput(input, Excluded(), {0, 1, 2}, SummaryFields());  // every point: the input's own counts
}

TEST_F(FileLASTest, HeaderErrorsAreInputErrors) {
  std::string input = MakeLas(2, kPoints);
  PutValue<std::uint16_t>(input, 105, 11);  // no room for X, Y and Z
  EXPECT_EQ(Run(input).result, kFileInputError);
  input = MakeLas(2, kPoints);
  PutValue<std::uint32_t>(input, 96, static_cast<std::uint32_t>(input.size() + 1));
  EXPECT_EQ(Run(input).result, kFileInputError);
  EXPECT_EQ(Run(MakeLas(2, kPoints).substr(0, 150)).result, kFileInputError);
  // Z scale 0: the outputs keep the header copied so far.
  input = MakeLas(2, kPoints, 0.0);
  const CRunResult run = Run(input);
  EXPECT_EQ(run.result, kFileInputError);
  EXPECT_EQ(run.outside + run.transformed, 0u);
  EXPECT_EQ(Transformed(), input.substr(0, 227 + kVlr.size()));
  EXPECT_EQ(Excluded(), input.substr(0, 227 + kVlr.size()));
}

// The CRS a file declares decides how its X and Y are read: an MGA or UTM south zone of
// its own (noted when it is not the batch's), or latitude and longitude whatever their
// size; any other CRS, or records that name none, leave the batch's rule and say so.
// The points: kPoints in longitude and latitude (inside, outside, inside), a position
// in MGA zone 56 coordinates inside the grid, and one in zone 55 coordinates (longitude
// 151, latitude -27) that is outside when read in zone 56.
TEST_F(FileLASTest, TheFilesCrsDecidesHowPositionsAreRead) {
  const CLasPoint zone56 = {54923600, 695811300, 100}, zone55 = {89685000, 700703000, 100};
  std::vector<CLasPoint> mixed = kPoints;
  mixed.push_back(zone56);
  const std::string batchRule = ": positions read by the batch's rule (zone 56)";
  const std::string zoneNote = "Zone 55 from the file's CRS";
  const std::string mga55Wkt1 =
      R"(PROJCS["GDA94 / MGA zone 55",GEOGCS["GDA94",AUTHORITY["EPSG","4283"]],UNIT["metre",1],)"
      R"(AUTHORITY["EPSG","28355"]])";
  const std::string nad83Keys = GeoKeys({{{1024, 0, 1, 1}, {3072, 0, 1, 26915}, {3073, 34737, 21, 0}}}),
                    nad83Citation = Vlr("LASF_Projection", 34737, "NAD83 / UTM zone 15N|");
  const std::string nad83Note =
      "The file's CRS is EPSG:26915 (NAD83 / UTM zone 15N), which Marevert does not convert" + batchRule;
  struct Case {
    const char* label;
    std::vector<CLasPoint> points;
    std::vector<std::string> records;
    std::uint64_t transformed, outside;
    std::vector<std::string> notes;
    int minor = 2;
    bool wktBit = false;
    std::string extendedWkt = "";
  };
  const std::vector<Case> cases = {
      {"none", mixed, {}, 3, 1, {}},
      {"GeoKeys MGA94 55", {zone55}, {GeoKeys({{{1024, 0, 1, 1}, {3072, 0, 1, 28355}}})}, 1, 0, {zoneNote}},
      {"GeoKeys MGA94 56, the batch's zone", {zone55}, {GeoKeys({{{1024, 0, 1, 1}, {3072, 0, 1, 28356}}})}, 0, 1, {}},
      {"GeoKeys MGA2020 55, no model key", {zone55}, {GeoKeys({{{3072, 0, 1, 7855}}})}, 1, 0, {zoneNote}},
      {"WKT 1 compound of WGS 84 / UTM 55S",
       {zone55},
       {Wkt(R"(COMPD_CS["UTM 55S + AHD",PROJCS["WGS 84 / UTM zone 55S",GEOGCS["WGS 84",AUTHORITY["EPSG","4326"]],)"
            R"(AUTHORITY["EPSG","32755"]],VERT_CS["AHD height",VERT_DATUM["Australian Height Datum",2005],)"
            R"(AUTHORITY["EPSG","5711"]]])")},
       1,
       0,
       {zoneNote}},
      {"WKT 2 bound CRS of MGA2020 55",
       {zone55},
       {Wkt(R"(BOUNDCRS[SOURCECRS[PROJCRS["GDA2020 / MGA zone 55",BASEGEOGCRS["GDA2020",ID["EPSG",7844]],)"
            R"(CONVERSION["Map Grid of Australia zone 55",ID["EPSG",17355]],ID["EPSG",7855]]],)"
            R"(TARGETCRS[GEOGCRS["WGS 84",ID["EPSG",4326]]],ABRIDGEDTRANSFORMATION["GDA2020 to WGS 84",)"
            R"(METHOD["Geocentric translations"],PARAMETER["X-axis translation",0]]])")},
       1,
       0,
       {zoneNote}},
      {"GeoKeys GDA94 latitude/longitude", mixed, {GeoKeys({{{1024, 0, 1, 2}, {2048, 0, 1, 4283}}})}, 2, 2, {}},
      {"WKT 2 GDA2020 3D", mixed, {Wkt(R"(GEOGCRS["GDA2020",ID["EPSG",7843]])")}, 2, 2, {}},
      {"GeoKeys of another CRS", mixed, {nad83Keys, nad83Citation}, 3, 1, {nad83Note}},
      {"WKT without an EPSG code",
       mixed,
       {Wkt(R"(PROJCS["NAD_1983_HARN_Lambert_Conformal_Conic",GEOGCS["GCS_North_American_1983_HARN"]])")},
       3,
       1,
       {"The file's CRS is NAD_1983_HARN_Lambert_Conformal_Conic, which Marevert does not convert" + batchRule}},
      {"only a vertical CRS",
       mixed,
       {GeoKeys({{{4096, 0, 1, 5711}}})},
       3,
       1,
       {"The file's CRS records name no horizontal CRS (vertical EPSG:5711)" + batchRule}},
      {"1.4, WKT bit: the WKT", {zone55}, {nad83Keys, nad83Citation, Wkt(mga55Wkt1)}, 1, 0, {zoneNote}, 4, true},
      {"1.4, no WKT bit: the GeoKeys", {zone55}, {nad83Keys, nad83Citation, Wkt(mga55Wkt1)}, 0, 1, {nad83Note}, 4},
      {"1.4, WKT in an extended record", {zone55}, {}, 1, 0, {zoneNote}, 4, true, mga55Wkt1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string input = WithVlrs(MakeLas(c.minor, c.points), c.records);
    if (c.wktBit) PutValue<std::uint16_t>(input, 6, 1 << 4);
    if (!c.extendedWkt.empty()) {
      std::string record(60, '\0');
      Put(record, 2, "LASF_Projection", 15);
      PutValue<std::uint16_t>(record, 18, 2112);
      PutValue<std::uint64_t>(record, 20, c.extendedWkt.size() + 1);
      input = input.substr(0, input.size() - kTail.size()) + record + c.extendedWkt + '\0';
    }
    const CRunResult run = Run(input);
    EXPECT_EQ(run.result, kFileDone);
    EXPECT_EQ(run.transformed, c.transformed);
    EXPECT_EQ(run.outside, c.outside);
    EXPECT_EQ(m_handler.GetNotes(), c.notes);
    std::filesystem::remove(m_dir.File("cloud_LAT.las"));
    std::filesystem::remove(m_dir.File("cloud_MSL.las"));
  }
}

// A file marked compressed (LAZ) without a LASzip record the codec reads would be copied
// as if its bytes were point records: it is refused before any output is created, and
// left as it was. (LAZ files proper: FileLAZTest.)
TEST_F(FileLASTest, CompressedFilesThatCannotBeDecodedAreRefusedWithoutOutputs) {
  std::string bit7 = MakeLas(2, kPoints, 0.01, 3), bit6 = bit7;
  bit7[104] = static_cast<char>(0x83);
  bit6[104] = static_cast<char>(0x43);
  const std::string laszip = WithVlrs(MakeLas(4, kPoints, 0.01, 6), {Vlr("laszip encoded", 22204, "LASzip")});
  for (const std::string& input : {bit7, bit6, laszip}) {
    const CRunResult run = Run(input);
    EXPECT_EQ(run.result, kFileInputError);
    EXPECT_EQ(run.transformed + run.outside, 0u);
    ASSERT_EQ(m_handler.GetNotes().size(), 1u);
    EXPECT_NE(m_handler.GetNotes()[0].find("compressed points (LAZ) cannot be read"), std::string::npos)
        << m_handler.GetNotes()[0];
    EXPECT_FALSE(Exists(m_dir.File("cloud_LAT.las")));
    EXPECT_FALSE(Exists(m_dir.File("cloud_MSL.las")));
    EXPECT_EQ(ReadFileBytes(m_dir.File("cloud.las")), input);
  }
}

TEST_F(FileLASTest, TruncatedRecordIsAnExceptionAndNotWritten) {
  const std::string whole = MakeLas(2, kPoints);
  const std::string input = whole.substr(0, whole.size() - kTail.size() - 5);
  const CRunResult run = Run(input);
  EXPECT_EQ(run.result, kFileException);
  EXPECT_EQ(run.transformed, 1u);
  EXPECT_EQ(run.outside, 1u);
  // Header (with the input's count) and the whole records only.
  const std::size_t offset = 227 + kVlr.size();
  EXPECT_EQ(Transformed().size(), offset + kRecordLength);
  EXPECT_EQ(Excluded(), input.substr(0, offset) + input.substr(offset + kRecordLength, kRecordLength));
  // Also when the file ends inside X, Y and Z.
  EXPECT_EQ(Run(whole.substr(0, offset + kRecordLength + 6)).result, kFileException);
  EXPECT_EQ(Excluded().size(), offset);
}

TEST_F(FileLASTest, CancelLeavesTheOutputsAsWritten) {
  CTestJob job;
  job.SetCancel(true);
  const std::string input = MakeLas(2, kPoints);
  const CRunResult run = Run(input, &job);
  EXPECT_EQ(run.result, kFileCancelled);
  EXPECT_EQ(run.transformed, 1u);
  EXPECT_EQ(run.outside, 0u);
  const std::size_t offset = 227 + kVlr.size();
  EXPECT_EQ(Transformed().size(), offset + kRecordLength);
  EXPECT_EQ(Transformed().substr(0, offset), input.substr(0, offset));  // counts and summary not corrected
  EXPECT_EQ(Excluded(), input.substr(0, offset));                       // empty, but kept
}

TEST_F(FileLASTest, UpdateHeaderLeavesAFullFileAlone) {
  const std::string input = MakeLas(4, kPoints);
  WriteFileBytes(m_dir.File("whole.las"), input);
  EXPECT_TRUE(CFileLAS::UpdateHeader(m_dir.File("whole.las"), 3, 3, 40));
  EXPECT_EQ(ReadFileBytes(m_dir.File("whole.las")), input);
  EXPECT_FALSE(CFileLAS::UpdateHeader(m_dir.File("missing.las"), 1, 3, 40));
}

TEST_F(FileLASTest, RecordsAcrossReadBlocksAreWhole) {
  // 20-byte records do not divide the reader's 1 MiB blocks.
  std::vector<CLasPoint> points;
  std::vector<std::size_t> inside, outsideRecords;
  for (std::int32_t i = 0; i < 120000; ++i) {
    const bool in = i % 5 != 0;
    points.push_back({in ? 300 + i % 100 : -1000, 300, (i % 10) * 100, i % 8});
    (in ? inside : outsideRecords).push_back(static_cast<std::size_t>(i));
  }
  const CRunResult run = Run(MakeLas(2, points));
  ASSERT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, inside.size());
  EXPECT_EQ(run.outside, outsideRecords.size());
  const std::string transformed = Transformed();
  ExpectCopyOfInput(m_input, transformed, inside, SummaryFields(Range(107, 4)));
  ExpectCopyOfInput(m_input, Excluded(), outsideRecords, SummaryFields(Range(107, 4)));
  // Both threads summed up records: the headers hold the union of their figures.
  ExpectHeaderDescribesRecords(transformed);
  ExpectHeaderDescribesRecords(Excluded());
  for (std::size_t r = 0; r < inside.size(); r += 997) {
    EXPECT_EQ(RecordZ(transformed, r), static_cast<std::int32_t>(inside[r] % 10) * 100 + 150);  // + 1.50 m
  }
}

TEST_F(FileLASTest, SeparationOfTheRecordsOfBothThreadsIsGathered) {
  std::vector<CLasPoint> points;
  for (std::int32_t i = 0; i < 120000; ++i) points.push_back({i % 3 ? 300 + i % 100 : -1000, 300, i % 10});
  const CRunResult run = Run(MakeLas(2, points));
  ASSERT_EQ(run.result, kFileDone);
  const CSeparationStats& stats = m_handler.GetSeparation();
  EXPECT_EQ(stats.Count(), run.transformed);
  EXPECT_NEAR(stats.Min(), CFilesTestGrid::kMslToLat, 1e-6);
  EXPECT_EQ(stats.Max(), stats.Min());
  EXPECT_NEAR(stats.Mean(), stats.Min(), 1e-9);
}

TEST_F(FileLASTest, CancelInALaterBlockKeepsTheRecordsUpToWhereItWasSeen) {
  // A job whose user cancels once the bar shows 60%: with 120,000 records the bar moves
  // at 1, 7, ... 55, 61%, so the cancel is seen at record 73,200, in the second read
  // block. Records 0 to 73,200 are written, split as usual, and nothing after them.
  class CCancelAt60 : public CTestJob {
   public:
    void OnProcessProgress(unsigned percent) override {
      CTestJob::OnProcessProgress(percent);
      if (percent >= 60) SetCancel(true);
    }
  } job;
  std::vector<CLasPoint> points;
  for (std::int32_t i = 0; i < 120000; ++i) points.push_back({i % 5 != 0 ? 300 + i % 100 : -1000, 300, i % 10 * 100});
  const CRunResult run = Run(MakeLas(2, points), &job);
  ASSERT_EQ(run.result, kFileCancelled);
  EXPECT_EQ(run.transformed, 58560u);
  EXPECT_EQ(run.outside, 14641u);
  EXPECT_EQ(job.m_progress.back(), 61u);
  const std::size_t offset = GetValue<std::uint32_t>(m_input, 96);
  const std::string transformed = Transformed(), excluded = Excluded();
  ASSERT_EQ(transformed.size(), offset + 58560 * kRecordLength);
  ASSERT_EQ(excluded.size(), offset + 14641 * kRecordLength);
  EXPECT_EQ(excluded.substr(0, offset), m_input.substr(0, offset));  // counts not corrected
  for (std::size_t i = 0, in = 0, out = 0; i <= 73200; ++i) {
    const std::string record = m_input.substr(offset + i * kRecordLength, kRecordLength);
    if (i % 5 == 0) {
      ASSERT_EQ(excluded.substr(offset + out++ * kRecordLength, kRecordLength), record) << i;
    } else {
      const std::string written = transformed.substr(offset + in * kRecordLength, kRecordLength);
      ASSERT_EQ(written.substr(0, 8) + written.substr(12), record.substr(0, 8) + record.substr(12)) << i;
      ASSERT_EQ(RecordZ(transformed, in++), static_cast<std::int32_t>(i % 10 * 100) + 150) << i;
    }
  }
}

// A damaged 1.4 header whose extended-record start lies before the removed records must
// not wrap around to a start near 2^64 in the output.
TEST_F(FileLASTest, UpdateHeaderDoesNotWrapADamagedRecordStart) {
  std::string input = MakeLas(4, kPoints);
  PutValue<std::uint64_t>(input, 235, 10);
  WriteFileBytes(m_dir.File("damaged.las"), input);
  EXPECT_TRUE(CFileLAS::UpdateHeader(m_dir.File("damaged.las"), 1, 3, 40));
  const std::string output = ReadFileBytes(m_dir.File("damaged.las"));
  EXPECT_EQ(GetValue<std::uint64_t>(output, 235), 10u);
  EXPECT_EQ(GetValue<std::uint64_t>(output, 247), 1u);
}

// Return numbers are bits 0-2 of byte 14 in point formats 0-5 and bits 0-3 in 6-10;
// numbers outside a table (0, or above 5 in the legacy one) are not counted. The legacy
// table is written only when the legacy count is not 0; a format whose layout is not
// known leaves both tables alone.
TEST_F(FileLASTest, PointsByReturnFollowThePointFormat) {
  std::vector<CLasPoint> points;
  for (const int returnByte : {0x00, 0x01, 0x09, 0x0F, 0x06, 0x21, 0x17}) points.push_back({300, 300, 0, returnByte});
  // Returns 1 to 15 as 3 bits read them (0x00 not counted), and as 4 bits do.
  const std::vector<std::uint64_t> threeBits = {3, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<std::uint64_t> fourBits = {2, 0, 0, 0, 0, 1, 1, 0, 1, 0, 0, 0, 0, 0, 1};
  const auto table64 = [](const std::string& file) {
    std::vector<std::uint64_t> table;
    for (int i = 0; i < 15; ++i) table.push_back(GetValue<std::uint64_t>(file, 255 + 8 * i));
    return table;
  };
  for (const int format : {1, 6, 7, 8, 9, 10, 11}) {
    SCOPED_TRACE(format);
    ASSERT_EQ(Run(MakeLas(4, points, 0.01, format)).result, kFileDone);
    const std::string transformed = Transformed();
    EXPECT_EQ(GetValue<std::uint32_t>(transformed, 111), 77u);  // legacy count 0
    if (format == 11) {
      EXPECT_EQ(table64(transformed), table64(m_input));
    } else {
      EXPECT_EQ(table64(transformed), format == 1 ? threeBits : fourBits);
    }
  }
  ASSERT_EQ(Run(MakeLas(2, points)).result, kFileDone);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(GetValue<std::uint32_t>(Transformed(), 111 + 4 * i), threeBits[i]);
}

// A negative scale turns the smallest integer into the largest coordinate.
TEST_F(FileLASTest, ExtentFollowsANegativeScale) {
  std::string input = MakeLas(2, {{-300, 300, 0}, {-400, 310, 5}, {-350, 305, -5}});
  PutValue<double>(input, 131, -0.01);  // X = 150 - 0.01 x
  ASSERT_EQ(Run(input).result, kFileDone);
  const std::string transformed = Transformed();
  ExpectHeaderDescribesRecords(transformed);
  EXPECT_EQ(GetValue<double>(transformed, 179), 150.0 + 4.0);  // max X from x = -400
  EXPECT_EQ(GetValue<double>(transformed, 187), 150.0 + 3.0);  // min X from x = -300
}

// A 1.4 header that says it is shorter than the fields of its version (damaged) is
// followed by bytes that are not header: those stay as they are.
TEST_F(FileLASTest, SummaryStaysInsideTheHeadersOwnSize) {
  std::string input = MakeLas(4, kPoints);
  PutValue<std::uint16_t>(input, 94, 300);  // the 64-bit table at 255..375 lies beyond
  ASSERT_EQ(Run(input).result, kFileDone);
  const std::string transformed = Transformed();
  EXPECT_EQ(transformed.substr(255, 120), input.substr(255, 120));
  EXPECT_NE(transformed.substr(179, 48), input.substr(179, 48));  // the extent lies inside
}
