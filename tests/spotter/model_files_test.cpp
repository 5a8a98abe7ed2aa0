// Where the models are looked for, and which copies are refused: shipped
// copies by their checksums, a user's own folder by its structure.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "model_location.h"
#include "speech/spotter/keyword_spotter.h"
#include "speech/spotter/model_files.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Folders = std::vector<std::string>;

// Sets an environment variable for one scope (unset when `value` is null).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_.empty() ? ::unsetenv(name_) : ::setenv(name_, old_.c_str(), 1); }

 private:
  const char* name_;
  std::string old_;
};

// A scratch folder with a copy of the shipped models in models/.
class ModelCopy {
 public:
  ModelCopy() : root_(fs::temp_directory_path() / ("quillon-model-files-" + std::to_string(::getpid()))) {
    fs::remove_all(root_);
    fs::create_directories(root_);
    fs::copy(testing::models_folder(), models(), fs::copy_options::recursive);
    for (const auto& e : fs::recursive_directory_iterator(root_))
      fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
  }
  ~ModelCopy() { fs::remove_all(root_); }
  std::string root() const { return root_.string(); }
  fs::path models() const { return root_ / "models"; }
  fs::path kws(const char* file) const { return models() / kKwsModelName / file; }
  fs::path vad() const { return models() / kVadModelFile; }

 private:
  fs::path root_;
};

std::string executable_folder() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

// Changes one byte well inside the file: its structure stays whole.
void flip_byte(const fs::path& file) {
  std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
  f.seekg(static_cast<std::streamoff>(fs::file_size(file) / 2));
  const char c = static_cast<char>(f.get());
  f.seekp(static_cast<std::streamoff>(fs::file_size(file) / 2));
  f.put(static_cast<char>(c ^ 0x20));
}

TEST(ModelFiles, SearchOrder) {
  const std::string exe = executable_folder();
  const std::string source = testing::models_folder();
  const std::string installed = fs::path(exe + "/../share/quillon/models").lexically_normal().string();
  const struct {
    const char* what;
    const char* xdg;
    std::string program_folder, model_dir;
    Folders expected;
  } rows[] = {
      {"--model-dir alone", "/x", "/p", "/m", {"/m"}},
      {"every place, best first",
       "/x",
       "/p",
       "",
       {"/p/models", exe + "/models", "/x/quillon/models", installed, source}},
      {"the user's folder as program folder is looked at once",
       "/x",
       "/x/quillon",
       "",
       {"/x/quillon/models", exe + "/models", installed, source}},
      {"without XDG_DATA_HOME, ~/.local/share",
       nullptr,
       "",
       "",
       {exe + "/models", "/h/.local/share/quillon/models", installed, source}},
  };
  const ScopedEnv home("HOME", "/h");
  for (const auto& row : rows) {
    const ScopedEnv xdg("XDG_DATA_HOME", row.xdg);
    EngineOptions options;
    options.program_folder = row.program_folder;
    options.executable_folder = exe;
    options.model_dir = row.model_dir;
    EXPECT_EQ(model_search_folders(options), row.expected) << row.what;
  }
}

// A damaged shipped copy is passed over, with the file named, for the next
// folder (here the source tree's); mending it brings it back.
TEST(ModelFiles, ShippedCopiesMustMatchTheirChecksums) {
  ModelCopy copy;
  const struct {
    const char* what;
    fs::path file;
    std::function<void(const fs::path&)> damage;
  } rows[] = {
      {"a byte of the encoder", copy.kws(kKwsEncoderFile), flip_byte},
      {"a byte of the tokens", copy.kws(kKwsTokensFile), flip_byte},
      {"no joiner", copy.kws(kKwsJoinerFile), [](const fs::path& f) { fs::remove(f); }},
      {"half a VAD", copy.vad(), [](const fs::path& f) { fs::resize_file(f, fs::file_size(f) / 2); }},
  };
  const ScopedEnv xdg("XDG_DATA_HOME", copy.root().c_str());  // no models of the user's own
  EngineOptions options;
  options.program_folder = copy.root();
  for (const auto& row : rows) {
    const fs::path good = copy.root() + "/good";
    fs::copy_file(row.file, good);
    ModelPaths paths;
    std::string why;
    ASSERT_TRUE(find_models(options, paths, why)) << why;
    EXPECT_EQ(paths.vad_file, copy.vad().string()) << row.what;

    row.damage(row.file);
    why.clear();
    ASSERT_TRUE(find_models(options, paths, why)) << row.what << ": " << why;
    EXPECT_EQ(paths.kws_dir, testing::models_folder() + "/" + kKwsModelName) << row.what;
    EXPECT_NE(why.find(row.file.string()), std::string::npos) << row.what << ": " << why;

    fs::remove(row.file);
    fs::rename(good, row.file);
  }
}

// A user's own models have no known sums: whole files are taken, broken ones
// refused before the runtime could abort on them.
TEST(ModelFiles, AUsersFolderIsCheckedForWholeness) {
  ModelCopy copy;
  EngineOptions options;
  options.model_dir = copy.models().string();
  flip_byte(copy.kws(kKwsEncoderFile));
  ModelPaths paths;
  std::string why;
  EXPECT_TRUE(find_models(options, paths, why)) << why;
  EXPECT_EQ(paths.kws_dir, (copy.models() / kKwsModelName).string());

  fs::resize_file(copy.kws(kKwsEncoderFile), 1000);
  why.clear();
  EXPECT_FALSE(find_models(options, paths, why));
  EXPECT_NE(why.find(kKwsEncoderFile), std::string::npos) << why;
}

// Listing the engines asks for the models each time; a file whose size and
// time are unchanged is not read again.
TEST(ModelFiles, AnUnchangedFileIsCheckedOncePerProcess) {
  ModelCopy copy;
  const ScopedEnv xdg("XDG_DATA_HOME", copy.root().c_str());
  EngineOptions options;
  options.program_folder = copy.root();
  ModelPaths paths;
  std::string why;
  ASSERT_TRUE(find_models(options, paths, why)) << why;
  ASSERT_EQ(paths.vad_file, copy.vad().string());

  const fs::path encoder = copy.kws(kKwsEncoderFile);
  const auto written = fs::last_write_time(encoder);
  flip_byte(encoder);
  fs::last_write_time(encoder, written);
  EXPECT_TRUE(find_models(options, paths, why));
  EXPECT_EQ(paths.vad_file, copy.vad().string()) << "the encoder was read again";

  fs::last_write_time(encoder, written + std::chrono::seconds(1));
  EXPECT_TRUE(find_models(options, paths, why));
  EXPECT_NE(paths.vad_file, copy.vad().string()) << "a changed encoder was not read again";
}

}  // namespace
}  // namespace quillon
