// The keyword spotter listens for every phrase Quillon ships, letters and
// digits included ("切换PK阵营"), and tells which phrases sound alike.

#include "support/shipped_vocabularies.h"
#include "model_location.h"
#include "speech/spotter/keyword_spotter.h"

namespace quillon {
namespace {

std::unique_ptr<Recognizer> spotter() {
  EngineOptions options;
  options.model_dir = testing::models_folder();
  options.post_to_gui = [](std::function<void()>) {};
  std::string log;
  auto engine = make_keyword_spotter(options, log);
  EXPECT_NE(engine, nullptr) << log;
  return engine;
}

TEST(KeywordSpotterEngine, ListensForEveryShippedPhrase) {
  auto engine = spotter();
  ASSERT_NE(engine, nullptr);
  testing::expect_every_shipped_phrase_heard(*engine);
}

TEST(KeywordSpotterEngine, NamesThePhrasesThatSoundAlike) {
  auto engine = spotter();
  ASSERT_NE(engine, nullptr);
  ASSERT_TRUE(engine->create_context().ok);
  EXPECT_EQ(engine->phrases_alike("背景", {"城堡", "北京", "背景"}), std::vector<std::string>{"北京"});
}

}  // namespace
}  // namespace quillon
