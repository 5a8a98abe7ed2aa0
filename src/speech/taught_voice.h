#pragma once

// What a user taught Quillon about their own voice: for each phrase text, the
// takes that were kept, each as the recogniser read it. It belongs to the user
// and the phrase's text, not to a vocabulary: every game with 攻击 benefits
// once 攻击 is taught.
//
// Stored as UTF-8 text, one kept take per line:
//
//   # comment
//   攻击<TAB>g ōng q ī<TAB>0.62<TAB>AQL+…<TAB>320:f38B…
//
// the phrase, the model's tokens read for the take separated by spaces, the
// seconds of speech in it and, optionally, how it sounded: its cepstra (see
// voice_template.h), which may be empty, and then perhaps its frames from the
// keyword model's encoder (see encoded_sound.h). A reading unlike the phrase is kept for the record
// only: such a take teaches its sound. Blank lines and lines starting with '#' are
// skipped; any other line that does not have this form makes the whole file
// damaged (the caller ignores it and says so once).

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "speech/encoded_sound.h"
#include "speech/voice_template.h"

namespace quillon {

struct TaughtTake {
  std::vector<std::string> reading;  // the model's tokens, tone-marked pinyin initials and finals
  double seconds = 0;                // speech in the take
  VoiceTemplate sound{};             // how it sounded; may be empty
  EncodedFrames encoded{};           // how it sounded to the keyword model; may be empty

  bool operator==(const TaughtTake&) const = default;
};

// Phrase text → its kept takes, in the order they were taught.
using TaughtVoice = std::map<std::string, std::vector<TaughtTake>>;

struct TaughtVoiceRead {
  bool ok = true;
  TaughtVoice voice;
  std::string error;  // the first fault, with its line number
};

TaughtVoiceRead parse_taught_voice(std::string_view text);
std::string format_taught_voice(const TaughtVoice& voice);

// The file's name in the user's program folder.
inline constexpr char kTaughtVoiceFile[] = "taught-voice.txt";

}  // namespace quillon
