#pragma once

// Recording one take of a phrase the user teaches: audio is read on a thread
// of its own until the speech in it ends, the user ends the take, the input
// ends or the take grows too long.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "speech/audio_source.h"

namespace quillon {

// Tells from the loudness of each chunk (sound_level) when a take's speech has
// begun and ended. Loud chunks in a row are needed to begin, so that a click
// or a knock is not taken for speech; a pause must last long enough that the
// gap between two syllables does not end the take.
class TakeEndpointer {
 public:
  static constexpr float kSpeechLevel = 0.4f;   // about -36 dBFS: speech close to a microphone
  static constexpr float kSilenceLevel = 0.3f;  // about -42 dBFS
  static constexpr int kChunksToBegin = 3;      // ~0.1 s
  static constexpr int kChunksToEnd = 16;       // ~0.5 s
  static constexpr int kMostChunks = 313;       // ~10 s: nobody says one phrase for longer
  static constexpr int kChunksWithoutSpeech = 250;

  // True once the take is over.
  bool feed(float level);
  bool heard_speech() const { return began_; }
  bool over() const { return over_; }

 private:
  int chunks_ = 0;
  int loud_in_row_ = 0;
  int quiet_in_row_ = 0;
  bool began_ = false;
  bool over_ = false;
};

// Whether any stretch of `samples` (16 kHz mono) sounds like speech to the
// endpointer: a cheap check before an engine is started for them.
bool has_speech(const std::vector<float>& samples);

class TakeRecorder {
 public:
  // Called once on the recording thread when the take is over, with
  // everything read and whether speech was heard in it.
  using Done = std::function<void(std::vector<float> samples, bool speech)>;

  TakeRecorder() = default;
  TakeRecorder(const TakeRecorder&) = delete;
  TakeRecorder& operator=(const TakeRecorder&) = delete;
  // Ends a take in progress and waits for its Done to return.
  ~TakeRecorder();

  // Records from `source` until the take is over; a take in progress is
  // ended first.
  void start(std::unique_ptr<AudioSource> source, Done done);
  // The user ends the take now; Done still follows.
  void finish();
  // Loudness of the latest chunk, 0 when nothing is being recorded. Any thread.
  float level() const { return level_.load(); }

 private:
  void run(Done done);
  void join();

  std::unique_ptr<AudioSource> source_;
  std::thread thread_;
  std::atomic<bool> finishing_{false};
  std::atomic<float> level_{0.0f};
};

}  // namespace quillon
