#include <gtest/gtest.h>

#include "db/binary_stream.h"
#include "db/database_error.h"
#include "db/value.h"
#include "tests/support/temp_folder.h"

namespace maj::db {
namespace {

TEST(ValueTest, ConvertsBetweenTextIntegerAndBytes) {
  EXPECT_TRUE(Value().IsNull());
  EXPECT_EQ(Value::Integer(-66).AsText(), "-66");
  EXPECT_EQ(Value::Text(" 42 ").AsInteger(), 42);
  EXPECT_EQ(Value::Text("+7").AsInteger(), 7);
  for (const char* text : {"4x", "", "99999999999999999999"}) {
    EXPECT_THROW(Value::Text(text).AsInteger(), DatabaseError) << text;
  }
  EXPECT_EQ(Value::Text("ab").AsBytes(), (Bytes{'a', 'b'}));
  EXPECT_EQ(Value::Binary(Bytes{'a', 0, 'b'}).AsText(), std::string("a\0b", 3));
  EXPECT_THROW(Value::Integer(1).AsBytes(), DatabaseError);
  EXPECT_THROW(Value::Null().AsText(), DatabaseError);
  EXPECT_THROW(Value::Null().AsBytes(), DatabaseError);
}

TEST(BinaryStreamTest, WritesReadsSavesAndLoads) {
  testing::TempFolder folder;
  BinaryStream stream;
  EXPECT_THROW(stream.Write(Bytes{1}), DatabaseError);
  stream.Open();
  EXPECT_THROW(stream.Open(), DatabaseError);
  stream.Write(Bytes{0, 1, 2});
  stream.Write(Bytes{255});
  EXPECT_EQ(stream.ReadAll(), (Bytes{0, 1, 2, 255}));

  const std::string target = folder.WriteFile("report.ocx.zip", "a much longer previous content");
  stream.SaveToFile(target, kSaveCreateOverwrite);
  EXPECT_EQ(testing::ReadFileText(target), std::string("\0\1\2\xff", 4));
  EXPECT_THROW(stream.SaveToFile(target, kSaveCreateNotExist), DatabaseError);
  EXPECT_EQ(testing::ReadFileText(target), std::string("\0\1\2\xff", 4));
  const std::string fresh = (folder.path() / "fresh.bin").string();
  stream.SaveToFile(fresh, kSaveCreateNotExist);
  EXPECT_EQ(testing::ReadFileText(fresh).size(), 4u);
  EXPECT_THROW(stream.SaveToFile((folder.path() / "no/such/folder.bin").string()), DatabaseError);

  const std::string big(300000, 'z');
  stream.LoadFromFile(folder.WriteFile("big.bin", big));
  EXPECT_EQ(stream.ReadAll(), Bytes(big.begin(), big.end()));
  stream.LoadFromFile(folder.WriteFile("empty.bin", ""));
  EXPECT_EQ(stream.Size(), 0u);
  EXPECT_THROW(stream.LoadFromFile((folder.path() / "missing.bin").string()), DatabaseError);

  stream.Close();
  EXPECT_THROW(stream.ReadAll(), DatabaseError);
}

}  // namespace
}  // namespace maj::db
