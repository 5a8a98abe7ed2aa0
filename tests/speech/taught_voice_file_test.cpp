// The file of what the user taught: read back as written, a damaged file kept
// aside rather than overwritten, and no half-written file left behind.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "speech/taught_voice_file.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_all(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& file : fs::directory_iterator(folder)) names.push_back(file.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

const TaughtVoice kVoice{{"攻击", {{{"g", "ōng", "j", "ī"}, 0.62}, {{"g", "ōng", "q", "ī"}, 0.5}}},
                         {"城堡", {{{"ch", "éng", "b", "ǎo"}, 0.7}}}};

TEST(TaughtVoiceFile, NoFileYetIsNothingTaughtAndNoProblem) {
  QTemporaryDir dir;
  TaughtVoiceFile file(dir.path().toStdString());
  const TaughtVoiceLoad load = file.load();
  EXPECT_TRUE(load.voice.empty());
  EXPECT_TRUE(load.problem.empty());
}

TEST(TaughtVoiceFile, SavesAtomicallyAndReadsBackWhatItSaved) {
  QTemporaryDir dir;
  const fs::path folder = dir.path().toStdString();
  TaughtVoiceFile file(folder.string());
  ASSERT_FALSE(file.save(kVoice).has_value());
  EXPECT_EQ(names_in(folder), std::vector<std::string>{"taught-voice.txt"}) << "no temporary file is left";
  EXPECT_EQ(TaughtVoiceFile(folder.string()).load().voice, kVoice);
  TaughtVoice less = kVoice;
  less.erase("城堡");
  ASSERT_FALSE(file.save(less).has_value());
  EXPECT_EQ(TaughtVoiceFile(folder.string()).load().voice, less);
}

TEST(TaughtVoiceFile, ADamagedFileIsNotUsedAndIsKeptAsideBeforeTheNextSave) {
  const std::string damaged[] = {
      "攻击\tg ōng j ī\n",        // no seconds
      "攻击\tg ōng j ī\tlong\n",  // seconds not a number
      "# fine\n攻击\t\t0.5\n",    // no reading
  };
  QTemporaryDir dir;
  const fs::path folder = dir.path().toStdString();
  for (std::size_t n = 0; n < std::size(damaged); ++n) {
    write_all(folder / "taught-voice.txt", damaged[n]);
    TaughtVoiceFile file(folder.string());
    const TaughtVoiceLoad load = file.load();
    EXPECT_TRUE(load.voice.empty()) << damaged[n];
    EXPECT_NE(load.problem.find("taught-voice.txt"), std::string::npos) << load.problem;
    ASSERT_FALSE(file.save(kVoice).has_value());
    // Each damaged file gets a name of its own; none is overwritten.
    const fs::path aside = folder / (n == 0 ? std::string("taught-voice.txt.damaged")
                                            : "taught-voice.txt.damaged-" + std::to_string(n + 1));
    EXPECT_EQ(read_all(aside), damaged[n]);
    EXPECT_EQ(TaughtVoiceFile(folder.string()).load().voice, kVoice);
  }
  EXPECT_EQ(names_in(folder).size(), std::size(damaged) + 1);
}

TEST(TaughtVoiceFile, AGoodFileIsReplacedNotKeptAside) {
  QTemporaryDir dir;
  const fs::path folder = dir.path().toStdString();
  TaughtVoiceFile file(folder.string());
  ASSERT_FALSE(file.save(kVoice).has_value());
  ASSERT_TRUE(file.load().problem.empty());
  ASSERT_FALSE(file.save({}).has_value());
  EXPECT_EQ(names_in(folder), std::vector<std::string>{"taught-voice.txt"});
}

}  // namespace
}  // namespace quillon
