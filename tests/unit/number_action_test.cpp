// Actions with "{n}": the names a number makes of them, and the first number
// of a range the editor refuses.

#include <gtest/gtest.h>

#include "commands/number_action.h"

namespace quillon {
namespace {

TEST(NumberAction, ANumberThatMakesNoKeyIsNamed) {
  struct Row {
    const char* action;
    int number;
    std::optional<std::string> unknown;
  };
  const Row rows[] = {
      {"{n}*MRBC", 9, std::nullopt},
      {"{n}*MRBC", 10, "10"},
      {"Ctrl+{n}", 0, std::nullopt},
      {"Ctrl + {n}", 12, "12"},
      {"F{n}", 12, std::nullopt},
      {"F{n}", 25, "F25"},
      {"{n}!500", 10, "10"},
      {"Up!{n}00", 50, std::nullopt},
      {"Foo+{n}", 3, std::nullopt},
      {"Write[{n}]", 99, std::nullopt},
      {"Write[{n}]*Enter", 99, std::nullopt},
      {"Write[第{n}页]*Ctrl+{n}", 10, "10"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(unknown_name_with_number(row.action, row.number), row.unknown) << row.action << " " << row.number;
  }
}

TEST(NumberAction, TheFirstNumberWithoutAKeyIsFound) {
  EXPECT_EQ(first_number_without_key("{n}", 1, 20), 10);
  EXPECT_EQ(first_number_without_key("{n}", 0, 9), std::nullopt);
  EXPECT_EQ(first_number_without_key("F{n}", 1, 30), 13);
  EXPECT_EQ(first_number_without_key("Write[{n}]", 0, 99), std::nullopt);
}

}  // namespace
}  // namespace quillon
