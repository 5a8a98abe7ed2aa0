// Names that must match no key, hold times, and which action strings are
// commands. Every key and mouse name is sent to a real X server in
// tests/x11/injection_test.cpp.

#include <gtest/gtest.h>

#include <cmath>

#include "commands/action.h"
#include "commands/key_names.h"

namespace quillon {
namespace {

TEST(KeyNames, NamesOutsideTheTableMatchNothing) {
  for (const char* name : {"",  "f0", "f13", "f01",      "F1 ",    " a",     "ctrl ", "lctrl", "num0", "[",       "`",
                           "+", "*",  "!",   "snapshot", "return", "escape", "mlbc",  "10",    "aa",   "\xC3\xA4"}) {
    EXPECT_FALSE(key_code(name).has_value()) << name;
  }
}

TEST(HoldNumber, LongestLeadingDecimalNumberElseZero) {
  struct Row {
    const char* text;
    double ms;
  };
  const Row rows[] = {
      {"1000", 1000},  {"1000ms", 1000}, {"12.5", 12.5}, {".5", 0.5},     {"5.", 5},     {"-20", -20},
      {"1e3", 1000},   {"1E3", 1000},    {"1e+3", 1000}, {"1e-3", 0.001}, {"1e", 1},     {"1e-", 1},
      {"2.5e2x", 250}, {"", 0},          {"abc", 0},     {"-", 0},        {".", 0},      {"-.", 0},
      {"+5", 0},       {"!5", 0},        {"5!6", 5},     {"0x10", 0},     {"1e-999", 0}, {"007", 7},
  };
  for (const Row& row : rows) EXPECT_DOUBLE_EQ(read_hold_milliseconds(row.text), row.ms) << row.text;
  EXPECT_TRUE(std::isinf(read_hold_milliseconds("1e999")));
  EXPECT_GT(read_hold_milliseconds("1e999"), 0);
  EXPECT_LT(read_hold_milliseconds("-1e999"), 0);
  EXPECT_TRUE(std::isinf(read_hold_milliseconds(std::string(400, '9'))));
}

TEST(ActionFamily, OpenOrWriteAnywhereMakesACommand) {
  for (const char* text : {"OpenPage[x]", "xWRITEx", "Ctrl+Write[abc]", "reopen", "openie"}) {
    EXPECT_TRUE(std::holds_alternative<CommandPlan>(read_action(text))) << text;
  }
  for (const char* text : {"Ctrl+V", "", "op en", "wr ite", "Writ"}) {
    EXPECT_TRUE(std::holds_alternative<KeyPlan>(read_action(text))) << text;
  }
}

}  // namespace
}  // namespace quillon
