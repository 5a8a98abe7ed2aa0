#pragma once

// Where what the user taught is kept: taught-voice.txt in the program folder,
// beside the vocabularies. A damaged file is not used, and it is moved aside
// rather than overwritten when something new is taught, so that nothing in it
// is lost without the user's say.

#include <optional>
#include <string>

#include "speech/taught_voice.h"

namespace quillon {

struct TaughtVoiceLoad {
  TaughtVoice voice;
  // Set when the file exists but cannot be used: which file and why, in English.
  std::string problem;
};

// What the window logic needs of the file; tests fake it.
class TaughtVoiceStore {
 public:
  virtual ~TaughtVoiceStore() = default;
  virtual TaughtVoiceLoad load() = 0;
  // Replaces what is kept with `voice`; the reason when that failed.
  virtual std::optional<std::string> save(const TaughtVoice& voice) = 0;
};

class TaughtVoiceFile : public TaughtVoiceStore {
 public:
  explicit TaughtVoiceFile(const std::string& folder);

  // No file yet is an empty voice, not a problem.
  TaughtVoiceLoad load() override;
  // Written atomically. A file found damaged by load() is first renamed to
  // the first free name of "taught-voice.txt.damaged", ".damaged-2", …; when
  // that fails nothing is written.
  std::optional<std::string> save(const TaughtVoice& voice) override;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool damaged_ = false;
};

}  // namespace quillon
