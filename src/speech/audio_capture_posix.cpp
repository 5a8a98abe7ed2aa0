#include <alsa/asoundlib.h>

#include <atomic>
#include <cstdlib>

#include "speech/audio_source.h"

namespace quillon {
namespace {

class AlsaSource : public AudioSource {
 public:
  explicit AlsaSource(snd_pcm_t* pcm) : pcm_(pcm) {}
  ~AlsaSource() override { snd_pcm_close(pcm_); }

  // A blocking read of one 0.1 s period: stop() takes effect within a chunk.
  bool read(std::vector<float>& chunk) override {
    std::int16_t buffer[kChunkSamples];
    while (!stopped_) {
      const snd_pcm_sframes_t got = snd_pcm_readi(pcm_, buffer, kChunkSamples);
      if (got > 0) {
        chunk.resize(static_cast<std::size_t>(got));
        for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<float>(buffer[i]) / 32768.0f;
        return true;
      }
      // Overrun or suspend: recover and go on; anything else ends capture.
      if (snd_pcm_recover(pcm_, static_cast<int>(got), 1) < 0) return false;
    }
    return false;
  }
  void stop() override { stopped_ = true; }
  void restart() override {
    stopped_ = false;
    snd_pcm_prepare(pcm_);
  }
  bool finite() const override { return false; }
  bool ended() override { return false; }

 private:
  snd_pcm_t* pcm_;
  std::atomic<bool> stopped_{false};
};

}  // namespace

std::unique_ptr<AudioSource> open_capture_device(std::string& error) {
  const char* env = std::getenv("QUILLON_ALSA_DEVICE");
  const std::string device = env && *env ? env : "default";
  snd_pcm_t* pcm = nullptr;
  int rc = snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_CAPTURE, 0);
  if (rc < 0) {
    error = "cannot open capture device " + device + ": " + snd_strerror(rc);
    return nullptr;
  }
  rc = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, 16000, 1, 200000);
  if (rc < 0) {
    error = "capture device " + device + " refuses 16 kHz mono: " + snd_strerror(rc);
    snd_pcm_close(pcm);
    return nullptr;
  }
  return std::make_unique<AlsaSource>(pcm);
}

}  // namespace quillon
