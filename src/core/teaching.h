#pragma once

// Teaching Quillon the user's pronunciation of a phrase, as the window and the
// command line share it: which phrases can be taught, and how one take's
// result is said.

#include <string>
#include <vector>

#include "speech/recognizer.h"
#include "vocabulary/vocabulary_store.h"

namespace quillon {

// Every text that acts in a vocabulary of the folder (a number slot's phrase
// in each of its said forms within its range), each once, game by game.
std::vector<std::string> phrases_in_folder(const VocabularyStore& store);

// `all` without `phrase`: what a take of `phrase` must not be taken for.
std::vector<std::string> phrases_other_than(const std::string& phrase, const std::vector<std::string>& all);

// A reading of initials and finals ("g ōng j ī") as syllables ("gōng jī").
std::string as_syllables(const std::string& reading);

// What the window shows after a take: what was heard and whether it was kept,
// or why not.
std::string take_caption(const TakeHearing& hearing);

// The console's line for a take given as `argument` (PHRASE=FILE).
std::string take_line(const std::string& argument, const TakeHearing& hearing);

}  // namespace quillon
