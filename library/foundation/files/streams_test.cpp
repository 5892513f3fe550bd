// Memory streams and the two stream tables.
#include "library/foundation/files/streams.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "library/foundation/files/file_functions.h"
#include "library/foundation/files/fresh_files_test_support.h"
#include "library/foundation/files/memory_file_set_test_support.h"

namespace veziv {
namespace {

TEST(MemoryStream, ReadsWholeElementsThenOnePartialThenTheEnd) {
  const char data[] = "0123456789";  // 10 bytes used
  struct Case {
    int start;
    size_t elementSize;
    size_t count;
    size_t result;
    std::string copied;
  };
  const Case cases[] = {
      {0, 4, 2, 2, "01234567"},
      {0, 4, 3, 2, "01234567"},  // 10 bytes left: whole elements only
      {7, 4, 5, 1, "789"},       // less than one element left: the partial one counts as 1
      {2, 1, 100, 8, "23456789"},
      {0, 3, 0, 0, ""},
      {0, 0, 7, 7, ""},
      {0, SIZE_MAX / 2, 4, 1, "0123456789"},  // the product would wrap
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start * 100 + static_cast<int>(c.elementSize));
    MemoryStreamState* s = OpenMemoryStream(data, 10);
    ASSERT_NE(s, nullptr);
    MemoryStreamSeek(s, c.start, 0);
    char out[16] = {};
    EXPECT_EQ(MemoryStreamRead(out, c.elementSize, c.count, s), c.result);
    EXPECT_EQ(std::string(out), c.copied);
    EXPECT_EQ(MemoryStreamTell(s), c.start + static_cast<int>(c.copied.size()));
    EXPECT_EQ(MemoryStreamEof(s), 0);
    CloseMemoryStream(s);
  }
}

TEST(MemoryStream, EndFlagIsSetOnlyByAReadAtTheEnd) {
  const char data[] = "abcd";
  MemoryStreamState* s = OpenMemoryStream(data, 4);
  char out[8];
  EXPECT_EQ(MemoryStreamRead(out, 1, 4, s), 4u);
  EXPECT_EQ(MemoryStreamEof(s), 0);  // emptied, not yet met
  EXPECT_EQ(MemoryStreamRead(out, 1, 1, s), 0u);
  EXPECT_NE(MemoryStreamEof(s), 0);
  EXPECT_EQ(MemoryStreamRead(out, 1, 0, s), 0u);  // count 0 at the end still meets it
  EXPECT_NE(MemoryStreamEof(s), 0);
  EXPECT_EQ(MemoryStreamSeek(s, 0, 1), 0);
  EXPECT_EQ(MemoryStreamEof(s), 0);
  EXPECT_EQ(MemoryStreamIdleCheck(s), 1);
  CloseMemoryStream(s);
}

TEST(MemoryStream, SeekClampsToTheBlock) {
  const char data[] = "0123456789";
  struct Case {
    int offset;
    int origin;
    int position;  // from position 4
  };
  const Case cases[] = {
      {-5, 0, 0}, {15, 0, 10}, {3, 0, 3},     {-2, 1, 2},  {-9, 1, 0},
      {100, 1, 10}, {-3, 2, 7}, {5, 2, 10},   {-20, 2, 0}, {2147483647, 1, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    MemoryStreamState* s = OpenMemoryStream(data, 10);
    MemoryStreamSeek(s, 4, 0);
    EXPECT_EQ(MemoryStreamSeek(s, c.offset, c.origin), 0);
    EXPECT_EQ(MemoryStreamTell(s), c.position);
    CloseMemoryStream(s);
  }
  MemoryStreamState* s = OpenMemoryStream(data, 10);
  MemoryStreamSeek(s, 4, 0);
  EXPECT_EQ(MemoryStreamSeek(s, 1, 3), -1);
  EXPECT_EQ(MemoryStreamTell(s), 4);
  CloseMemoryStream(s);
}

TEST(StreamTables, MemoryInstanceAndFileInstanceReadTheSameBytes) {
  const std::string bytes = "stream bytes";
  MemoryStreamState* m = OpenMemoryStream(bytes.data(), static_cast<int>(bytes.size()));
  const FileHandle f = test::OpenMemoryFile(bytes);
  struct Instance {
    const StreamFunctionTable* table;
    StreamValue value;
  };
  for (const Instance& in : {Instance{GetMemoryStreamTable(), reinterpret_cast<StreamValue>(m)},
                             Instance{GetFileStreamTable(), static_cast<StreamValue>(f)}}) {
    char out[8] = {};
    EXPECT_EQ(in.table->seek(in.value, 7, 0), 0);
    EXPECT_EQ(in.table->read(out, 1, 5, in.value), 5u);
    EXPECT_STREQ(out, "bytes");
    EXPECT_EQ(in.table->tell(in.value), 12);
    EXPECT_EQ(in.table->eof(in.value), 0);
    EXPECT_EQ(in.table->read(out, 1, 1, in.value), 0u);
    EXPECT_NE(in.table->eof(in.value), 0);
    EXPECT_NE(in.table->idleCheck(in.value), 0);
    EXPECT_EQ(in.table->close(in.value), 0);
  }
  test::ForgetMemoryFiles();
  detail::StartFileFunctionsAfresh();
}

}  // namespace
}  // namespace veziv
