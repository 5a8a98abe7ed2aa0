// The fallback engine hears phrases with Latin letters said the way Mandarin
// speakers name the letters (espeak-ng's pinyin voice, made at test time).

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "speech/sphinx/sphinx_core.h"
#include "speech/wav_reader.h"
#include "support/readings.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Phrases = std::vector<std::string>;

// `pinyin` said once, 16 kHz mono with silence around it; empty when the
// tools are missing.
std::string say(const std::string& pinyin, const fs::path& dir) {
  const std::string out = (dir / (std::to_string(std::hash<std::string>{}(pinyin)) + ".wav")).string();
  const std::string cmd = "espeak-ng -v cmn-latn-pinyin+f2 -w '" + out + ".raw' '" + pinyin +
                          "' && sox -q -V1 -t wav '" + out + ".raw' -r 16000 -c 1 -b 16 '" + out + "' pad 0.4 0.6";
  return std::system(cmd.c_str()) == 0 ? out : std::string();
}

Phrases hear(SphinxCore& core, const std::string& wav_path) {
  const WavAudio wav = read_wav_16k_mono(wav_path);
  EXPECT_TRUE(wav.ok) << wav.error;
  std::vector<SphinxDecision> out;
  for (std::size_t at = 0; at < wav.samples.size(); at += 1600)
    core.accept(wav.samples.data() + at, std::min<std::size_t>(1600, wav.samples.size() - at), out);
  core.finish(out);
  Phrases heard;
  for (const auto& d : out) heard.push_back(d.recognised ? d.text : "?");
  return heard;
}

TEST(SphinxLetters, PhrasesWithLettersAreHeard) {
  if (std::system("command -v espeak-ng >/dev/null 2>&1 && command -v sox >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "espeak-ng or sox missing (scripts/setup.sh installs them): not tested";
  std::string error;
  // Synthetic speech fits the English model badly: only the acoustic floor is lowered.
  SphinxSettings settings;
  settings.rules.min_phrase_score_per_frame = -1000;
  auto core = SphinxCore::create(settings, testing::system_readings()->get(), error);
  ASSERT_NE(core, nullptr) << error;
  const fs::path dir = fs::temp_directory_path() / ("quillon-letters-" + std::to_string(getpid()));
  fs::create_directories(dir);
  Phrases unsupported;
  ASSERT_TRUE(
      core->set_phrases({"切换PK阵营", "切换阵营", "一键AOE", "一键攻击", "QQ", "城堡", "打开系统"}, unsupported).ok);
  EXPECT_TRUE(unsupported.empty());
  hear(*core, say("jin1tian1 tian1qi4 hen3hao3", dir));  // the decoder adapts to the voice first
  const struct {
    const char* said;
    const char* phrase;
  } rows[] = {
      {"qie1huan4 pi1 kei1 zhen4ying2", "切换PK阵营"},
      {"yi1jian4 ei1 ou1 yi1", "一键AOE"},
      {"kiu1 kiu1", "QQ"},
  };
  for (const auto& row : rows) EXPECT_EQ(hear(*core, say(row.said, dir)), Phrases{row.phrase}) << row.said;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quillon
