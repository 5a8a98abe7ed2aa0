#include "speech/pinyin_readings.h"

#include <QString>
#include <algorithm>
#include <array>

#include "speech/latin_readings.h"
#include "vocabulary/ascii_case.h"
#include "vocabulary/number_slot.h"

namespace quillon {
namespace {

// Two-letter initials first, so that "zh" is not taken for "z".
constexpr std::array<std::string_view, 23> kInitials = {"zh", "ch", "sh", "b", "p", "m", "f", "d", "t", "n", "l", "g",
                                                        "k",  "h",  "j",  "q", "x", "r", "z", "c", "s", "y", "w"};

std::string utf8(char32_t c) { return QString::fromUcs4(&c, 1).toStdString(); }

bool is_ascii_letter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }

// Full-width digits and letters are said as their ASCII forms.
char32_t ascii_form(char32_t c) { return c >= 0xFF10 && c <= 0xFF5A ? c - 0xFF10 + U'0' : c; }

// Spaces and punctuation are not spoken.
bool is_silent(char32_t c) {
  if (c < 0x80) return !(c >= U'0' && c <= U'9') && !is_ascii_letter(c);
  return (c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x3003) || (c >= 0x3008 && c <= 0x303F) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) ||
         (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65) || c == 0xB7;
}

void add_reading(std::vector<std::string>& list, std::string reading) {
  if (!reading.empty() && std::find(list.begin(), list.end(), reading) == list.end())
    list.push_back(std::move(reading));
}

// The phrase with full-width digits and letters as ASCII, and digits as
// Chinese numbers.
std::u32string spoken_form(const std::string& phrase) {
  std::u32string text = QString::fromStdString(phrase).toStdU32String();
  for (auto& c : text) {
    const char32_t ascii = ascii_form(c);
    if ((ascii >= U'0' && ascii <= U'9') || is_ascii_letter(ascii)) c = ascii;
  }
  return spell_digits(text);
}

// The run of ASCII letters that starts at `at`, which moves past it.
PhraseReadings::Character letter_run(const std::u32string& text, std::size_t& at) {
  std::string run;
  for (; at < text.size() && is_ascii_letter(text[at]); ++at) run += static_cast<char>(text[at]);
  return {run, latin_readings(run), ascii_upper(run)};
}

struct Letter {
  std::string_view utf8;
  char plain;
};

// Tone-marked vowels; ê is kept apart as 'E' (it is its own final).
constexpr Letter kMarked[] = {
    {"ā", 'a'}, {"á", 'a'}, {"ǎ", 'a'}, {"à", 'a'}, {"ē", 'e'}, {"é", 'e'}, {"ě", 'e'}, {"è", 'e'}, {"ī", 'i'},
    {"í", 'i'}, {"ǐ", 'i'}, {"ì", 'i'}, {"ō", 'o'}, {"ó", 'o'}, {"ǒ", 'o'}, {"ò", 'o'}, {"ū", 'u'}, {"ú", 'u'},
    {"ǔ", 'u'}, {"ù", 'u'}, {"ǖ", 'v'}, {"ǘ", 'v'}, {"ǚ", 'v'}, {"ǜ", 'v'}, {"ü", 'v'}, {"Ü", 'v'}, {"ê", 'E'},
    {"ế", 'E'}, {"ề", 'E'}, {"ḿ", 'm'}, {"ń", 'n'}, {"ň", 'n'}, {"ǹ", 'n'}, {"Ā", 'a'}, {"Á", 'a'}, {"Ǎ", 'a'},
    {"À", 'a'}, {"Ē", 'e'}, {"É", 'e'}, {"Ě", 'e'}, {"È", 'e'}, {"Ō", 'o'}, {"Ó", 'o'}, {"Ǒ", 'o'}, {"Ò", 'o'},
};

}  // namespace

PinyinReadings PinyinReadings::parse(const std::string& unihan_text) {
  PinyinReadings r;
  // kMandarin precedes kXHC1983 for each code point in the file, so the usual
  // reading lands first. Plain scanning: the file has 8 MB of other fields.
  const std::string_view text(unihan_text);
  const auto words = [](std::string_view s, char sep, auto&& each) {
    for (std::size_t at = 0; at <= s.size();) {
      const auto end = std::min(s.find(sep, at), s.size());
      if (end > at) each(s.substr(at, end - at));
      at = end + 1;
    }
  };
  for (std::size_t at = 0; at < text.size();) {
    const auto eol = std::min(text.find('\n', at), text.size());
    const std::string_view line = text.substr(at, eol - at);
    at = eol + 1;
    if (line.size() < 3 || line[0] != 'U' || line[1] != '+') continue;
    const auto tab1 = line.find('\t');
    const auto tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos) continue;
    const std::string_view field = line.substr(tab1 + 1, tab2 - tab1 - 1);
    const bool mandarin = field == "kMandarin";
    if (!mandarin && field != "kXHC1983") continue;
    const auto cp = static_cast<char32_t>(std::stoul(std::string(line.substr(2, tab1 - 2)), nullptr, 16));
    auto& list = r.readings_[cp];
    std::string_view values = line.substr(tab2 + 1);
    if (!values.empty() && values.back() == '\r') values.remove_suffix(1);
    words(values, ' ', [&](std::string_view value) {
      if (!mandarin) value = value.substr(value.find(':') + 1);  // "0224.030:de"
      words(value, ',', [&](std::string_view reading) { add_reading(list, std::string(reading)); });
    });
  }
  return r;
}

const PinyinReadings& SharedReadings::get() const {
  std::call_once(once_, [this] { readings_ = read_(); });
  return readings_;
}

const std::vector<std::string>* PinyinReadings::find(char32_t c) const {
  const auto it = readings_.find(c);
  return it == readings_.end() || it->second.empty() ? nullptr : &it->second;
}

std::u32string spell_digits(const std::u32string& text) {
  // One rule for how numbers are said, shared with the vocabulary's number slots.
  const std::string said = said_with_numbers(QString::fromStdU32String(text).toStdString());
  return QString::fromStdString(said).toStdU32String();
}

bool is_pinyin_initial(std::string_view token) {
  return std::find(kInitials.begin(), kInitials.end(), token) != kInitials.end();
}

std::vector<std::string> split_syllable(const std::string& syllable) {
  for (const auto initial : kInitials) {
    if (syllable.size() > initial.size() && syllable.compare(0, initial.size(), initial) == 0) {
      return {std::string(initial), syllable.substr(initial.size())};
    }
  }
  return {syllable};
}

std::string plain_pinyin(const std::string& toned) {
  std::string out;
  for (std::size_t i = 0; i < toned.size();) {
    const auto b = static_cast<unsigned char>(toned[i]);
    if (b < 0x80) {
      out += ascii_lower(static_cast<char>(b));
      ++i;
      continue;
    }
    const std::string_view rest(toned.data() + i, toned.size() - i);
    const Letter* letter = std::find_if(std::begin(kMarked), std::end(kMarked),
                                        [&](const Letter& l) { return rest.substr(0, l.utf8.size()) == l.utf8; });
    if (letter != std::end(kMarked)) {
      out += letter->plain;
      i += letter->utf8.size();
      continue;
    }
    // Anything else (combining tone marks over m, n or ê) is dropped whole.
    i += b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  }
  return out;
}

std::size_t PhraseReadings::syllable_count() const {
  std::size_t n = 0;
  for (const auto& c : characters) n += c.readings.front().size();
  return n;
}

PhraseReadings phrase_readings(const std::string& phrase, const PinyinReadings& readings) {
  PhraseReadings result;
  const std::u32string text = spoken_form(phrase);
  for (std::size_t i = 0; i < text.size();) {
    if (is_silent(text[i])) {
      ++i;
    } else if (is_ascii_letter(text[i])) {
      result.characters.push_back(letter_run(text, i));
    } else if (const auto* list = readings.find(text[i])) {
      PhraseReadings::Character character{utf8(text[i++]), {}, {}};
      for (const auto& reading : *list) character.readings.push_back({reading});
      result.characters.push_back(std::move(character));
    } else {
      result.unsupported_reason = "no Mandarin reading for '" + utf8(text[i]) + "'";
      result.characters.clear();
      return result;
    }
  }
  if (result.characters.empty()) result.unsupported_reason = "nothing to say";
  return result;
}

}  // namespace quillon
