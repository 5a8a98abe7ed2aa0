#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "speech/keyword_spotter.h"
#include "speech/model_files.h"
#include "speech/pinyin_keywords.h"

namespace quillon {
namespace fs = std::filesystem;

namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string executable_folder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

std::string user_data_folder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return std::string(xdg) + "/quillon";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share/quillon";
  return {};
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
  std::vector<std::string> folders;
  if (!options.model_dir.empty()) {
    folders.push_back(options.model_dir);
    return folders;  // an explicit folder is the only one looked at
  }
  if (!options.program_folder.empty()) folders.push_back(options.program_folder + "/models");
  if (const auto user = user_data_folder(); !user.empty()) folders.push_back(user + "/models");
  for (fs::path dir = executable_folder(); !dir.empty(); dir = dir.parent_path()) {
    folders.push_back((dir / "shared" / "models").string());
    if (dir == dir.root_path()) break;
  }
  return folders;
}

bool find_models(const EngineOptions& options, ModelPaths& paths, std::string& why) {
  for (const auto& folder : model_search_folders(options)) {
    const std::string kws = folder + "/" + kKwsModelName;
    const std::string vad = folder + "/" + kVadModelFile;
    std::error_code ec;
    if (!fs::is_directory(kws, ec)) {
      why += folder + ": no " + kKwsModelName + "\n";
      continue;
    }
    std::string damaged;
    for (const std::string& file :
         {kws + "/" + kKwsEncoderFile, kws + "/" + kKwsDecoderFile, kws + "/" + kKwsJoinerFile, vad}) {
      if (!onnx_file_looks_intact(file)) damaged += " " + file;
    }
    if (TokenSet::parse(read_file(kws + "/" + kKwsTokensFile)).empty()) damaged += " " + kws + "/" + kKwsTokensFile;
    if (!damaged.empty()) {
      why += folder + ": missing or damaged:" + damaged + "\n";
      continue;
    }
    paths = {kws, vad};
    return true;
  }
  return false;
}

}  // namespace quillon
