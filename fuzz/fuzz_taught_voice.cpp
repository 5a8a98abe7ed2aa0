// Any bytes as the taught-voice file: reading must not crash, a damaged file
// gives nothing, and what was read is written so that it reads back the same.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "speech/taught_voice.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const quillon::TaughtVoiceRead read = quillon::parse_taught_voice(text);
  if (!read.ok) {
    check(read.voice.empty() && !read.error.empty());
    return 0;
  }
  const quillon::TaughtVoiceRead again = quillon::parse_taught_voice(quillon::format_taught_voice(read.voice));
  check(again.ok);
  // Written again, it is the same file: nothing drifts on each save.
  check(quillon::format_taught_voice(again.voice) == quillon::format_taught_voice(read.voice));
  return 0;
}
