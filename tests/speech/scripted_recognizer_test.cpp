// The scripted engine: what it hears, what reaches the listener, and from
// which thread.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <condition_variable>
#include <future>
#include <mutex>
#include <sstream>
#include <streambuf>

#include "speech/scripted/scripted_recognizer.h"
#include "support/engine_harness.h"

namespace quillon {
namespace {

using Heard = std::vector<std::string>;

class ScriptedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    vocabulary = grammar("game.xml", {"城堡", "Go"});
  }
  std::unique_ptr<ScriptedRecognizer> engine(const std::string& input = "", std::function<bool()> decoding = {}) {
    EngineOptions options;
    options.post_to_gui = queue.poster();
    options.decoding = std::move(decoding);
    auto r = std::make_unique<ScriptedRecognizer>(std::make_shared<std::istringstream>(input), options);
    r->set_listener(&recorder);
    return r;
  }
  // Context, grammar and both interests, as the window sets them up.
  void start(Recognizer& r) {
    ASSERT_TRUE(r.create_context().ok);
    ASSERT_TRUE(r.init_grammar().ok);
    ASSERT_TRUE(r.add_event_interest(SpeechEvent::Recognition).ok);
    ASSERT_TRUE(r.add_event_interest(SpeechEvent::FalseRecognition).ok);
  }
  std::string grammar(const char* name, const std::vector<std::string>& phrases) {
    return testing::write_vocabulary(dir.filePath(name).toStdString(), phrases);
  }

  QTemporaryDir dir;
  std::string vocabulary;
  testing::GuiQueue queue;
  testing::Events recorder;
};

TEST_F(ScriptedTest, UtterancesWhileActiveMatchPhrasesExactly) {
  struct Row {
    const char* utterance;
    Heard heard;
  };
  const Row rows[] = {
      {"城堡", {"城堡"}}, {"Go", {"Go"}},   {"go", {"?"}}, {"GO", {"?"}},       {" 城堡", {"?"}},
      {"城堡 ", {"?"}},   {"+城堡", {"?"}}, {"城", {"?"}}, {"城堡城堡", {"?"}}, {"", {"?"}},
  };
  auto r = engine();
  start(*r);
  ASSERT_TRUE(r->load_grammar(vocabulary).status.ok);
  ASSERT_TRUE(r->set_rules_active(true).ok);
  for (const Row& row : rows) {
    recorder.heard.clear();
    r->hear(row.utterance);
    EXPECT_EQ(recorder.heard, row.heard) << "\"" << row.utterance << "\"";
  }
}

// Push-to-talk: a line typed while the key is up is not heard at all.
TEST_F(ScriptedTest, NothingIsHeardWhileThePushToTalkGateIsClosed) {
  bool open = false;
  auto r = engine("", [&open] { return open; });
  start(*r);
  ASSERT_TRUE(r->load_grammar(vocabulary).status.ok);
  ASSERT_TRUE(r->set_rules_active(true).ok);
  for (const bool gate : {false, true, false}) {
    open = gate;
    r->hear("城堡");
    r->hear("没有");
  }
  EXPECT_EQ(recorder.heard, (Heard{"城堡", "?"}));
}

TEST_F(ScriptedTest, GrammarAndRuleStateFollowThePlatformsOrder) {
  auto r = engine();
  EXPECT_FALSE(r->init_grammar().ok) << "no context yet";
  EXPECT_FALSE(r->add_event_interest(SpeechEvent::Recognition).ok);
  ASSERT_TRUE(r->create_context().ok);
  EXPECT_FALSE(r->load_grammar(vocabulary).status.ok) << "no grammar yet";
  EXPECT_FALSE(r->set_rules_active(true).ok) << "no grammar yet";
  start(*r);

  // Activity survives a reload, and a reload replaces the phrases.
  ASSERT_TRUE(r->load_grammar(vocabulary).status.ok);
  ASSERT_TRUE(r->set_rules_active(true).ok);
  ASSERT_TRUE(r->set_rules_active(true).ok);
  const GrammarLoad other = r->load_grammar(grammar("other.xml", {"马厩"}));
  ASSERT_TRUE(other.status.ok);
  EXPECT_TRUE(other.unsupported_phrases.empty());
  r->hear("马厩");
  r->hear("城堡");

  // A refused file leaves no phrase behind.
  const GrammarLoad refused = r->load_grammar(grammar("bad.xml", {"猫&狗"}));
  EXPECT_FALSE(refused.status.ok);
  EXPECT_NE(refused.status.error.find("bad.xml"), std::string::npos) << refused.status.error;
  r->hear("马厩");

  // An empty grammar loads; every utterance is then a false recognition.
  ASSERT_TRUE(r->load_grammar(grammar("new.xml", {})).status.ok);
  r->hear("马厩");
  ASSERT_TRUE(r->set_rules_active(false).ok);
  r->hear("马厩");
  EXPECT_EQ(recorder.heard, (Heard{"马厩", "?", "?", "?"}));
}

TEST_F(ScriptedTest, ReadsLinesOnItsThreadAndDeliversThemThroughTheGuiQueue) {
  auto r = engine("城堡\r\n马厩\n\nGo");
  start(*r);
  ASSERT_TRUE(r->load_grammar(vocabulary).status.ok);
  ASSERT_TRUE(r->set_rules_active(true).ok);
  ASSERT_TRUE(queue.wait_for_posted(5));
  EXPECT_TRUE(recorder.heard.empty() && !recorder.finished) << "nothing reaches the listener outside the GUI queue";
  queue.run_posted();
  EXPECT_EQ(recorder.heard, (Heard{"城堡", "?", "?", "Go"}));
  EXPECT_TRUE(recorder.finished);
}

TEST_F(ScriptedTest, WorkPostedBeforeDestructionIsHarmless) {
  auto r = engine("城堡\n");
  start(*r);
  ASSERT_TRUE(queue.wait_for_posted(2));
  r.reset();
  queue.run_posted();
  EXPECT_TRUE(recorder.heard.empty() && !recorder.finished);
}

// A stream whose reads block until the test feeds it, like a terminal.
class BlockingBuffer : public std::streambuf {
 public:
  void feed(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ += text;
    changed_.notify_all();
  }
  void close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

 protected:
  int_type underflow() override {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !pending_.empty() || closed_; });
    if (pending_.empty()) return traits_type::eof();
    current_.swap(pending_);
    pending_.clear();
    setg(current_.data(), current_.data(), current_.data() + current_.size());
    return traits_type::to_int_type(current_[0]);
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string pending_, current_;
  bool closed_ = false;
};

TEST_F(ScriptedTest, DestructionDoesNotWaitForABlockedReaderNorHearFromItAgain) {
  auto buffer = std::make_shared<BlockingBuffer>();
  // The reader lets go of its input when it ends: that is when it can no
  // longer post anything.
  auto released = std::make_shared<std::promise<void>>();
  std::future<void> reader_ended = released->get_future();
  auto stream = std::shared_ptr<std::istream>(new std::istream(buffer.get()), [buffer, released](std::istream* s) {
    delete s;
    released->set_value();
  });
  EngineOptions options;
  options.post_to_gui = queue.poster();
  auto r = std::make_unique<ScriptedRecognizer>(std::move(stream), options);
  ASSERT_TRUE(r->create_context().ok);
  buffer->feed("城堡\n");
  ASSERT_TRUE(queue.wait_for_posted(1));
  r.reset();  // the reader is blocked waiting for more input
  buffer->feed("马厩\n");
  buffer->close();
  ASSERT_EQ(reader_ended.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(queue.queued(), 1u) << "nothing is posted after destruction";
  queue.run_posted();
}

}  // namespace
}  // namespace quillon
