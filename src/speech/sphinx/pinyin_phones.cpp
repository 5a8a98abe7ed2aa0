#include "speech/sphinx/pinyin_phones.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "speech/latin_readings.h"

namespace quillon {
namespace {

struct Sound {
  std::string_view pinyin;
  std::string_view phones;
  std::string_view alternative;
};

// Measured on synthetic Mandarin against the en-us model: the first choice,
// and an alternative that was worth offering as a second pronunciation.
constexpr Sound kInitials[] = {
    {"zh", "JH", ""},  {"ch", "CH", ""}, {"sh", "SH", ""}, {"b", "B", ""},  {"p", "P", ""},  {"m", "M", ""},
    {"f", "F", ""},    {"d", "D", ""},   {"t", "T", ""},   {"n", "N", ""},  {"l", "L", ""},  {"g", "G", ""},
    {"k", "K", ""},    {"h", "HH", ""},  {"j", "JH", ""},  {"q", "CH", ""}, {"x", "SH", ""}, {"r", "R", "ZH"},
    {"z", "Z", "D Z"}, {"c", "T S", ""}, {"s", "S", ""},
};

// Finals in their full form (iou, uei, uen, v for ü); "-i" is the apical
// vowel after z/c/s, "-hi" after zh/ch/sh/r.
constexpr Sound kFinals[] = {
    {"a", "AA", ""},           {"o", "AO", "W AO"},     {"e", "AH", "ER"},         {"E", "EH", ""},
    {"ai", "AY", ""},          {"ei", "EY", ""},        {"ao", "AW", ""},          {"ou", "OW", ""},
    {"an", "AA N", "AE N"},    {"en", "AH N", ""},      {"ang", "AA NG", ""},      {"eng", "AH NG", ""},
    {"ong", "UH NG", "OW NG"}, {"er", "ER", "AA R"},    {"i", "IY", ""},           {"ia", "Y AA", ""},
    {"iao", "Y AW", ""},       {"ie", "Y EH", ""},      {"iou", "Y OW", ""},       {"ian", "Y EH N", "Y AE N"},
    {"in", "IY N", ""},        {"iang", "Y AA NG", ""}, {"ing", "IY NG", ""},      {"iong", "Y UH NG", "Y OW NG"},
    {"u", "UW", ""},           {"ua", "W AA", ""},      {"uo", "W AO", "W OW"},    {"uai", "W AY", ""},
    {"uei", "W EY", ""},       {"uan", "W AA N", ""},   {"uen", "W AH N", ""},     {"uang", "W AA NG", ""},
    {"ueng", "W AH NG", ""},   {"v", "Y UW", "IY"},     {"ve", "Y EH", "Y UW EH"}, {"van", "Y EH N", "Y UW AE N"},
    {"vn", "Y UW N", "IY N"},  {"-i", "IH", "Z"},       {"-hi", "ER", "R"},        {"io", "Y AO", ""},
};

const Sound* find_sound(const Sound* begin, const Sound* end, std::string_view pinyin) {
  const Sound* found = std::find_if(begin, end, [&](const Sound& s) { return s.pinyin == pinyin; });
  return found == end ? nullptr : found;
}

// The written final in its full form: y/w spellings resolved, ju/qu/xu as ü,
// the abbreviations iu, ui and un written out, the apical i told apart.
std::string full_final(const std::string& initial, std::string rest) {
  if (initial.empty() && !rest.empty() && rest[0] == 'y') {
    rest.erase(0, 1);
    if (!rest.empty() && rest[0] == 'u') {
      rest[0] = 'v';
    } else if (rest.empty() || rest[0] != 'i') {
      rest.insert(0, "i");
    }
  } else if (initial.empty() && !rest.empty() && rest[0] == 'w') {
    rest.erase(0, 1);
    if (rest != "u") rest.insert(0, "u");
  }
  if ((initial == "j" || initial == "q" || initial == "x") && !rest.empty() && rest[0] == 'u') rest[0] = 'v';
  if (rest == "iu") return "iou";
  if (rest == "ui") return "uei";
  if (rest == "un") return "uen";
  if (rest == "i" && (initial == "z" || initial == "c" || initial == "s")) return "-i";
  if (rest == "i" && (initial == "zh" || initial == "ch" || initial == "sh" || initial == "r")) return "-hi";
  return rest;
}

std::string join_parts(const std::vector<std::vector<SyllableSounds::Part>>& syllables,
                       const std::vector<std::vector<bool>>& use_alternative) {
  std::string out;
  for (std::size_t s = 0; s < syllables.size(); ++s) {
    for (std::size_t p = 0; p < syllables[s].size(); ++p) {
      const auto& part = syllables[s][p];
      if (!out.empty()) out += ' ';
      out += use_alternative[s][p] ? part.alternative : part.phones;
    }
  }
  return out;
}

// The sounds of each reading of a character, usual first; for Latin letters
// also their names in English phones, which this model knows best.
std::vector<SyllableSounds> character_sounds(const PhraseReadings::Character& character) {
  std::vector<SyllableSounds> options;
  for (const auto& reading : character.readings) {
    SyllableSounds sounds;
    for (const auto& syllable : reading) {
      const SyllableSounds one = syllable_sounds(syllable);
      if (!one.ok()) {
        sounds.parts.clear();
        break;
      }
      sounds.parts.insert(sounds.parts.end(), one.parts.begin(), one.parts.end());
    }
    if (sounds.ok()) options.push_back(std::move(sounds));
  }
  if (const std::string english = latin_english_phones(character.latin); !english.empty()) {
    options.push_back(SyllableSounds{{{english, ""}}});
  }
  return options;
}

}  // namespace

SyllableSounds syllable_sounds(const std::string& toned) {
  const std::string plain = plain_pinyin(toned);
  std::string initial;
  for (const Sound& s : kInitials) {
    if (plain.size() > s.pinyin.size() && plain.compare(0, s.pinyin.size(), s.pinyin) == 0) {
      initial = s.pinyin;
      break;
    }
  }
  const Sound* final_sound =
      find_sound(std::begin(kFinals), std::end(kFinals), full_final(initial, plain.substr(initial.size())));
  if (!final_sound) return {};
  SyllableSounds sounds;
  if (!initial.empty()) {
    const Sound* i = find_sound(std::begin(kInitials), std::end(kInitials), initial);
    sounds.parts.push_back({std::string(i->phones), std::string(i->alternative)});
  }
  sounds.parts.push_back({std::string(final_sound->phones), std::string(final_sound->alternative)});
  return sounds;
}

std::vector<std::string> phrase_pronunciations(const PhraseReadings& phrase, std::size_t max_count) {
  // Per character, the sounds of each reading that maps, usual reading first.
  std::vector<std::vector<SyllableSounds>> characters;
  for (const auto& character : phrase.characters) {
    std::vector<SyllableSounds> options = character_sounds(character);
    if (options.empty()) return {};
    characters.push_back(std::move(options));
  }
  if (characters.empty() || max_count == 0) return {};

  std::vector<std::string> out;
  const auto add = [&](std::string pronunciation) {
    if (out.size() < max_count && std::find(out.begin(), out.end(), pronunciation) == out.end())
      out.push_back(std::move(pronunciation));
  };
  const auto with_reading = [&](std::size_t at, std::size_t option) {
    std::vector<std::vector<SyllableSounds::Part>> parts;
    for (std::size_t c = 0; c < characters.size(); ++c) parts.push_back(characters[c][c == at ? option : 0].parts);
    return parts;
  };
  const auto usual = with_reading(characters.size(), 0);
  std::vector<std::vector<bool>> none;
  for (const auto& syllable : usual) none.emplace_back(syllable.size(), false);

  // Where an alternative exists; three of them are tried one at a time, and
  // all together when there are several.
  std::vector<std::pair<std::size_t, std::size_t>> alternatives;
  for (std::size_t s = 0; s < usual.size(); ++s)
    for (std::size_t p = 0; p < usual[s].size(); ++p)
      if (!usual[s][p].alternative.empty()) alternatives.emplace_back(s, p);
  const std::size_t swaps = std::min<std::size_t>(alternatives.size(), 3) + (alternatives.size() > 1 ? 1 : 0);

  add(join_parts(usual, none));
  // Other readings of polyphonic characters, one character at a time, leaving
  // room for the alternatives.
  const std::size_t polyphone_limit = max_count > swaps + 1 ? max_count - swaps : 1;
  for (std::size_t c = 0; c < characters.size(); ++c) {
    for (std::size_t o = 1; o < characters[c].size() && out.size() < polyphone_limit; ++o)
      add(join_parts(with_reading(c, o), none));
  }
  auto all = none;
  for (std::size_t k = 0; k < alternatives.size(); ++k) {
    const auto [s, p] = alternatives[k];
    all[s][p] = true;
    if (k < 3) {
      auto one = none;
      one[s][p] = true;
      add(join_parts(usual, one));
    }
  }
  if (alternatives.size() > 1) add(join_parts(usual, all));
  return out;
}

}  // namespace quillon
