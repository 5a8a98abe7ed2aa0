// The rules every engine shares through RecognizerBase: events reach the
// listener only while the rules are active and only for the interests added;
// listening starts and stops only on a change of state.

#include <gtest/gtest.h>

#include "speech/recognizer_base.h"
#include "support/engine_harness.h"

namespace quillon {
namespace {

// Delivers whatever it is told, so that only the base's rules filter events.
class Probe : public RecognizerBase {
 public:
  Probe() : RecognizerBase({"probe 中文"}) {}
  using RecognizerBase::deliver_audio_finished;
  using RecognizerBase::deliver_false_recognition;
  using RecognizerBase::deliver_recognition;

  using RecognizerBase::is_phrase;

  bool refuse_start = false;
  std::vector<std::string> calls;
  std::vector<std::string> in_file;  // what the grammar holds
  std::vector<std::string> given;    // what the engine was given to listen for

 protected:
  GrammarParse read_grammar(const std::string&) override { return {SpeechStatus::success(), in_file}; }
  // Cannot say "X".
  GrammarLoad use_phrases(const std::vector<std::string>& phrases) override {
    given = phrases;
    GrammarLoad load;
    for (const auto& p : phrases) {
      if (p.find('X') != std::string::npos) load.unsupported_phrases.push_back(p);
    }
    return load;
  }
  SpeechStatus start_listening() override {
    calls.push_back(refuse_start ? "start refused" : "start");
    return refuse_start ? SpeechStatus::failure("the capture device is busy") : SpeechStatus::success();
  }
  void stop_listening() override { calls.push_back("stop"); }
};

TEST(RecognizerBase, EventsFollowActivityAndInterests) {
  struct Row {
    const char* what;
    bool recognition_interest;
    bool false_interest;
    bool active;
    std::vector<std::string> heard;  // the end of the audio always arrives
  };
  const Row rows[] = {
      {"active, both interests", true, true, true, {"城堡", "?"}},
      {"inactive: only the end of the audio", true, true, false, {}},
      {"no false-recognition interest", true, false, true, {"城堡"}},
      {"no recognition interest", false, true, true, {"?"}},
      {"no interest at all", false, false, true, {}},
  };
  for (const Row& row : rows) {
    Probe probe;
    testing::Events recorder;
    probe.set_listener(&recorder);
    ASSERT_TRUE(probe.create_context().ok);
    ASSERT_TRUE(probe.init_grammar().ok);
    if (row.recognition_interest) probe.add_event_interest(SpeechEvent::Recognition);
    if (row.false_interest) probe.add_event_interest(SpeechEvent::FalseRecognition);
    ASSERT_TRUE(probe.set_rules_active(row.active).ok);
    probe.deliver_recognition("城堡");
    probe.deliver_false_recognition();
    probe.deliver_audio_finished();
    EXPECT_EQ(recorder.heard, row.heard) << row.what;
    EXPECT_TRUE(recorder.finished) << row.what;
  }
}

TEST(RecognizerBase, ListeningStartsAndStopsOnlyOnChanges) {
  Probe probe;
  testing::Events recorder;
  probe.set_listener(&recorder);
  ASSERT_TRUE(probe.create_context().ok);
  ASSERT_TRUE(probe.init_grammar().ok);
  probe.add_event_interest(SpeechEvent::Recognition);

  ASSERT_TRUE(probe.set_rules_active(false).ok);
  ASSERT_TRUE(probe.set_rules_active(true).ok);
  ASSERT_TRUE(probe.set_rules_active(true).ok);
  ASSERT_TRUE(probe.set_rules_active(false).ok);

  probe.refuse_start = true;
  const SpeechStatus refused = probe.set_rules_active(true);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.error, "the capture device is busy");
  probe.deliver_recognition("城堡");  // still inactive
  ASSERT_TRUE(probe.set_rules_active(false).ok);

  EXPECT_EQ(probe.calls, (std::vector<std::string>{"start", "stop", "start refused"}));
  EXPECT_TRUE(recorder.heard.empty());
}

// The engine hears a slot phrase as its expansions; what it cannot say is
// named as the user wrote it, once.
TEST(RecognizerBase, EnginesHearSlotPhrasesSaidWithEachNumber) {
  Probe probe;
  ASSERT_TRUE(probe.create_context().ok);
  ASSERT_TRUE(probe.init_grammar().ok);
  probe.in_file = {"城堡", "[1-2]号部队", "二号部队", "X[8-9]", "[1-100]号"};
  const GrammarLoad load = probe.load_grammar("game.xml");
  ASSERT_TRUE(load.status.ok);
  using Texts = std::vector<std::string>;
  // The numbers in range first; the others after them, heard so that they are not taken for a number in range.
  ASSERT_GT(probe.given.size(), 6u);
  EXPECT_EQ(Texts(probe.given.begin(), probe.given.begin() + 6),
            (Texts{"城堡", "一号部队", "两号部队", "二号部队", "X八", "X九"}));
  EXPECT_EQ(load.unsupported_phrases, (Texts{"X[8-9]", "[1-100]号"}));
  EXPECT_TRUE(probe.is_phrase("两号部队"));
  EXPECT_TRUE(probe.is_phrase("十号部队"));
  EXPECT_FALSE(probe.is_phrase("[1-2]号部队"));
}

}  // namespace
}  // namespace quillon
