#include "platform/automation/strtoint.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace tw {
namespace {

TEST(StrToInt, Accepts) {
  struct Case {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"6", 6},
      {"  7", 7},
      {"+2", 2},
      {"-1", -1},
      {"0", 0},
      {"007", 7},
      {"$10", 16},
      {"x1f", 31},
      {"X1F", 31},
      {"0x10", 16},
      {"0XfF", 255},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"$FFFFFFFF", -1},
      {"0x7FFFFFFF", 2147483647},
  };
  for (const auto& c : cases) EXPECT_EQ(strToInt(c.text), c.value) << c.text;
}

TEST(StrToInt, RefusesWithTheTextInTheMessage) {
  for (const char* text :
       {"", " ", "+", "-", "$", "0x", "6 ", "6a", "1.5", "2147483648", "-2147483649", "$100000000",
        "\t6", "six", "0b1", "--1", "+-1", "/usr/bin/tarnwick"}) {
    try {
      strToInt(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
      EXPECT_EQ(e.kind(), errkind::kConvert);
    }
  }
}

}  // namespace
}  // namespace tw
