#pragma once

// What the evaluations on recordings share: the model, the words the command
// recordings say, and one recording heard by the core as a fresh listening period.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "speech/spotter/spotter_core.h"

namespace quillon::bench {

// The words said in the command recordings.
inline const std::vector<std::string> kRecordedWords = {"语音", "中国", "北京", "背景", "上海", "商行", "数字",
                                                        "语言", "识别", "复旦", "饭店", "处理", "忠告"};

// Speaker → word → files in order, from a takes set's words.tsv (files named
// SPEAKER__WORD__TAKE.wav).
using TakesBySpeaker = std::map<std::string, std::map<std::string, std::vector<std::string>>>;
inline TakesBySpeaker read_takes(const std::filesystem::path& dir) {
  TakesBySpeaker out;
  std::ifstream in(dir / "words.tsv");
  std::string file, word;
  while (in >> file >> word) out[file.substr(0, file.find("__"))][word].push_back(file);
  for (auto& [speaker, words] : out)
    for (auto& [w, files] : words) std::sort(files.begin(), files.end());
  return out;
}

// The model found where the program looks for it, or null with the reason
// said on standard error.
inline std::unique_ptr<SpotterModel> load_model(const SpotterSettings& settings) {
  EngineOptions options;
  ModelPaths paths;
  std::string why, error;
  if (!find_models(options, paths, why)) {
    std::fprintf(stderr, "no models: %s", why.c_str());
    return nullptr;
  }
  auto model = SpotterModel::load(paths, settings, error);
  if (!model) std::fprintf(stderr, "%s\n", error.c_str());
  return model;
}

// What each talk recording says, by file name: its set's transcripts.tsv, or
// for talk over game sound the plain talk's of the same half.
inline std::map<std::string, std::string> read_transcripts(const std::filesystem::path& dir) {
  std::map<std::string, std::string> out;
  for (const auto& file :
       {dir / "transcripts.tsv", dir.parent_path().parent_path() / "talk" / dir.filename() / "transcripts.tsv"}) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line))
      if (const auto tab = line.find('\t'); tab != std::string::npos)
        out.emplace(line.substr(0, tab), line.substr(tab + 1));
    if (!out.empty()) break;
  }
  return out;
}

// Whether the talk in `file` says `phrase`: acting on it between two pauses
// is a command heard, not a false action, and is counted apart.
inline bool talk_says(const std::map<std::string, std::string>& transcripts, const std::filesystem::path& file,
                      const std::string& phrase) {
  const auto it = transcripts.find(file.filename().string());
  return it != transcripts.end() && !phrase.empty() && it->second.find(phrase) != std::string::npos;
}

// Fed in pieces of 0.1 s, as a capture device delivers them.
inline std::vector<SpotterDecision> hear(SpotterCore& core, const std::vector<float>& samples) {
  core.reset();
  std::vector<SpotterDecision> out;
  for (std::size_t at = 0; at < samples.size(); at += 1600)
    core.accept(samples.data() + at, std::min<std::size_t>(1600, samples.size() - at), out);
  core.finish(out);
  return out;
}

}  // namespace quillon::bench
