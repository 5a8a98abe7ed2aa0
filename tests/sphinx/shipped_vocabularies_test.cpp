// The fallback engine listens for every phrase Quillon ships, letters and
// digits included ("切换PK阵营").

#include "support/shipped_vocabularies.h"
#include "speech/engines.h"
#include "speech/sphinx/sphinx_engine.h"

namespace quillon {
namespace {

TEST(PocketSphinxEngine, ListensForEveryShippedPhrase) {
  EngineOptions options;
  options.post_to_gui = [](std::function<void()>) {};
  if (!pocketsphinx_available(options)) GTEST_SKIP() << "no PocketSphinx model (package pocketsphinx-en-us)";
  std::string log;
  auto engine = make_recognizer(kPocketSphinxEngine, options, log);
  ASSERT_NE(engine, nullptr) << log;
  testing::expect_every_shipped_phrase_heard(*engine);
  EXPECT_EQ(engine->phrases_alike("三号部队", {"二号部队", "船坞"}), std::vector<std::string>{"二号部队"});
}

}  // namespace
}  // namespace quillon
