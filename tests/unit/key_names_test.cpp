// The key and mouse name tables: every name, its code, and names that must
// match nothing.

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>

#include "commands/action.h"
#include "commands/key_names.h"
#include "vocabulary/ascii_case.h"

namespace quillon {
namespace {

struct Named {
  const char* name;
  int code;
};

constexpr Named kNamedRows[] = {
    {"ctrl", 0x11},        {"alt", 0x12},      {"shift", 0x10},    {"backspace", 0x08}, {"space", 0x20},
    {"tab", 0x09},         {"capslock", 0x14}, {"insert", 0x2D},   {"pageup", 0x21},    {"pagedown", 0x22},
    {"up", 0x26},          {"down", 0x28},     {"left", 0x25},     {"right", 0x27},     {"esc", 0x1B},
    {"printscreen", 0x2A}, {"delete", 0x2E},   {"home", 0x24},     {"end", 0x23},       {"enter", 0x0D},
    {"scrolllock", 0x91},  {"pause", 0x13},    {"numlock", 0x90},  {".", 0xBE},         {",", 0xBC},
    {";", 0xBA},           {"'", 0xDE},        {"/", 0xBF},        {"\\", 0xDC},        {"=", 0xBB},
    {"-", 0xBD},           {"lwindows", 0x5B}, {"rwindows", 0x5C}, {"popmenu", 0x5D},   {"add", 0x6B},
    {"sub", 0x6D},         {"mul", 0x6A},      {"div", 0x6F},
};

TEST(KeyNames, AllEightySixNamesGiveTheirWindowsCodes) {
  int names = 0;
  for (char d = '0'; d <= '9'; ++d, ++names) EXPECT_EQ(key_code(std::string(1, d)), 0x30 + (d - '0'));
  for (char c = 'a'; c <= 'z'; ++c, ++names) {
    EXPECT_EQ(key_code(std::string(1, c)), 0x41 + (c - 'a'));
    EXPECT_EQ(key_code(std::string(1, static_cast<char>(c - 'a' + 'A'))), 0x41 + (c - 'a'));
  }
  for (int f = 1; f <= 12; ++f, ++names) {
    EXPECT_EQ(key_code("f" + std::to_string(f)), 0x6F + f);
    EXPECT_EQ(key_code("F" + std::to_string(f)), 0x6F + f);
  }
  for (const Named& row : kNamedRows) {
    EXPECT_EQ(key_code(row.name), row.code) << row.name;
    std::string upper(row.name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(key_code(upper), row.code) << upper;
    ++names;
  }
  EXPECT_EQ(names, 86);
  EXPECT_EQ(key_code("CTRL"), 0x11);
  EXPECT_EQ(key_code("PageUp"), 0x21);
  EXPECT_EQ(key_code("LWindows"), 0x5B);
}

TEST(KeyNames, NamesOutsideTheTableMatchNothing) {
  for (const char* name : {"",  "f0", "f13", "f01",      "F1 ",    " a",     "ctrl ", "lctrl", "num0", "[",       "`",
                           "+", "*",  "!",   "snapshot", "return", "escape", "mlbc",  "10",    "aa",   "\xC3\xA4"}) {
    EXPECT_FALSE(key_code(name).has_value()) << name;
  }
}

TEST(MouseNames, TwelveActionsWithTheirFlagsAndSteps) {
  struct Row {
    const char* name;
    std::uint32_t flags;
    int dx, dy, repeat;
  };
  const Row rows[] = {
      {"MLBC", 0x06, 0, 0, 1},       {"MRBC", 0x18, 0, 0, 1},     {"MLBDC", 0x06, 0, 0, 2},
      {"MRBDC", 0x18, 0, 0, 2},      {"MLeftM", 0x01, -10, 0, 1}, {"MRightM", 0x01, 10, 0, 1},
      {"MUpM", 0x01, 0, -10, 1},     {"MDownM", 0x01, 0, 10, 1},  {"MLeftBM", 0x01, -100, 0, 1},
      {"MRightBM", 0x01, 100, 0, 1}, {"MUpBM", 0x01, 0, -100, 1}, {"MDownBM", 0x01, 0, 100, 1},
  };
  for (const Row& row : rows) {
    const auto action = mouse_action(row.name);
    ASSERT_TRUE(action.has_value()) << row.name;
    EXPECT_EQ(action->flags, row.flags) << row.name;
    EXPECT_EQ(action->dx, row.dx) << row.name;
    EXPECT_EQ(action->dy, row.dy) << row.name;
    EXPECT_EQ(action->repeat, row.repeat) << row.name;
    EXPECT_TRUE(mouse_action(ascii_lower(row.name)).has_value());
  }
  EXPECT_FALSE(mouse_action("MMBC").has_value());
  EXPECT_FALSE(mouse_action("MLB C").has_value());
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
