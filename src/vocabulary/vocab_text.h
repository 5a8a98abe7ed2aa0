#pragma once

// Text operations on a vocabulary file held in memory (UTF-8). Entries are
// found by fixed search strings, never by parsing XML: an entry is the line
// <P VALSTR="action">+phrase</P>. Every search is exact, case-sensitive and
// takes the first occurrence.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct VocabEntry {
  std::string phrase;
  std::string action;
};

// All entries in file order. Stops at the first broken entry (a missing quote,
// "+" or "<"), since no complete entry can follow it.
std::vector<VocabEntry> list_entries(std::string_view vocab_text);

// The action bound to `phrase`: the text between the two quotes before the
// first "+phrase<". Absent when the phrase is not there or has no quotes.
std::optional<std::string> find_action(std::string_view vocab_text, std::string_view phrase);

// Puts a new entry line directly before every "</L>".
std::string insert_entry(std::string_view vocab_text, std::string_view phrase, std::string_view action);

// Cuts out the line of the first "+phrase<" with the line end before it.
// Returns the text unchanged when the phrase is not found.
std::string remove_entry(std::string_view vocab_text, std::string_view phrase);

// The phrase-list form of an entry: phrase(action).
std::string list_item(const VocabEntry& entry);

// Reads a phrase-list item back: the phrase before its first "(", the action
// between its first "(" and its first ")".
VocabEntry parse_list_item(std::string_view item);

}  // namespace quillon
