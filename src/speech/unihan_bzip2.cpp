#include <bzlib.h>

#include <cstdio>

#include "speech/pinyin_readings.h"

namespace quillon {

std::string read_system_unihan(std::string& error) {
  const char* path = "/usr/share/unicode/Unihan_Readings.txt.bz2";
  FILE* file = std::fopen(path, "rb");
  if (!file) {
    error = std::string("cannot open ") + path + " (package unicode-data)";
    return {};
  }
  int status = BZ_OK;
  BZFILE* bz = BZ2_bzReadOpen(&status, file, 0, 0, nullptr, 0);
  std::string text;
  char buffer[1 << 16];
  while (status == BZ_OK) {
    const int n = BZ2_bzRead(&status, bz, buffer, sizeof buffer);
    if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
  }
  if (status != BZ_STREAM_END) {
    error = std::string("cannot decompress ") + path;
    text.clear();
  }
  int ignored = BZ_OK;
  BZ2_bzReadClose(&ignored, bz);
  std::fclose(file);
  return text;
}

PinyinReadings read_system_readings() {
  std::string error;
  return PinyinReadings::parse(read_system_unihan(error));
}

}  // namespace quillon
