#include "speech/latin_readings.h"
#include "vocabulary/ascii_case.h"

#include <algorithm>
#include <array>

namespace quillon {
namespace {

struct LetterName {
  std::string_view level;    // inside a run: mostly the high level tone
  std::string_view falling;  // said on its own or last in a run
  std::string_view other;    // another common name, or empty
  std::string_view english;
};

// Index: letter - 'A'. The later syllables of two- and three-syllable names are
// light (neutral tone), as in "āi fu".
constexpr std::array<LetterName, 26> kLetters = {{
    {"ēi", "èi", "", "EY"},
    {"bī", "bì", "", "B IY"},
    {"xī", "xì", "sēi", "S IY"},
    {"dī", "dì", "", "D IY"},
    {"yī", "yì", "", "IY"},
    {"āi fu", "ài fu", "", "EH F"},
    {"jī", "jì", "", "JH IY"},
    {"āi qi", "ài qi", "ēi qi", "EY CH"},
    {"āi", "ài", "", "AY"},
    {"jiē", "jiè", "", "JH EY"},
    {"kēi", "kèi", "", "K EY"},
    {"āi lu", "ài lu", "āi le", "EH L"},
    {"āi mu", "ài mu", "", "EH M"},
    {"ēn", "èn", "", "EH N"},
    {"ōu", "òu", "", "OW"},
    {"pī", "pì", "", "P IY"},
    {"kiū", "kiù", "qiū", "K Y UW"},
    {"ā er", "à er", "", "AA R"},
    {"āi si", "ài si", "", "EH S"},
    {"tī", "tì", "", "T IY"},
    {"yōu", "yòu", "", "Y UW"},
    {"wēi", "wèi", "", "V IY"},
    {"dā bu liū", "dā bu liù", "dá bu liū", "D AH B AH L Y UW"},
    {"āi ke si", "ài ke si", "", "EH K S"},
    {"wāi", "wài", "", "W AY"},
    {"zēi", "zèi", "zī", "Z IY"},
}};

// Words gamers say as words rather than spell out.
struct Word {
  std::string_view upper;
  std::array<std::string_view, 2> readings;
  std::string_view english;
};

constexpr Word kWords[] = {
    {"BOSS", {"bō si", "bō sī"}, "B AO S"},
    {"BUFF", {"bā fu", "bā fū"}, "B AH F"},
};

// Enough for the tone patterns and a few other names without crowding out
// the other characters' readings.
constexpr std::size_t kMaxRunReadings = 6;

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// "ài fu" → {"ài", "fu"}.
void append_syllables(std::vector<std::string>& out, std::string_view reading) {
  for (std::size_t at = 0; at < reading.size();) {
    const std::size_t end = std::min(reading.find(' ', at), reading.size());
    if (end > at) out.emplace_back(reading.substr(at, end - at));
    at = end + 1;
  }
}

const Word* find_word(const std::string& upper_letters) {
  const auto* found =
      std::find_if(std::begin(kWords), std::end(kWords), [&](const Word& w) { return w.upper == upper_letters; });
  return found == std::end(kWords) ? nullptr : found;
}

const LetterName& letter(char upper_letter) { return kLetters[static_cast<std::size_t>(upper_letter - 'A')]; }

std::vector<std::vector<std::string>> spelled_readings(const std::string& word) {
  std::vector<std::vector<std::string>> out;
  const auto add = [&](const std::vector<std::string_view>& names) {
    std::vector<std::string> syllables;
    for (const auto name : names) append_syllables(syllables, name);
    if (out.size() < kMaxRunReadings && std::find(out.begin(), out.end(), syllables) == out.end())
      out.push_back(std::move(syllables));
  };
  std::vector<std::string_view> level, last_falling, falling;
  for (const char c : word) {
    level.push_back(letter(c).level);
    falling.push_back(letter(c).falling);
  }
  last_falling = level;
  last_falling.back() = falling.back();
  add(level);
  add(last_falling);
  add(falling);
  for (std::size_t k = 0; k < word.size(); ++k) {
    if (letter(word[k]).other.empty()) continue;
    auto other = level;
    other[k] = letter(word[k]).other;
    add(other);
  }
  return out;
}

}  // namespace

std::vector<std::vector<std::string>> latin_readings(std::string_view letters) {
  if (letters.empty() || !std::all_of(letters.begin(), letters.end(), is_ascii_letter)) return {};
  const std::string word = ascii_upper(letters);
  if (const Word* w = find_word(word)) {
    std::vector<std::vector<std::string>> out(w->readings.size());
    for (std::size_t k = 0; k < out.size(); ++k) append_syllables(out[k], w->readings[k]);
    return out;
  }
  return spelled_readings(word);
}

std::string latin_english_phones(std::string_view letters) {
  if (letters.empty() || !std::all_of(letters.begin(), letters.end(), is_ascii_letter)) return {};
  const std::string word = ascii_upper(letters);
  if (const Word* w = find_word(word)) return std::string(w->english);
  std::string phones;
  for (const char c : word) {
    if (!phones.empty()) phones += ' ';
    phones += letter(c).english;
  }
  return phones;
}

}  // namespace quillon
