#include "speech/take_recorder.h"

#include <span>

namespace quillon {

bool TakeEndpointer::feed(float level) {
  if (over_) return true;
  ++chunks_;
  if (!began_) {
    loud_in_row_ = level >= kSpeechLevel ? loud_in_row_ + 1 : 0;
    began_ = loud_in_row_ >= kChunksToBegin;
  } else {
    quiet_in_row_ = level < kSilenceLevel ? quiet_in_row_ + 1 : 0;
  }
  over_ = quiet_in_row_ >= kChunksToEnd || chunks_ >= kMostChunks || (!began_ && chunks_ >= kChunksWithoutSpeech);
  return over_;
}

bool has_speech(const std::vector<float>& samples) {
  TakeEndpointer endpointer;
  for (std::size_t at = 0; at < samples.size() && !endpointer.heard_speech(); at += kChunkSamples) {
    const std::size_t size = std::min(kChunkSamples, samples.size() - at);
    // A fresh count for every stretch: a recording may be longer than one take.
    if (endpointer.over()) endpointer = TakeEndpointer();
    endpointer.feed(sound_level(std::span<const float>(samples.data() + at, size)));
  }
  return endpointer.heard_speech();
}

TakeRecorder::~TakeRecorder() {
  finish();
  join();
}

void TakeRecorder::start(std::unique_ptr<AudioSource> source, Done done) {
  finish();
  join();
  source_ = std::move(source);
  finishing_ = false;
  thread_ = std::thread([this, done = std::move(done)] { run(done); });
}

void TakeRecorder::finish() {
  finishing_ = true;
  // Unblocks a read waiting for the next chunk.
  if (thread_.joinable() && source_) source_->stop();
}

void TakeRecorder::join() {
  if (thread_.joinable()) thread_.join();
  source_.reset();
  level_ = 0.0f;
}

void TakeRecorder::run(Done done) {
  std::vector<float> samples;
  std::vector<float> chunk;
  TakeEndpointer endpointer;
  while (!finishing_ && source_->read(chunk)) {
    samples.insert(samples.end(), chunk.begin(), chunk.end());
    const float level = sound_level(chunk);
    level_ = level;
    if (endpointer.feed(level)) break;
  }
  source_->stop();
  level_ = 0.0f;
  done(std::move(samples), endpointer.heard_speech());
}

}  // namespace quillon
