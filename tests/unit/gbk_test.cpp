// GBK both ways: bad bytes read as U+FFFD one by one and are written back as
// "?"; a character GBK lacks is refused and named.

#include <gtest/gtest.h>

#include "vocabulary/gbk.h"

namespace quillon {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

TEST(GbkDecode, ReplacesEachBadByteAndKeepsTheRest) {
  struct Row {
    const char* what;
    std::string bytes;
    std::string text;
    std::size_t bad;
  };
  const Row rows[] = {
      {"empty", "", "", 0},
      {"ascii and line ends", "Ctrl+V\r\n", "Ctrl+V\r\n", 0},
      {"two-byte characters", "\xB3\xC7\xB1\xA4", "城堡", 0},
      {"euro sign of code page 936", "\x80", "€", 0},
      {"lead byte at the end", "a\xC4", "a" + kFffd, 1},
      {"lead byte before a line end", "\xC4\r\n", kFffd + "\r\n", 1},
      {"lead byte before a quote is re-read as a quote", "\xC4\"A\"", kFffd + "\"A\"", 1},
      {"a pair of lead bytes is one character", "\xC4\xC4", "哪", 0},
      {"two lone lead bytes", "\xC4<\xC4>", kFffd + "<" + kFffd + ">", 2},
      {"bad byte between good characters", "\xB3\xC7\x81\x20\xB1\xA4", "城" + kFffd + " 堡", 1},
  };
  for (const Row& row : rows) {
    const GbkDecoded decoded = gbk_decode(row.bytes);
    EXPECT_EQ(decoded.text, row.text) << row.what;
    EXPECT_EQ(decoded.bad_bytes, row.bad) << row.what;
  }
}

TEST(GbkEncode, WritesReplacementCharactersAsQuestionMarks) {
  struct Row {
    const char* what;
    std::string text;
    std::string bytes;
  };
  const Row rows[] = {
      {"empty", "", ""},
      {"chinese and ascii", "+城堡<", "+\xB3\xC7\xB1\xA4<"},
      {"replacement character", "城" + kFffd + "堡", "\xB3\xC7?\xB1\xA4"},
      {"replacement characters only", kFffd + kFffd, "??"},
      {"invalid utf-8 counts as a replacement",
       "a\xFF"
       "b",
       "a?b"},
      {"euro sign", "€", "\x80"},
  };
  for (const Row& row : rows) {
    const GbkEncoded encoded = gbk_encode(row.text);
    EXPECT_TRUE(encoded.ok) << row.what << ": " << encoded.message;
    EXPECT_EQ(encoded.bytes, row.bytes) << row.what;
  }
}

TEST(GbkEncode, RefusesACharacterGbkLacksAndNamesIt) {
  struct Row {
    const char* what;
    std::string text;
    char32_t refused;
    std::string shown;
  };
  const Row rows[] = {
      {"emoji in a phrase", "<P VALSTR=\"A\">+开火😀</P>", U'\U0001F600', "😀"},
      {"hangul after a replacement character", kFffd + "A한", U'\uD55C', "한"},
      {"first of two", "😀한", U'\U0001F600', "😀"},
  };
  for (const Row& row : rows) {
    const GbkEncoded encoded = gbk_encode(row.text);
    EXPECT_FALSE(encoded.ok) << row.what;
    EXPECT_EQ(encoded.refused, row.refused) << row.what;
    EXPECT_TRUE(encoded.bytes.empty()) << row.what;
    EXPECT_NE(encoded.message.find(row.shown), std::string::npos) << row.what << ": " << encoded.message;
  }
}

}  // namespace
}  // namespace quillon
