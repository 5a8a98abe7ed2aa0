// The audio thread every decoding engine shares, around a core that records
// what it is fed: push-to-talk's gate decides which audio reaches the core,
// and a closing gate has what was said so far decided at once.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "speech/listening_engine.h"
#include "support/engine_harness.h"
#include "support/wav_file.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

struct Decided {
  bool recognised;
  std::string text;
};

// Says what it was given: "audio" for each run of chunks, "finish" and
// "reset"; finishing decides the phrase "说完".
class RecordingCore {
 public:
  explicit RecordingCore(Strings& log) : log_(log) {}
  SpeechStatus set_phrases(const std::vector<std::string>&, std::vector<std::string>&) {
    return SpeechStatus::success();
  }
  void accept(const float*, std::size_t, std::vector<Decided>&) {
    if (log_.empty() || log_.back() != "audio") log_.push_back("audio");
  }
  void finish(std::vector<Decided>& out) {
    log_.push_back("finish");
    out.push_back({true, "说完"});
  }
  void reset() { log_.push_back("reset"); }

 private:
  Strings& log_;
};

class RecordingEngine : public ListeningEngine<RecordingCore, Decided> {
 public:
  RecordingEngine(EngineOptions options, Strings& log) : ListeningEngine("recording", std::move(options)) {
    core_ = std::make_unique<RecordingCore>(log);
  }
  ~RecordingEngine() override { shut_down(); }
};

// Chunks of the file, in order, by whether the gate lets them through.
struct GateCase {
  const char* name;
  std::vector<bool> open_by_chunk;  // the last value holds for the rest
  Strings core_log;
  Strings heard;
};

TEST(ListeningEngine, OnlyAudioThePushToTalkGateLetsThroughIsDecoded) {
  const fs::path dir = fs::temp_directory_path() / ("quillon-gate-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path wav = dir / "quiet.wav";
  ASSERT_TRUE(testing::write_wav(wav, std::vector<float>(kChunkSamples * 12, 0.0f)));
  const std::string vocabulary = testing::write_vocabulary(dir / "game.xml", {"说完"});

  const GateCase cases[] = {
      {"always open", {true}, {"audio", "finish"}, {"说完"}},
      {"closed throughout", {false}, {"finish"}, {"说完"}},
      {"open, then closed", {true, true, true, false}, {"audio", "finish", "reset", "finish"}, {"说完", "说完"}},
      {"held twice",
       {false, true, true, false, false, true},
       {"audio", "finish", "reset", "audio", "finish"},
       {"说完", "说完"}},
  };
  for (const GateCase& c : cases) {
    testing::GuiQueue gui;
    std::atomic<std::size_t> asked{0};
    EngineOptions options;
    options.audio_file = wav.string();
    options.exit_after_audio = true;
    options.post_to_gui = gui.poster();
    options.decoding = [&] {
      const std::size_t chunk = asked++;
      return c.open_by_chunk[std::min(chunk, c.open_by_chunk.size() - 1)];
    };
    Strings core_log;
    RecordingEngine engine(options, core_log);
    testing::Events events;
    ASSERT_TRUE(engine.create_context().ok);
    ASSERT_TRUE(engine.init_grammar().ok);
    ASSERT_TRUE(engine.add_event_interest(SpeechEvent::Recognition).ok);
    ASSERT_TRUE(engine.load_grammar(vocabulary).status.ok);
    engine.set_listener(&events);
    ASSERT_TRUE(engine.set_rules_active(true).ok);
    ASSERT_TRUE(gui.run_until([&] { return events.finished; }, std::chrono::seconds(10))) << c.name;
    EXPECT_EQ(core_log, c.core_log) << c.name;
    EXPECT_EQ(events.heard, c.heard) << c.name;
  }
  fs::remove_all(dir);
}

TEST(ListeningEngine, AnAudioFileThatCannotBeUsedIsNamedWithItsFault) {
  const fs::path wav = fs::temp_directory_path() / ("quillon-empty-" + std::to_string(getpid()) + ".wav");
  std::ofstream{wav};
  EngineOptions options;
  options.audio_file = wav.string();
  Strings core_log;
  RecordingEngine engine(options, core_log);
  ASSERT_TRUE(engine.create_context().ok);
  ASSERT_TRUE(engine.init_grammar().ok);
  const SpeechStatus status = engine.set_rules_active(true);
  EXPECT_FALSE(status.ok);
  EXPECT_EQ(status.audio_file, wav.string());
  EXPECT_EQ(status.audio_fault, WavFault::empty);
  EXPECT_EQ(status.capture_device, "");
  fs::remove(wav);
}

}  // namespace
}  // namespace quillon
