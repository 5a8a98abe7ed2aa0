#include "vocabulary/number_slot.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <unordered_set>

#include "vocabulary/vocab_text.h"

namespace quillon {
namespace {

constexpr std::array<std::string_view, 10> kDigits = {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
constexpr std::string_view kTen = "十";
constexpr std::string_view kLiang = "两";
constexpr std::string_view kFullWidthDigitLead = "\xEF\xBC";  // U+FF10..U+FF19 are EF BC 90..99

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A whole number of one or two digits, and nothing else.
std::optional<int> small_number(std::string_view text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (!is_digit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The digit at `at` (ASCII or full-width) and its length in bytes.
std::optional<std::pair<int, std::size_t>> digit_at(std::string_view text, std::size_t at) {
  if (is_digit(text[at])) return std::pair{text[at] - '0', std::size_t{1}};
  if (text.substr(at, 2) == kFullWidthDigitLead && at + 2 < text.size()) {
    const auto third = static_cast<unsigned char>(text[at + 2]);
    if (third >= 0x90 && third <= 0x99) return std::pair{third - 0x90, std::size_t{3}};
  }
  return std::nullopt;
}

// Syllables of chinese_number(n).
int syllables(int n) { return n <= 10 ? 1 : (n < 20 || n % 10 == 0) ? 2 : 3; }

// Whether an engine might take `n` for a number of the slot's range: engines
// forgive a phrase a syllable more or less, not two (一 is never heard for 二十一).
bool near_range(int n, const NumberSlot& slot) {
  for (int m = slot.first; m <= slot.last; ++m) {
    if (std::abs(syllables(n) - syllables(m)) <= 1) return true;
  }
  return false;
}

std::string replaced(std::string_view phrase, const NumberSlot& slot, std::string_view number) {
  std::string text(phrase.substr(0, slot.at));
  text += number;
  text += phrase.substr(slot.at + slot.length);
  return text;
}

}  // namespace

std::optional<NumberSlot> number_slot(std::string_view phrase) {
  const std::size_t open = phrase.find('[');
  const std::size_t close = phrase.find(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return std::nullopt;
  if (phrase.find('[', open + 1) != std::string_view::npos || phrase.find(']', close + 1) != std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view inside = phrase.substr(open + 1, close - open - 1);
  const std::size_t dash = inside.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const auto first = small_number(inside.substr(0, dash));
  const auto last = small_number(inside.substr(dash + 1));
  if (!first || !last || *first >= *last) return std::nullopt;
  return NumberSlot{open, close - open + 1, *first, *last};
}

bool has_bracket(std::string_view phrase) { return phrase.find_first_of("[]") != std::string_view::npos; }

std::string chinese_number(int n) {
  if (n < 10) return std::string(kDigits[static_cast<std::size_t>(n)]);
  std::string text;
  if (n >= 20) text += kDigits[static_cast<std::size_t>(n / 10)];
  text += kTen;
  if (n % 10 != 0) text += kDigits[static_cast<std::size_t>(n % 10)];
  return text;
}

std::string said_with_numbers(std::string_view phrase) {
  std::string out;
  for (std::size_t i = 0; i < phrase.size();) {
    std::vector<int> run;
    std::size_t end = i;
    while (end < phrase.size()) {
      const auto digit = digit_at(phrase, end);
      if (!digit) break;
      run.push_back(digit->first);
      end += digit->second;
    }
    if (run.empty()) {
      out += phrase[i++];
      continue;
    }
    if (run.size() <= 2 && run.front() != 0) {
      out += chinese_number(run.size() == 1 ? run[0] : run[0] * 10 + run[1]);
    } else {
      for (int d : run) out += kDigits[static_cast<std::size_t>(d)];
    }
    i = end;
  }
  return out;
}

std::vector<SaidNumber> slot_expansions(std::string_view phrase, const NumberSlot& slot) {
  std::vector<SaidNumber> out;
  for (int n = slot.first; n <= slot.last; ++n) {
    out.push_back({replaced(phrase, slot, chinese_number(n)), n});
    if (n == 2) out.push_back({replaced(phrase, slot, kLiang), n});
  }
  return out;
}

std::optional<int> number_said(std::string_view phrase, const NumberSlot& slot, std::string_view said) {
  const std::string_view before = phrase.substr(0, slot.at);
  const std::string_view after = phrase.substr(slot.at + slot.length);
  if (said.size() <= before.size() + after.size() || !said.starts_with(before) || !said.ends_with(after)) {
    return std::nullopt;
  }
  const std::string_view number = said.substr(before.size(), said.size() - before.size() - after.size());
  if (number == kLiang) return 2 >= slot.first && 2 <= slot.last ? std::optional<int>(2) : std::nullopt;
  for (int n = slot.first; n <= slot.last; ++n) {
    if (number == chinese_number(n)) return n;
  }
  return std::nullopt;
}

std::string with_number(std::string_view action, int number) {
  const std::string digits = std::to_string(number);
  std::string out;
  std::size_t from = 0;
  for (std::size_t at = action.find(kNumberMark); at != std::string_view::npos; at = action.find(kNumberMark, from)) {
    out += action.substr(from, at - from);
    out += digits;
    from = at + kNumberMark.size();
  }
  out += action.substr(from);
  return out;
}

HeardPhrases phrases_to_hear(const std::vector<std::string>& phrases) {
  std::unordered_set<std::string> said_plainly;
  for (const std::string& phrase : phrases) {
    if (!has_bracket(phrase)) said_plainly.insert(said_with_numbers(phrase));
  }
  HeardPhrases heard;
  std::unordered_set<std::string> taken;
  const auto add = [&](std::string text, std::size_t written, bool acts) {
    if (!taken.insert(text).second) return;
    heard.said.push_back(std::move(text));
    heard.written.push_back(written);
    heard.acts.push_back(acts);
  };
  for (std::size_t k = 0; k < phrases.size(); ++k) {
    const std::string& phrase = phrases[k];
    if (!has_bracket(phrase)) {
      add(phrase, k, true);
    } else if (const auto slot = number_slot(phrase)) {
      for (SaidNumber& expansion : slot_expansions(phrase, *slot)) {
        if (!said_plainly.contains(said_with_numbers(expansion.text))) add(std::move(expansion.text), k, true);
      }
    } else {
      heard.unsayable.push_back(phrase);
    }
  }
  for (std::size_t k = 0; k < phrases.size(); ++k) {
    const auto slot = number_slot(phrases[k]);
    if (!slot) continue;
    const NumberSlot every{slot->at, slot->length, 0, kLargestSlotNumber};
    for (SaidNumber& other : slot_expansions(phrases[k], every)) {
      const bool in_range = other.number >= slot->first && other.number <= slot->last;
      if (in_range || !near_range(other.number, *slot)) continue;
      if (!said_plainly.contains(said_with_numbers(other.text))) add(std::move(other.text), k, false);
    }
  }
  return heard;
}

std::vector<std::string> expansions_said_before(const std::string& slot_phrase,
                                                const std::vector<std::string>& earlier) {
  const auto slot = number_slot(slot_phrase);
  if (!slot) return {};
  std::vector<std::string> all = earlier;
  all.push_back(slot_phrase);
  const HeardPhrases heard = phrases_to_hear(all);
  std::unordered_set<std::string> kept;
  for (std::size_t k = 0; k < heard.said.size(); ++k) {
    if (heard.written[k] == earlier.size()) kept.insert(heard.said[k]);
  }
  std::vector<std::string> taken;
  for (SaidNumber& expansion : slot_expansions(slot_phrase, *slot)) {
    if (!kept.contains(expansion.text)) taken.push_back(std::move(expansion.text));
  }
  return taken;
}

std::vector<std::string> slots_saying(const std::string& plain_phrase, const std::vector<std::string>& phrases) {
  if (has_bracket(plain_phrase)) return {};
  const std::string said = said_with_numbers(plain_phrase);
  std::vector<std::string> slots;
  for (const std::string& phrase : phrases) {
    const auto slot = number_slot(phrase);
    if (slot && (number_said(phrase, *slot, plain_phrase) || number_said(phrase, *slot, said))) slots.push_back(phrase);
  }
  return slots;
}

std::optional<SaidVocabulary> vocabulary_as_said(std::string_view vocab_text) {
  const std::vector<VocabEntry> entries = list_entries(vocab_text);
  if (std::none_of(entries.begin(), entries.end(), [](const VocabEntry& e) { return has_bracket(e.phrase); })) {
    return std::nullopt;
  }
  std::vector<std::string> phrases;
  for (const VocabEntry& e : entries) phrases.push_back(e.phrase);
  HeardPhrases heard = phrases_to_hear(phrases);
  std::vector<std::vector<std::string>> said_of(entries.size());
  for (std::size_t k = 0; k < heard.said.size(); ++k) said_of[heard.written[k]].push_back(std::move(heard.said[k]));

  SaidVocabulary out{{}, std::move(heard.unsayable)};
  std::size_t copied = 0;  // the text before this is in out.text
  std::size_t search = 0;  // entries come in file order: each is found after the one before
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const std::string key = "+" + entries[k].phrase + "<";
    const std::size_t at = vocab_text.find(key, search);
    if (at == std::string_view::npos) break;
    search = at + 1;
    if (!has_bracket(entries[k].phrase)) continue;
    const std::size_t start = vocab_text.rfind("<P", at);
    const std::size_t end = vocab_text.find("</P>", at);
    if (start == std::string_view::npos || start < copied || end == std::string_view::npos) continue;
    out.text += vocab_text.substr(copied, start - copied);
    for (std::size_t s = 0; s < said_of[k].size(); ++s) {
      if (s > 0) out.text += "\r\n";
      out.text += "<P VALSTR=\"" + entries[k].action + "\">+" + said_of[k][s] + "</P>";
    }
    copied = end + std::string_view("</P>").size();
  }
  out.text += vocab_text.substr(copied);
  return out;
}

std::optional<HeardEntry> entry_heard(std::string_view vocab_text, std::string_view heard) {
  if (has_bracket(heard)) return std::nullopt;
  if (auto action = find_action(vocab_text, heard)) return HeardEntry{std::string(heard), std::move(*action), {}};
  const std::vector<VocabEntry> entries = list_entries(vocab_text);
  for (const VocabEntry& entry : entries) {
    const auto slot = number_slot(entry.phrase);
    if (!slot) continue;
    const auto number = number_said(entry.phrase, *slot, heard);
    if (!number) continue;
    const std::string said = said_with_numbers(heard);
    for (const VocabEntry& plain : entries) {
      if (!has_bracket(plain.phrase) && said_with_numbers(plain.phrase) == said)
        return HeardEntry{plain.phrase, plain.action, {}};
    }
    return HeardEntry{entry.phrase, entry.action, number};
  }
  return std::nullopt;
}

}  // namespace quillon
