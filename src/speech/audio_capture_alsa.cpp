#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "speech/audio_source.h"
#include "speech/capture_devices.h"

namespace quillon {
namespace {

// Non-blocking capture that sleeps in poll() on the device and on a wake-up
// pipe, so stop() ends a read at once and the GUI never waits on the device.
class AlsaSource : public AudioSource {
 public:
  AlsaSource(snd_pcm_t* pcm, int wake_read, int wake_write)
      : pcm_(pcm), wake_read_(wake_read), wake_write_(wake_write) {}
  ~AlsaSource() override {
    snd_pcm_close(pcm_);
    close(wake_read_);
    close(wake_write_);
  }

  bool read(std::vector<float>& chunk) override {
    std::int16_t buffer[kChunkSamples];
    std::size_t have = 0;
    while (have < kChunkSamples) {
      if (stopped_) return false;
      const snd_pcm_sframes_t got = snd_pcm_readi(pcm_, buffer + have, kChunkSamples - have);
      if (got > 0) {
        have += static_cast<std::size_t>(got);
      } else if (got == -EAGAIN || got == 0) {
        if (!wait()) return false;
      } else if (snd_pcm_recover(pcm_, static_cast<int>(got), 1) < 0) {
        return false;  // overruns and suspends are recovered; anything else ends capture
      }
    }
    chunk.resize(kChunkSamples);
    for (std::size_t i = 0; i < kChunkSamples; ++i) chunk[i] = static_cast<float>(buffer[i]) / 32768.0f;
    return true;
  }
  void stop() override {
    stopped_ = true;
    const char byte = 1;
    [[maybe_unused]] const auto ignored = write(wake_write_, &byte, 1);
  }
  void restart() override {
    char drain[16];
    while (::read(wake_read_, drain, sizeof drain) > 0) {
    }
    stopped_ = false;
    snd_pcm_drop(pcm_);
    snd_pcm_prepare(pcm_);
    snd_pcm_start(pcm_);
  }
  bool finite() const override { return false; }
  bool ended() override { return false; }

 private:
  // Sleeps until the device has data or stop() is called; false on stop.
  bool wait() {
    pollfd fds[8];
    const int n = snd_pcm_poll_descriptors(pcm_, fds, 7);
    if (n <= 0) return false;
    fds[n] = {wake_read_, POLLIN, 0};
    if (poll(fds, static_cast<nfds_t>(n + 1), 1000) < 0 && errno != EINTR) return false;
    return !stopped_;
  }

  snd_pcm_t* pcm_;
  int wake_read_;
  int wake_write_;
  std::atomic<bool> stopped_{false};
};

std::string hint_value(const void* hint, const char* id) {
  const std::unique_ptr<char, decltype(&std::free)> value(snd_device_name_get_hint(hint, id), &std::free);
  return value ? value.get() : "";
}

}  // namespace

std::vector<CaptureDevice> list_capture_devices() {
  std::vector<DeviceHint> hints;
  void** found = nullptr;
  if (snd_device_name_hint(-1, "pcm", &found) == 0) {
    for (void** hint = found; *hint; ++hint) {
      hints.push_back({hint_value(*hint, "NAME"), hint_value(*hint, "DESC"), hint_value(*hint, "IOID")});
    }
    snd_device_name_free_hint(found);
  }
  return capture_devices_from_hints(hints);
}

std::unique_ptr<AudioSource> open_capture_device(const std::string& name, std::string& error) {
  const std::string device = name.empty() ? kDefaultCaptureDevice : name;
  snd_pcm_t* pcm = nullptr;
  int rc = snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
  if (rc < 0) {
    error = "cannot open capture device " + device + ": " + snd_strerror(rc);
    return nullptr;
  }
  rc = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, 16000, 1, 200000);
  int wake[2] = {-1, -1};
  if (rc < 0 || pipe(wake) != 0) {
    error = "capture device " + device + " refuses 16 kHz mono: " + snd_strerror(rc);
    snd_pcm_close(pcm);
    return nullptr;
  }
  for (const int fd : wake) fcntl(fd, F_SETFL, O_NONBLOCK);
  snd_pcm_start(pcm);
  return std::make_unique<AlsaSource>(pcm, wake[0], wake[1]);
}

}  // namespace quillon
