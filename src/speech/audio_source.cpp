#include "speech/audio_source.h"

#include <algorithm>
#include <cmath>

namespace quillon {

float sound_level(std::span<const float> samples) {
  constexpr double kFloorDb = -60.0;
  if (samples.empty()) return 0.0f;
  double energy = 0.0;
  for (const float s : samples) energy += static_cast<double>(s) * s;
  const double rms = std::sqrt(energy / static_cast<double>(samples.size()));
  const double db = rms > 0.0 ? 20.0 * std::log10(rms) : kFloorDb;
  return static_cast<float>(std::clamp((db - kFloorDb) / -kFloorDb, 0.0, 1.0));
}

FileAudioSource::FileAudioSource(std::vector<float> samples) : samples_(std::move(samples)) {}

bool FileAudioSource::read(std::vector<float>& chunk) {
  std::unique_lock lock(mutex_);
  if (!started_) {
    started_ = true;
    origin_ = std::chrono::steady_clock::now();
  }
  if (position_ >= samples_.size()) return false;
  const std::size_t n = std::min(kChunkSamples, samples_.size() - position_);
  // The chunk can be delivered once it has been "spoken" to its end.
  const auto due = origin_ + std::chrono::microseconds((position_ + n) * 1000000 / 16000);
  if (wake_.wait_until(lock, due, [&] { return stopped_; })) return false;
  chunk.assign(samples_.begin() + static_cast<std::ptrdiff_t>(position_),
               samples_.begin() + static_cast<std::ptrdiff_t>(position_ + n));
  position_ += n;
  return true;
}

bool FileAudioSource::ended() {
  std::lock_guard lock(mutex_);
  return position_ >= samples_.size();
}

void FileAudioSource::stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  wake_.notify_all();
}

void FileAudioSource::restart() {
  std::lock_guard lock(mutex_);
  stopped_ = false;
  // Continue from where playback stopped, as if no time had passed.
  origin_ = std::chrono::steady_clock::now() - std::chrono::microseconds(position_ * 1000000 / 16000);
}

}  // namespace quillon
