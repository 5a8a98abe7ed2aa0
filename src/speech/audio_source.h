#pragma once

// Where the spotter's audio comes from: the capture device or a file played in
// real time. read() blocks until the next chunk is due (never spins) and
// returns false at the end of the input or once stop() was called.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace quillon {

// 32 ms at 16 kHz: a command's end is noticed no later than one chunk after it.
inline constexpr std::size_t kChunkSamples = 512;

class AudioSource {
 public:
  virtual ~AudioSource() = default;
  virtual bool read(std::vector<float>& chunk) = 0;
  virtual void stop() = 0;
  // Ready to be read again after stop() (rules switched on again).
  virtual void restart() = 0;
  // The input ends by itself (a file).
  virtual bool finite() const = 0;
  // Everything was read (a file heard to its end).
  virtual bool ended() = 0;
};

// A WAV file heard as if spoken: chunks become available at real-time pace,
// and playback continues where it stopped after a restart.
class FileAudioSource : public AudioSource {
 public:
  explicit FileAudioSource(std::vector<float> samples);
  bool read(std::vector<float>& chunk) override;
  void stop() override;
  void restart() override;
  bool finite() const override { return true; }
  bool ended() override;

 private:
  std::vector<float> samples_;
  std::size_t position_ = 0;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopped_ = false;
  bool started_ = false;
  std::chrono::steady_clock::time_point origin_;
};

// How loud `samples` (full scale ±1) are: 0 at -60 dBFS RMS or below, 1 at
// full scale, even in decibels between, so speech sits in the middle.
float sound_level(std::span<const float> samples);

// The capture device `device` ("default" when empty) at 16 kHz mono; null with
// `error` set when it cannot be opened or refuses that format.
std::unique_ptr<AudioSource> open_capture_device(const std::string& device, std::string& error);

}  // namespace quillon
