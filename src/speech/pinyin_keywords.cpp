#include "speech/pinyin_keywords.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <string_view>

#include "speech/latin_readings.h"

namespace quillon {
namespace {

std::u32string decode_utf8(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : (b & (0x3F >> extra));
    for (int k = 1; k <= extra; ++k)
      c = (c << 6) | (static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0x3F);
    out.push_back(c);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string encode_utf8(char32_t c) {
  std::string s;
  append_utf8(s, c);
  return s;
}

constexpr std::array<char32_t, 10> kDigitHanzi = {U'零', U'一', U'二', U'三', U'四', U'五', U'六', U'七', U'八', U'九'};

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
  std::u32string text = decode_utf8(phrase);
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
  std::string upper = run;
  for (char& c : upper) c = c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
  return {run, latin_readings(run), upper};
}

// A spoken character's readings as token sequences the model knows, the usual
// one first.
std::vector<std::vector<std::string>> token_options(const PhraseReadings::Character& character,
                                                    const TokenSet& tokens) {
  const auto known = [&](const std::vector<std::string>& line) {
    return std::all_of(line.begin(), line.end(), [&](const std::string& t) { return tokens.contains(t); });
  };
  std::vector<std::vector<std::string>> options;
  for (const auto& reading : character.readings) {
    std::vector<std::string> line;
    for (const auto& syllable : reading) {
      const auto parts = split_syllable(syllable);
      line.insert(line.end(), parts.begin(), parts.end());
    }
    if (known(line)) options.push_back(std::move(line));
  }
  // The model's token list also holds the letters themselves; offered last,
  // after the names as they are said.
  std::vector<std::string> letters;
  for (const char c : character.latin) letters.emplace_back(1, c);
  if (!letters.empty() && known(letters)) options.push_back(std::move(letters));
  return options;
}

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

const std::vector<std::string>* PinyinReadings::find(char32_t c) const {
  const auto it = readings_.find(c);
  return it == readings_.end() || it->second.empty() ? nullptr : &it->second;
}

TokenSet TokenSet::parse(const std::string& tokens_txt) {
  TokenSet t;
  std::istringstream in(tokens_txt);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string token;
    if (fields >> token) t.tokens_.insert(token);
  }
  return t;
}

std::u32string spell_digits(const std::u32string& text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] < U'0' || text[i] > U'9') {
      out += text[i++];
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && text[end] >= U'0' && text[end] <= U'9') ++end;
    const std::size_t n = end - i;
    const auto digit = [&](std::size_t k) { return static_cast<std::size_t>(text[k] - U'0'); };
    if (n == 2 && digit(i) != 0) {
      if (digit(i) > 1) out += kDigitHanzi[digit(i)];
      out += U'十';
      if (digit(i + 1) != 0) out += kDigitHanzi[digit(i + 1)];
    } else {
      for (std::size_t k = i; k < end; ++k) out += kDigitHanzi[digit(k)];
    }
    i = end;
  }
  return out;
}

std::vector<std::string> split_syllable(const std::string& syllable) {
  static constexpr std::array<std::string_view, 23> kInitials = {"zh", "ch", "sh", "b", "p", "m", "f", "d",
                                                                 "t",  "n",  "l",  "g", "k", "h", "j", "q",
                                                                 "x",  "r",  "z",  "c", "s", "y", "w"};
  for (const auto initial : kInitials) {
    if (syllable.size() > initial.size() && syllable.compare(0, initial.size(), initial) == 0) {
      return {std::string(initial), syllable.substr(initial.size())};
    }
  }
  return {syllable};
}

std::string keyword_line(const std::vector<std::string>& tokens, const std::string& text) {
  std::string line;
  for (const auto& t : tokens) line += t + ' ';
  return line + '@' + text;
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
      PhraseReadings::Character character{encode_utf8(text[i++]), {}, {}};
      for (const auto& reading : *list) character.readings.push_back({reading});
      result.characters.push_back(std::move(character));
    } else {
      result.unsupported_reason = "no Mandarin reading for '" + encode_utf8(text[i]) + "'";
      result.characters.clear();
      return result;
    }
  }
  if (result.characters.empty()) result.unsupported_reason = "nothing to say";
  return result;
}

PhraseKeywords phrase_keywords(const std::string& phrase, const PinyinReadings& readings, const TokenSet& tokens,
                               std::size_t max_lines) {
  PhraseKeywords result;
  result.phrase = phrase;
  const PhraseReadings spoken = phrase_readings(phrase, readings);
  if (!spoken.supported()) {
    result.unsupported_reason = spoken.unsupported_reason;
    return result;
  }

  // Per spoken character: its readings as token sequences, usual one first.
  std::vector<std::vector<std::vector<std::string>>> choices;
  for (const auto& character : spoken.characters) {
    auto options = token_options(character, tokens);
    if (options.empty()) {
      result.unsupported_reason = "no Mandarin reading the model knows for '" + character.text + "'";
      return result;
    }
    choices.push_back(std::move(options));
  }

  // The usual reading of every character, then one character at a time
  // switched to another reading: enough for the common polyphones without
  // the product of all readings crowding the decoder.
  const auto line_with = [&](std::size_t at, std::size_t option) {
    std::vector<std::string> line;
    for (std::size_t k = 0; k < choices.size(); ++k) {
      const auto& syllable = choices[k][k == at ? option : 0];
      line.insert(line.end(), syllable.begin(), syllable.end());
    }
    return line;
  };
  result.lines.push_back(line_with(0, 0));
  for (std::size_t k = 0; k < choices.size() && result.lines.size() < max_lines; ++k) {
    for (std::size_t o = 1; o < choices[k].size() && result.lines.size() < max_lines; ++o) {
      auto line = line_with(k, o);
      if (std::find(result.lines.begin(), result.lines.end(), line) == result.lines.end()) {
        result.lines.push_back(std::move(line));
      }
    }
  }
  return result;
}

}  // namespace quillon
