// Our declarations of the runtime's C interface against the library itself:
// sizes and offsets, the version, values read back from the library's own
// description of the configuration it received, and a real load.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "model_location.h"
#include "speech/spotter/sherpa_api.h"
#include "speech/spotter/spotter_core.h"

namespace quillon {
namespace {

static_assert(sizeof(void*) != 8 || sizeof(SherpaOnnxOnlineModelConfig) == 136);
static_assert(sizeof(void*) != 8 || sizeof(SherpaOnnxKeywordSpotterConfig) == 184);
static_assert(sizeof(void*) != 8 || offsetof(SherpaOnnxOnlineModelConfig, tokens) == 48);
static_assert(sizeof(void*) != 8 || offsetof(SherpaOnnxOnlineModelConfig, t_one_ctc) == 128);
static_assert(sizeof(void*) != 8 || offsetof(SherpaOnnxKeywordSpotterConfig, max_active_paths) == 144);
static_assert(sizeof(void*) != 8 || offsetof(SherpaOnnxKeywordSpotterConfig, keywords_buf_size) == 176);
static_assert(sizeof(void*) != 8 || offsetof(SherpaOnnxKeywordResult, timestamps) == 32);
static_assert(sizeof(void*) != 8 || offsetof(SherpaOnnxVadModelConfig, ten_vad) == 56);

// Runs `body` with the process's standard error going to a file; returns what
// was written.
template <typename F>
std::string capture_stderr(F body) {
  char path[] = "/tmp/quillon-stderr-XXXXXX";
  const int fd = mkstemp(path);
  std::fflush(stderr);
  const int saved = dup(2);
  dup2(fd, 2);
  body();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  close(fd);
  std::ifstream in(path);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  unlink(path);
  return text;
}

TEST(SherpaLayout, VersionIsTheOneDeclared) {
  EXPECT_STREQ(SherpaOnnxGetVersionStr(), kRuntimeVersion);
  EXPECT_EQ(runtime_version_problem(), "");
}

TEST(SherpaLayout, LibraryReadsMarkerValuesWhereWeWroteThem) {
  // With debug on, the library prints the configuration it read before it
  // finds the (marker) files missing and refuses.
  SherpaOnnxKeywordSpotterConfig c;
  std::memset(&c, 0, sizeof c);
  c.feat_config = {16000, 80};
  c.model_config.transducer = {"/enc-marker", "/dec-marker", "/join-marker"};
  c.model_config.tokens = "/tokens-marker";
  c.model_config.num_threads = 3;
  c.model_config.provider = "cpu";
  c.model_config.debug = 1;
  c.model_config.model_type = "type-marker";
  c.max_active_paths = 13;
  c.num_trailing_blanks = 7;
  c.keywords_score = 3.25f;
  c.keywords_threshold = 0.125f;
  c.keywords_file = "/keywords-marker";
  const SherpaOnnxKeywordSpotter* spotter = nullptr;
  const std::string kws = capture_stderr([&] { spotter = SherpaOnnxCreateKeywordSpotter(&c); });
  EXPECT_EQ(spotter, nullptr);
  for (const char* expected :
       {"encoder=\"/enc-marker\"", "decoder=\"/dec-marker\"", "joiner=\"/join-marker\"", "tokens=\"/tokens-marker\"",
        "num_threads=3", "model_type=\"type-marker\"", "max_active_paths=13", "num_trailing_blanks=7",
        "keywords_score=3.25", "keywords_threshold=0.125", "keywords_file=\"/keywords-marker\""}) {
    EXPECT_NE(kws.find(expected), std::string::npos) << expected << " not in:\n" << kws;
  }

  SherpaOnnxVadModelConfig v;
  std::memset(&v, 0, sizeof v);
  v.silero_vad = {"/vad-marker", 0.375f, 0.625f, 0.875f, 777, 9.5f};
  v.sample_rate = 16000;
  v.num_threads = 2;
  v.provider = "cpu";
  v.debug = 1;
  const SherpaOnnxVoiceActivityDetector* vad = nullptr;
  const std::string vads = capture_stderr([&] { vad = SherpaOnnxCreateVoiceActivityDetector(&v, 5.0f); });
  EXPECT_EQ(vad, nullptr);
  for (const char* expected :
       {"model=\"/vad-marker\"", "threshold=0.375", "min_silence_duration=0.625", "min_speech_duration=0.875",
        "max_speech_duration=9.5", "window_size=777", "num_threads=2"}) {
    EXPECT_NE(vads.find(expected), std::string::npos) << expected << " not in:\n" << vads;
  }
}

TEST(SherpaLayout, RealModelLoadsAndDecodes) {
  EngineOptions options;
  options.model_dir = testing::models_folder();
  ModelPaths paths;
  std::string why;
  ASSERT_TRUE(find_models(options, paths, why)) << why;
  std::string error;
  auto model = SpotterModel::load(paths, SpotterSettings{}, error);
  ASSERT_NE(model, nullptr) << error;
  const SherpaOnnxOnlineStream* stream = SherpaOnnxCreateKeywordStreamWithKeywords(model->spotter(), "n ǚ ér @女儿");
  ASSERT_NE(stream, nullptr);
  const std::vector<float> silence(16000, 0.0f);
  SherpaOnnxOnlineStreamAcceptWaveform(stream, 16000, silence.data(), static_cast<int32_t>(silence.size()));
  int decoded = 0;
  while (SherpaOnnxIsKeywordStreamReady(model->spotter(), stream)) {
    SherpaOnnxDecodeKeywordStream(model->spotter(), stream);
    const SherpaOnnxKeywordResult* r = SherpaOnnxGetKeywordResult(model->spotter(), stream);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->keyword, "");
    SherpaOnnxDestroyKeywordResult(r);
    ++decoded;
  }
  EXPECT_GT(decoded, 0);
  SherpaOnnxDestroyOnlineStream(stream);
}

}  // namespace
}  // namespace quillon
