#pragma once

// `quillon --teach PHRASE=FILE.wav …`: teaching from recordings, without a
// window. Every argument is checked before anything is heard, and every take
// is heard before anything is kept, so a bad argument teaches nothing.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "speech/recognizer.h"
#include "speech/taught_voice_file.h"
#include "vocabulary/vocabulary_store.h"

namespace quillon {

// Makes the engine that hears the takes; null with `why` set when none can.
using MakeTeachableEngine = std::function<std::unique_ptr<Recognizer>(std::string& why)>;

struct TeachRun {
  int status = 0;   // 0: every phrase named kept a take; 1: some kept none, or saving failed; 2: bad input
  std::string out;  // one line per take
  std::string err;  // what was wrong, each line naming its argument
};

TeachRun teach_from_recordings(const std::vector<std::string>& arguments, VocabularyStore& store,
                               TaughtVoiceStore& taught, const MakeTeachableEngine& make_engine);

}  // namespace quillon
