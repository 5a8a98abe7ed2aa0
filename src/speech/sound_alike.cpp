#include "speech/sound_alike.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace quillon {
namespace {

struct Sound {
  std::string initial;  // empty for syllables such as "ān", "ér"
  std::string final;
  bool operator==(const Sound&) const = default;
};
using Saying = std::vector<Sound>;

// Enough for every combination of a few polyphones; more only repeats them.
constexpr std::size_t kMaxSayings = 64;

// Initials that many speakers merge or that differ only in aspiration.
constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kNearInitials = {{
    {"z", "zh"},
    {"c", "ch"},
    {"s", "sh"},
    {"n", "l"},
    {"f", "h"},
    {"b", "p"},
    {"d", "t"},
    {"g", "k"},
    {"j", "q"},
}};

// Finals with the same vowel that differ in their ending (an/ang, in/ing, ai/ang).
constexpr std::array<std::string_view, 8> kFinalGroups = {
    " a ai an ang ao ", " e ei en eng ", " i in ing ",        " ia ian iang iao ",
    " o ou ong ",       " u ui un ",     " ua uai uan uang ", " v ve van vn ",
};

bool near_initials(const std::string& a, const std::string& b) {
  return std::any_of(kNearInitials.begin(), kNearInitials.end(), [&](const auto& pair) {
    return (pair.first == a && pair.second == b) || (pair.first == b && pair.second == a);
  });
}

bool near_finals(const std::string& a, const std::string& b) {
  return std::any_of(kFinalGroups.begin(), kFinalGroups.end(), [&](std::string_view group) {
    return group.find(' ' + a + ' ') != std::string_view::npos && group.find(' ' + b + ' ') != std::string_view::npos;
  });
}

// In halves: 0 for the same sound, 1 for a similar one, 2 for another.
int token_cost(const std::string& a, const std::string& b, bool near) { return a == b ? 0 : near ? 1 : 2; }

int syllable_cost(const Sound& a, const Sound& b) {
  return token_cost(a.initial, b.initial, near_initials(a.initial, b.initial)) +
         token_cost(a.final, b.final, near_finals(a.final, b.final));
}

bool close(const Saying& a, const Saying& b) {
  if (a.size() != b.size()) return false;
  int cost = 0;
  for (std::size_t k = 0; k < a.size(); ++k) cost += syllable_cost(a[k], b[k]);
  // A lone syllable keeps its tone to tell it apart (加/减); two syllables
  // may differ by one similar sound; in longer phrases two sounds (a whole
  // syllable) weigh little against the rest.
  return cost <= (a.size() >= 3 ? 4 : a.size() == 2 ? 1 : 0);
}

Sound toneless(const std::string& syllable) {
  auto parts = split_syllable(plain_pinyin(syllable));
  if (parts.size() == 1) return {"", std::move(parts[0])};
  return {std::move(parts[0]), std::move(parts[1])};
}

// Every way of saying the phrase, the usual one first.
std::vector<Saying> sayings(const PhraseReadings& phrase) {
  std::vector<Saying> out{Saying{}};
  for (const auto& character : phrase.characters) {
    std::vector<Saying> longer;
    for (const auto& start : out) {
      for (const auto& reading : character.readings) {
        Saying saying = start;
        for (const auto& syllable : reading) saying.push_back(toneless(syllable));
        if (longer.size() < kMaxSayings && std::find(longer.begin(), longer.end(), saying) == longer.end())
          longer.push_back(std::move(saying));
      }
    }
    out = std::move(longer);
  }
  return out;
}

bool any_close(const std::vector<Saying>& a, const std::vector<Saying>& b) {
  return std::any_of(a.begin(), a.end(), [&](const Saying& x) {
    return std::any_of(b.begin(), b.end(), [&](const Saying& y) { return close(x, y); });
  });
}

}  // namespace

bool sound_alike(const PhraseReadings& a, const PhraseReadings& b) {
  return a.supported() && b.supported() && any_close(sayings(a), sayings(b));
}

std::vector<std::string> phrases_sounding_like(const std::string& phrase, const std::vector<std::string>& others,
                                               const PinyinReadings& readings) {
  const PhraseReadings mine = phrase_readings(phrase, readings);
  if (!mine.supported()) return {};
  const std::vector<Saying> my_sayings = sayings(mine);
  std::vector<std::string> alike;
  for (const auto& other : others) {
    if (other == phrase) continue;
    const PhraseReadings theirs = phrase_readings(other, readings);
    if (theirs.supported() && any_close(my_sayings, sayings(theirs))) alike.push_back(other);
  }
  return alike;
}

}  // namespace quillon
