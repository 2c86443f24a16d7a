#include <gtest/gtest.h>

#include "data/db/settings.h"

namespace tw::db {
namespace {

struct Case {
  const char* name;
  const char* text;
  const char* key;
  const char* expected;  // nullptr: not found
};

TEST(SettingsFile, FindsValuesAsWritten) {
  const Case cases[] = {
      {"LF line ends", "base=a\nuser=b\n", "user", "b"},
      {"CR line ends", "base=a\ruser=b\r", "user", "b"},
      {"CR LF line ends", "base=a\r\nuser=b\r\n", "user", "b"},
      {"mixed ends, no final end", "base=a\r\n\ruser=b\npassword=c", "password", "c"},
      {"name without regard to case", "BASE=x\n", "base", "x"},
      {"mixed case", "Base=x\n", "base", "x"},
      {"space before = is part of the name", "base =x\n", "base", nullptr},
      {"spaces in the value stay", "user=  ivanov \n", "user", "  ivanov "},
      {"quotes stay", "password=\"secret\"\n", "password", "\"secret\""},
      {"only the first = splits", "password=a=b\n", "password", "a=b"},
      {"empty value is present", "base=\n", "base", ""},
      {"first of two lines wins", "user=first\nuser=second\n", "user", "first"},
      {"no sections: a header is ignored", "[main]\nuser=u\n", "user", "u"},
      {"line without = ignored", "user\nuser=u\n", "user", "u"},
      {"other names ignored", "username=u\n", "user", nullptr},
      {"Russian value", "user=Иванов\n", "user", "Иванов"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto v = SettingsFile(QString::fromUtf8(c.text)).value(QString::fromUtf8(c.key));
    if (!c.expected) {
      EXPECT_FALSE(v.has_value());
    } else {
      ASSERT_TRUE(v.has_value());
      EXPECT_EQ(*v, QString::fromUtf8(c.expected));
    }
  }
}

}  // namespace
}  // namespace tw::db
