#include "speech/taught_voice.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

namespace quillon {
namespace {

constexpr double kLongestTake = 60;  // seconds; a longer one is no take of a phrase

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

bool read_seconds(std::string_view text, double& seconds) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(seconds) && seconds > 0 &&
         seconds <= kLongestTake;
}

// Empty when the line is a take, else what is wrong with it.
std::string read_take(std::string_view line, std::string& phrase, TaughtTake& take) {
  const auto fields = split(line, '\t');
  if (fields.size() < 3 || fields.size() > 5)
    return "expected a phrase, a reading, seconds and perhaps its sounds separated by tabs";
  if (fields[0].empty()) return "no phrase";
  phrase = fields[0];
  take.reading.clear();
  for (const auto token : split(fields[1], ' ')) {
    if (!token.empty()) take.reading.emplace_back(token);
  }
  if (take.reading.empty()) return "no reading";
  if (!read_seconds(fields[2], take.seconds)) return "seconds not a number from 0 to 60";
  take.sound.clear();
  take.encoded.clear();
  if (fields.size() >= 4 && !(fields.size() == 5 && fields[3].empty())) {
    auto sound = decode_template(fields[3]);
    if (!sound) return "the sound is damaged";
    take.sound = std::move(*sound);
  }
  if (fields.size() == 5) {
    auto encoded = decode_frames(fields[4]);
    if (!encoded) return "the encoder's sound is damaged";
    take.encoded = std::move(*encoded);
  }
  return {};
}

}  // namespace

TaughtVoiceRead parse_taught_voice(std::string_view text) {
  TaughtVoiceRead read;
  std::size_t number = 0;
  for (std::string_view line : split(text, '\n')) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    std::string phrase;
    TaughtTake take;
    if (const std::string error = read_take(line, phrase, take); !error.empty()) {
      return {false, {}, "line " + std::to_string(number) + ": " + error};
    }
    read.voice[phrase].push_back(std::move(take));
  }
  return read;
}

std::string format_taught_voice(const TaughtVoice& voice) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << "# Quillon: how this user says phrases, one kept take per line:\n"
         "# phrase<TAB>the recogniser's reading<TAB>seconds of speech<TAB>cepstra<TAB>encoder frames\n";
  for (const auto& [phrase, takes] : voice) {
    // What could not be read back is not written.
    if (phrase.empty() || phrase.find_first_of("\t\n\r") != std::string::npos || phrase.front() == '#') continue;
    for (const auto& take : takes) {
      if (take.reading.empty() || !(take.seconds > 0 && take.seconds <= kLongestTake)) continue;
      out << phrase << '\t';
      for (std::size_t k = 0; k < take.reading.size(); ++k) out << (k ? " " : "") << take.reading[k];
      out << '\t' << std::max(0.001, std::round(take.seconds * 1000) / 1000);
      if (!take.sound.empty() || !take.encoded.empty()) out << '\t' << encode_template(take.sound);
      if (!take.encoded.empty()) out << '\t' << encode_frames(take.encoded);
      out << '\n';
    }
  }
  return out.str();
}

}  // namespace quillon
