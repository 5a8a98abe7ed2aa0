#include "core/teaching.h"

#include <algorithm>
#include <set>

#include "core/texts.h"
#include "vocabulary/number_slot.h"
#include "vocabulary/vocab_text.h"

namespace quillon {

std::vector<std::string> phrases_in_folder(const VocabularyStore& store) {
  std::vector<std::string> all;
  std::set<std::string> seen;
  for (const std::string& game : store.list_games()) {
    const VocabularyRead read = store.read(game);
    if (!read.ok) continue;
    std::vector<std::string> written;
    for (const VocabEntry& entry : list_entries(read.text)) written.push_back(entry.phrase);
    const HeardPhrases heard = phrases_to_hear(written);
    for (std::size_t k = 0; k < heard.said.size(); ++k) {
      if (heard.acts[k] && seen.insert(heard.said[k]).second) all.push_back(heard.said[k]);
    }
  }
  return all;
}

std::vector<std::string> phrases_other_than(const std::string& phrase, const std::vector<std::string>& all) {
  std::vector<std::string> others;
  std::copy_if(all.begin(), all.end(), std::back_inserter(others), [&](const std::string& p) { return p != phrase; });
  return others;
}

// The model reads initials and finals as separate tokens ("g ōng j ī"); a
// player reads syllables ("gōng jī").
std::string as_syllables(const std::string& reading) {
  static const std::set<std::string> initials{"b", "p", "m", "f", "d", "t", "n",  "l",  "g",  "k", "h", "j",
                                              "q", "x", "r", "z", "c", "s", "zh", "ch", "sh", "y", "w"};
  std::string out;
  bool joining = false;
  std::size_t start = 0;
  while (start < reading.size()) {
    std::size_t end = reading.find(' ', start);
    if (end == std::string::npos) end = reading.size();
    const std::string token = reading.substr(start, end - start);
    start = end + 1;
    if (token.empty()) continue;
    if (!out.empty() && !joining) out += ' ';
    out += token;
    joining = initials.count(token) > 0;
  }
  return out;
}

std::string take_caption(const TakeHearing& hearing) {
  std::string caption =
      hearing.heard.empty() ? text::kTakeHeardNothing : text::kTakeHeard + as_syllables(hearing.heard);
  switch (hearing.verdict) {
    case TakeVerdict::kept:
      return caption + text::kTakeKept;
    case TakeVerdict::kept_by_sound:
      return caption + text::kTakeKeptBySound;
    case TakeVerdict::no_speech:
      return caption + text::kTakeNoSpeech;
    case TakeVerdict::unclear:
      return caption + text::kTakeUnclear;
    case TakeVerdict::unlike:
      return caption + text::kTakeUnlike;
    case TakeVerdict::other_phrase:
      return caption + text::kTakeOtherPhraseBefore + hearing.other + text::kTakeOtherPhraseAfter;
    case TakeVerdict::too_close:
      return caption + text::kTakeTooCloseBefore + hearing.other + text::kTakeTooCloseAfter;
  }
  return caption;
}

std::string take_line(const std::string& argument, const TakeHearing& hearing) {
  const std::string heard = "heard \"" + hearing.heard + "\"";
  std::string verdict;
  switch (hearing.verdict) {
    case TakeVerdict::kept:
      verdict = "kept";
      break;
    case TakeVerdict::kept_by_sound:
      verdict = "kept for its sound only: the reading is unlike the phrase";
      break;
    case TakeVerdict::no_speech:
      verdict = "not kept: no speech in it";
      break;
    case TakeVerdict::unclear:
      verdict = "not kept: nothing could be read from the speech";
      break;
    case TakeVerdict::unlike:
      verdict = "not kept: too unlike the phrase (another word?)";
      break;
    case TakeVerdict::other_phrase:
      verdict = "not kept: it sounds like the phrase " + hearing.other;
      break;
    case TakeVerdict::too_close:
      verdict = "not kept: as close to the phrase " + hearing.other + " as to its own";
      break;
  }
  return argument + ": " + heard + ", " + verdict;
}

}  // namespace quillon
