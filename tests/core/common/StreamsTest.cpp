// The buffered file streams: what reaches a file is exactly what was written, in order,
// however the pieces fall on the output buffer's growth and on whole blocks; an input is
// read to its end whatever size it had when it was opened.

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

#include "core/common/InputStream.h"
#include "core/common/OutputStream.h"
#include "support/TestSupport.h"

namespace {

std::string RandomBytes(std::size_t count, std::mt19937& random) {
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

}  // namespace

TEST(OutputStream, PiecesReachTheFileInOrderAcrossBufferGrowthAndBlocks) {
  constexpr std::size_t kFirst = COutputStream::kFirstBufferSize, kBlock = COutputStream::kBlockSize;
  CScratchDir dir;
  std::mt19937 random(5);
  COutputStream out;
  const std::size_t sizes[] = {1, kFirst - 10, 30, 3 * kFirst, kBlock / 2 - 1, COutputStream::kDirectWrite,
                               7, kBlock - 20, 100};
  for (const char* name : {"first.bin", "second.bin"}) {  // the second reuses the grown buffer
    ASSERT_TRUE(out.Open(dir.File(name)));
    std::string written;
    for (const std::size_t size : sizes) {
      const std::string piece = RandomBytes(size, random);
      ASSERT_TRUE(out.Write(piece));
      written += piece;
    }
    // Room for a whole block while the buffer holds bytes: they are written out first.
    char* room = out.Reserve(kBlock);
    ASSERT_NE(room, nullptr);
    const std::string block = RandomBytes(kBlock, random);
    std::copy(block.begin(), block.end(), room);
    written += block;
    ASSERT_TRUE(out.Write("end"));
    written += "end";
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(ReadFileBytes(dir.File(name)), written) << name;
  }
}

TEST(InputStream, ASmallFileIsReadWholeAndToItsEndAfterItGrew) {
  CScratchDir dir;
  const std::string path = dir.File("lines.txt");
  std::mt19937 random(9);
  // Larger than the smallest buffer, smaller than a block: the buffer holds exactly it.
  std::string text;
  while (text.size() < 3 * CInputStream::kSmallBlockSize) text += std::to_string(random()) + "\r\n";
  WriteFileBytes(path, text);
  CInputStream input;
  ASSERT_TRUE(input.Open(path));
  ASSERT_TRUE(input.Ensure(text.size()));
  EXPECT_EQ(std::string(input.Data(), text.size()), text);
  EXPECT_FALSE(input.Ensure(text.size() + 1));

  // Bytes appended after opening are read too, beyond the size the buffer was made for.
  ASSERT_TRUE(input.Open(path));
  const std::string more = RandomBytes(5 * text.size(), random) + "\nlast";
  std::ofstream(path, std::ios::binary | std::ios::app) << more;
  std::string read;
  for (std::string_view line; input.ReadLine(line);) read += line;
  EXPECT_EQ(read, text + more);
  EXPECT_FALSE(input.Failed());
}
