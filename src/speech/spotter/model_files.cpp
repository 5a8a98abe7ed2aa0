#include <QCryptographicHash>
#include <QFile>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <mutex>

#include "speech/spotter/keyword_spotter.h"
#include "speech/spotter/model_files.h"
#include "speech/spotter/pinyin_keywords.h"
#include "vocabulary/program_folder.h"

namespace quillon {
namespace fs = std::filesystem;

namespace {

// Set by the build: the source tree's models/ (empty in builds made for packaging).
constexpr const char* kSourceModels = QUILLON_SOURCE_MODELS;

struct ShippedFile {
  std::string path;  // inside models/
  const char* sha256;
};

// The files in models/ of the repository; models/README.md lists the same sums.
std::vector<ShippedFile> shipped_files() {
  const std::string kws = std::string(kKwsModelName) + "/";
  return {
      {kws + kKwsEncoderFile, "4ded45b30961270f2a9a64bede4569b324c36d4f3a772c1b35bb70a244150675"},
      {kws + kKwsDecoderFile, "fb581d6734511676e246e0dff2fea01b31b0913176cb3ca64576dbab0a177774"},
      {kws + kKwsJoinerFile, "f79760052b87239e325f0567c752ad3130b30d92effb847d4307743c20c59a24"},
      {kws + kKwsTokensFile, "72316508d9119696145abc6f1f8cdc46287535c34e5ce7e595f845cb1499cf2e"},
      {kVadModelFile, "1a153a22f4509e292a94e67d6f9b85e8deb25b4988682b7e174c65279d8788e3"},
  };
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Varint at `at`; false when it runs past the end.
bool read_varint(const std::string& b, std::size_t& at, uint64_t& value) {
  value = 0;
  for (int shift = 0; shift < 64 && at < b.size(); shift += 7) {
    const auto byte = static_cast<unsigned char>(b[at++]);
    value |= static_cast<uint64_t>(byte & 0x7F) << shift;
    if (!(byte & 0x80)) return true;
  }
  return false;
}

bool has_sha256(const std::string& path, const std::string& expected) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return false;
  QCryptographicHash hash(QCryptographicHash::Sha256);
  return hash.addData(&file) && hash.result().toHex().toStdString() == expected;
}

bool tokens_look_intact(const std::string& path) { return !TokenSet::parse(read_file(path)).empty(); }

// Making an engine and listing the others each ask for the models; reading
// megabytes each time would slow the start, so a file's verdict is kept while
// its size and modification time stay the same.
bool remembered(const std::string& path, const std::string& check,
                const std::function<bool(const std::string&)>& compute) {
  static std::mutex mutex;
  static std::map<std::string, bool> verdicts;
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec) return false;
  const auto modified = fs::last_write_time(path, ec).time_since_epoch().count();
  if (ec) return false;
  const std::string key = check + '\n' + path + '\n' + std::to_string(size) + '\n' + std::to_string(modified);
  {
    std::lock_guard lock(mutex);
    if (const auto found = verdicts.find(key); found != verdicts.end()) return found->second;
  }
  const bool verdict = compute(path);
  std::lock_guard lock(mutex);
  verdicts[key] = verdict;
  return verdict;
}

bool shipped_file_intact(const std::string& folder, const ShippedFile& file) {
  return remembered(folder + "/" + file.path, std::string("sha256 ") + file.sha256,
                    [&file](const std::string& path) { return has_sha256(path, file.sha256); });
}

// Empty when every shipped file in `folder` has its known sum.
std::string shipped_problem(const std::string& folder) {
  std::string damaged;
  for (const ShippedFile& file : shipped_files()) {
    if (!shipped_file_intact(folder, file)) damaged += " " + folder + "/" + file.path;
  }
  return damaged.empty() ? std::string() : "missing or damaged (SHA-256):" + damaged;
}

// Empty when the models in `folder` are whole enough to load.
std::string structural_problem(const std::string& folder) {
  const std::string kws = folder + "/" + kKwsModelName;
  std::string damaged;
  for (const std::string& file : {kws + "/" + kKwsEncoderFile, kws + "/" + kKwsDecoderFile, kws + "/" + kKwsJoinerFile,
                                  folder + "/" + kVadModelFile}) {
    if (!remembered(file, "onnx", onnx_file_looks_intact)) damaged += " " + file;
  }
  const std::string tokens = kws + "/" + kKwsTokensFile;
  if (!remembered(tokens, "tokens", tokens_look_intact)) damaged += " " + tokens;
  return damaged.empty() ? std::string() : "missing or damaged:" + damaged;
}

}  // namespace

bool onnx_file_looks_intact(const std::string& path) {
  const std::string b = read_file(path);
  if (b.empty()) return false;
  bool has_graph = false;
  for (std::size_t at = 0; at < b.size();) {
    uint64_t key = 0;
    if (!read_varint(b, at, key)) return false;
    const uint64_t field = key >> 3;
    if (field == 0 || field > 100) return false;
    uint64_t len = 0;
    switch (key & 7) {
      case 0:
        if (!read_varint(b, at, len)) return false;
        break;
      case 1:
        at += 8;
        break;
      case 5:
        at += 4;
        break;
      case 2:
        if (!read_varint(b, at, len) || len > b.size() - at) return false;
        at += len;
        if (field == 7) has_graph = true;
        break;
      default:
        return false;
    }
    if (at > b.size()) return false;
  }
  return has_graph;
}

std::vector<std::string> model_search_folders(const EngineOptions& options) {
  if (!options.model_dir.empty()) return {options.model_dir};  // an explicit folder is the only one looked at
  std::vector<fs::path> candidates;
  if (!options.program_folder.empty()) candidates.push_back(fs::path(options.program_folder) / "models");
  const std::string& exe = options.executable_folder;
  if (!exe.empty()) candidates.push_back(fs::path(exe) / "models");
  candidates.push_back(fs::path(user_data_folder()) / "models");
  if (!exe.empty()) candidates.push_back(fs::path(installation_data_folder(exe)) / "models");
  if (*kSourceModels) candidates.push_back(kSourceModels);
  std::vector<std::string> folders;
  for (const fs::path& candidate : candidates) {
    std::string folder = candidate.lexically_normal().string();
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  }
  return folders;
}

bool find_models(const EngineOptions& options, ModelPaths& paths, std::string& why) {
  for (const auto& folder : model_search_folders(options)) {
    const std::string kws = folder + "/" + kKwsModelName;
    std::error_code ec;
    if (!fs::is_directory(kws, ec)) {
      why += folder + ": no " + kKwsModelName + "\n";
      continue;
    }
    const std::string problem = options.model_dir.empty() ? shipped_problem(folder) : structural_problem(folder);
    if (!problem.empty()) {
      why += folder + ": " + problem + "\n";
      continue;
    }
    paths = {kws, folder + "/" + kVadModelFile};
    return true;
  }
  return false;
}

}  // namespace quillon
