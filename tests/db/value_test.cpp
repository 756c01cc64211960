#include <gtest/gtest.h>

#include "db/database_error.h"
#include "db/value.h"

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

}  // namespace
}  // namespace maj::db
