#include "speech/spotter/pinyin_keywords.h"

#include <algorithm>
#include <sstream>

namespace quillon {
namespace {

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

std::string keyword_line(const std::vector<std::string>& tokens, const std::string& text) {
  std::string line;
  for (const auto& t : tokens) line += t + ' ';
  return line + '@' + text;
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
