#pragma once

// Phrases with a number: "[1-9]号部队过来" stands for 一号部队过来 … 九号部队过来,
// and "{n}" in its action becomes the number said, in digits. The file keeps
// the phrase as written; engines hear its expansions, and a heard expansion
// is mapped back to its entry here. Pure text, no Qt.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

inline constexpr std::string_view kNumberMark = "{n}";
inline constexpr int kLargestSlotNumber = 99;

struct NumberSlot {
  std::size_t at = 0;      // byte offset of "[" in the phrase
  std::size_t length = 0;  // bytes from "[" to "]", both included
  int first = 0;
  int last = 0;
};

// The phrase's slot: its only "[" and "]" enclosing A-B, whole numbers of one
// or two digits with 0 ≤ A < B ≤ 99. Nothing for a phrase without brackets,
// and for one whose brackets are anything else (see has_bracket).
std::optional<NumberSlot> number_slot(std::string_view phrase);

// Whether the phrase holds "[" or "]"; with number_slot() empty, its brackets
// are no slot and no engine can say them.
bool has_bracket(std::string_view phrase);

// How n (0–99) is said: 零 一 … 九, 十, 十一 … 十九, 二十 … 九十九.
std::string chinese_number(int n);

// The phrase as it is said: each run of one or two digits (ASCII or
// full-width) as its Chinese number, unless it starts with 0; longer runs and
// those with a leading 0 digit by digit (2002 → 二零零二, 05 → 零五).
std::string said_with_numbers(std::string_view phrase);

struct SaidNumber {
  std::string text;  // the phrase said with the number
  int number = 0;
};

// The phrase said with each number of its slot, in order; 2 also with 两
// (两倍速度), right after 二.
std::vector<SaidNumber> slot_expansions(std::string_view phrase, const NumberSlot& slot);

// The number of the slot's range that `said` is `phrase` said with, if any.
std::optional<int> number_said(std::string_view phrase, const NumberSlot& slot, std::string_view said);

// `action` with every "{n}" replaced by the number in digits.
std::string with_number(std::string_view action, int number);

// The phrases of a vocabulary as engines are to hear them: a plain phrase as
// written, a slot phrase as its expansions. Plain phrases win: an expansion
// that a plain phrase already says (digits read as numbers) is left out, and
// so is one an earlier slot phrase says. After them come the slot phrases said
// with the numbers of 0 to 99 outside the range that could be taken for one in
// it (a syllable more or less), which do nothing when heard: without them an
// engine hearing 选择十号部队 beside 选择[1-9]号部队 would take the nearest
// phrase it knows, 选择四号部队, and act. Phrases with brackets that are no
// slot cannot be said and are listed apart.
struct HeardPhrases {
  std::vector<std::string> said;     // each text once
  std::vector<std::size_t> written;  // per said text: the index of its phrase in the input
  std::vector<bool> acts;            // per said text: false for a number outside its slot's range
  std::vector<std::string> unsayable;
};
HeardPhrases phrases_to_hear(const std::vector<std::string>& phrases);

// The expansions of `slot_phrase` that phrases written before it already say:
// those keep them (plain phrases, then the earlier slot phrase).
std::vector<std::string> expansions_said_before(const std::string& slot_phrase,
                                                const std::vector<std::string>& earlier);

// The slot phrases of `phrases` that also say `plain_phrase`; it keeps what it says.
std::vector<std::string> slots_saying(const std::string& plain_phrase, const std::vector<std::string>& phrases);

// For an engine that reads the vocabulary file itself (the Windows speech
// platform): the text with each slot phrase's entry replaced by an entry for
// every text phrases_to_hear gives it, with the same action, and the entries
// whose brackets are no slot left out (they are listed). Nothing when no
// phrase has brackets: the file serves as it is.
struct SaidVocabulary {
  std::string text;
  std::vector<std::string> unsayable;
};
std::optional<SaidVocabulary> vocabulary_as_said(std::string_view vocab_text);

struct HeardEntry {
  std::string phrase;  // as the vocabulary writes it
  std::string action;  // as written, "{n}" not yet replaced
  std::optional<int> number;
};

// The entry a heard text is said for: the entry of exactly that phrase (the
// first "+text<", as find_action), else the first slot phrase whose range
// holds it, unless a plain phrase says the same. Nothing for a text with
// brackets: a slot's own spelling is never said.
std::optional<HeardEntry> entry_heard(std::string_view vocab_text, std::string_view heard);

}  // namespace quillon
