#pragma once

// The recogniser layer, shaped by what the window asks of a speech platform:
// a context with the installed recognisers' names, one grammar loaded from a
// vocabulary file, its top-level rules switched on and off, and two events.
// Every call succeeds or fails with an error text the caller reports in its own
// words. Nothing here depends on Qt, so the Windows engine can stand alone.

#include <optional>
#include <string>
#include <vector>

#include "speech/taught_voice.h"

#include "speech/wav_reader.h"

namespace quillon {

struct SpeechStatus {
  bool ok = true;
  std::string error;  // for the log; the window says it in its own words
  // Set when listening failed because this capture device could not be opened.
  std::string capture_device;
  // Set when listening failed because this audio file cannot be used, and why.
  std::string audio_file;
  WavFault audio_fault = WavFault::none;

  static SpeechStatus success() { return {}; }
  static SpeechStatus failure(std::string why) {
    SpeechStatus status;
    status.ok = false;
    status.error = std::move(why);
    return status;
  }
  static SpeechStatus no_capture_device(std::string device, std::string why) {
    SpeechStatus status = failure(std::move(why));
    status.capture_device = std::move(device);
    return status;
  }
  static SpeechStatus unusable_audio_file(std::string path, WavFault fault, std::string why) {
    SpeechStatus status = failure(std::move(why));
    status.audio_file = std::move(path);
    status.audio_fault = fault;
    return status;
  }
};

struct GrammarLoad {
  SpeechStatus status;
  // Phrases of the file that this engine cannot listen for (no reading, or
  // letters a Chinese-only model lacks); the load still succeeds.
  std::vector<std::string> unsupported_phrases;
};

enum class SpeechEvent { Recognition, FalseRecognition };

// What became of one recorded take of a phrase the user teaches.
enum class TakeVerdict {
  kept,
  kept_by_sound,  // read unlike the phrase: only how it sounds is kept, not the reading
  no_speech,      // nothing in the recording sounded like speech
  unclear,        // speech, but the recogniser read nothing from it
  unlike,         // read as something too unlike the phrase to be taught safely (another word?)
  other_phrase,   // it sounds like `other`, a different phrase
  too_close,      // its reading is as near `other`'s (taught or not) as its own phrase's
};

inline bool take_kept(TakeVerdict v) { return v == TakeVerdict::kept || v == TakeVerdict::kept_by_sound; }

struct TakeHearing {
  TakeVerdict verdict = TakeVerdict::no_speech;
  std::string heard;  // the reading, tokens separated by spaces; empty when none
  std::string other;  // for other_phrase and too_close
  TaughtTake take;    // what to keep, when kept
};

// Receives events on the GUI thread, only while the rules are active.
class RecognitionListener {
 public:
  virtual ~RecognitionListener() = default;
  virtual void on_recognition(const std::string& text) = 0;
  // A phrase recognised only through what the user taught (see TaughtVoice).
  virtual void on_taught_recognition(const std::string& text) { on_recognition(text); }
  virtual void on_false_recognition() = 0;
  // The audio file given on the command line has been heard to its end and
  // every recognition in it delivered.
  virtual void on_audio_finished() {}
};

class Recognizer {
 public:
  virtual ~Recognizer() = default;
  virtual SpeechStatus create_context() = 0;
  // Display names of the installed recognisers, the one in use first. Each
  // contains "中文" when it recognises Mandarin.
  virtual std::vector<std::string> recognizer_names() const = 0;
  // Grammar id 1, with dictation loaded and inactive.
  virtual SpeechStatus init_grammar() = 0;
  virtual SpeechStatus add_event_interest(SpeechEvent event) = 0;
  // Replaces the grammar's rules with those of the vocabulary file at `path`
  // (dynamic load). Refuses a file the platform would refuse.
  virtual GrammarLoad load_grammar(const std::string& path) = 0;
  // Sets all top-level rules active or inactive. Activation fails when the
  // audio device cannot be opened; the status then names the capture device.
  virtual SpeechStatus set_rules_active(bool active) = 0;
  virtual void set_listener(RecognitionListener* listener) = 0;
  // The capture device the rules listen to from the next time they are
  // switched on. Engines that hear a file, standard input or the system's own
  // choice of microphone ignore it.
  virtual void set_capture_device(const std::string& device) { (void)device; }
  // How loud the sound arriving now is, 0 (silence) to 1 (full scale), over
  // the latest chunk of audio (a few hundredths of a second); nothing while the rules are inactive or when
  // this engine hears no sound itself. Never waits; any thread may ask.
  virtual std::optional<float> capture_level() const { return std::nullopt; }
  // The phrases of `others` that this engine may mistake for `phrase` (or it
  // for them) because they sound too much alike, in their order; never
  // `phrase` itself. Empty when the engine cannot judge. Quick: no decoding.
  virtual std::vector<std::string> phrases_alike(const std::string& /*phrase*/,
                                                 const std::vector<std::string>& /*others*/) const {
    return {};
  }
  // Teaching: engines that can use what a user taught about their voice.
  virtual bool can_be_taught() const { return false; }
  // Hears one take of `phrase` (16 kHz mono, full scale ±1), said alone, and
  // judges it against the phrase, `others` (the user's other phrases) and
  // what `taught` already holds. Decodes on the calling thread, well under a
  // second for a take of a few seconds; never touches the listening. Nullopt
  // when this engine cannot be taught.
  virtual std::optional<TakeHearing> hear_take(const std::string& phrase, const std::vector<float>& samples,
                                               const std::vector<std::string>& others, const TaughtVoice& taught) {
    (void)phrase, (void)samples, (void)others, (void)taught;
    return std::nullopt;
  }
  // What the user taught, used from the next load_grammar() on.
  virtual void set_taught_voice(const TaughtVoice& taught) { (void)taught; }
  // True for the Windows speech platform's recogniser, whose microphone set-up
  // and voice training are the platform's own (its Control Panel); Quillon's
  // engines are set up in Quillon's window and taught there.
  virtual bool set_up_by_speech_platform() const { return false; }
  // True when this engine runs only because a better one's model is missing,
  // so the user should be told once that recognition is weaker.
  virtual bool stands_in_for_missing_model() const { return false; }
};

}  // namespace quillon
