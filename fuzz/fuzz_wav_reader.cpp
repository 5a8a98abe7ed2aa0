// Any bytes as a recording: the reader must end, accept or refuse with a
// fault and a reason, and what it accepts is 16 kHz audio within full scale
// and within the size the file's own length allows.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "speech/wav_reader.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const quillon::WavAudio audio = quillon::decode_wav_16k_mono(bytes);
  check(audio.ok == (audio.fault == quillon::WavFault::none));
  check(audio.ok == audio.error.empty());
  if (!audio.ok) {
    check(audio.samples.empty());
    return 0;
  }
  // One byte per frame at the lowest rate read is the most a file can expand.
  check(audio.samples.size() <= size * (quillon::kSpeechSampleRate / quillon::kMinWavRate));
  for (const float sample : audio.samples) check(std::isfinite(sample) && std::fabs(sample) <= 1.0f);
  return 0;
}
