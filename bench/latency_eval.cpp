// How long after a command's speech ends its first key is requested, through
// the whole path a spoken command takes: recordings played in real time as a
// microphone would deliver them, the Mandarin engine on its audio thread, the
// event queue of the window's thread, the dispatcher and the executor (whose
// input adapter here only notes the time). Also the processor time the engine
// takes while listening to silence.
//
//   latency_eval SETS_DIR [tune|held] [anywhere] [numbers]
//
// `numbers` adds four phrases with a number slot of 1 to 99 (about 400
// phrases more to listen for) beside the recorded words.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "commands/dispatcher.h"
#include "measures.h"
#include "speech/engines.h"
#include "speech/wav_reader.h"
#include "support/engine_harness.h"
#include "support/recording_platform.h"
#include "support/wav_file.h"

using namespace quillon;
using namespace quillon::bench;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Said {
  std::string word;
  double start = 0;  // audio time where its recording starts
  double end = 0;    // audio time where its speech ends
  double key = -1;   // audio time of the first key requested for it
  std::string heard;
};

// Notes the time of every key press; the rest of the platform is the recording fake.
class TimedInput : public testing::RecordingPlatform {
 public:
  std::function<void()> on_key;
  void key_down(std::uint8_t vk) override {
    if (on_key) on_key();
    RecordingPlatform::key_down(vk);
  }
};

struct Listener : RecognitionListener {
  Dispatcher* dispatcher = nullptr;
  std::string last;
  bool finished = false;
  void on_recognition(const std::string& text) override {
    last = text;
    dispatcher->on_recognition(text);
  }
  void on_false_recognition() override {}
  void on_audio_finished() override { finished = true; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: latency_eval SETS_DIR [tune|held] [anywhere] [numbers]\n");
    return 1;
  }
  const fs::path sets = argv[1];
  std::string half = "held";
  bool anywhere = false, numbers = false;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "anywhere") {
      anywhere = true;
    } else if (arg == "numbers") {
      numbers = true;
    } else {
      half = arg;
    }
  }
  const fs::path dir = sets / "commands" / half;

  // The recordings one after another, with the quiet a player leaves between commands.
  std::vector<float> audio(16000, 0.0f);
  std::vector<Said> said;
  std::vector<std::string> words;
  std::ifstream list(dir / "words.tsv");
  for (std::string file, word; list >> file >> word;) {
    const WavAudio clip = read_wav_16k_mono((dir / file).string());
    if (!clip.ok) continue;
    const double at = static_cast<double>(audio.size()) / 16000.0;
    said.push_back({word, at, at + speech_end(clip.samples), -1, {}});
    audio.insert(audio.end(), clip.samples.begin(), clip.samples.end());
    audio.insert(audio.end(), 16000, 0.0f);
    if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
  }
  const fs::path tmp = fs::temp_directory_path() / ("quillon-latency-" + std::to_string(getpid()));
  fs::create_directories(tmp);
  testing::write_wav(tmp / "commands.wav", audio);
  const double quiet_seconds = 10;
  testing::write_wav(tmp / "quiet.wav", std::vector<float>(static_cast<std::size_t>(quiet_seconds * 16000), 0.0f));

  testing::GuiQueue gui;
  EngineOptions options;
  options.audio_file = (tmp / "commands.wav").string();
  options.exit_after_audio = true;
  options.match = anywhere ? MatchMode::anywhere : MatchMode::alone;
  options.post_to_gui = gui.poster();
  std::string log;
  auto engine = make_recognizer("sherpa", options, log);
  if (!engine || !engine->create_context().ok || !engine->init_grammar().ok ||
      !engine->add_event_interest(SpeechEvent::Recognition).ok) {
    std::fprintf(stderr, "%s\n", log.c_str());
    return 1;
  }
  std::vector<std::string> phrases = words;
  if (numbers) {
    for (const char* slot : {"[1-99]号部队过来", "选择[1-99]号部队", "第[1-99]张", "[1-99]倍速度"})
      phrases.push_back(slot);
  }
  const std::string vocabulary = testing::write_vocabulary(tmp / "game.xml", phrases);
  std::ifstream in(vocabulary);
  const std::string vocab_text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!engine->load_grammar(vocabulary).status.ok) return 1;

  TimedInput input;
  Executor executor(input.platform());
  const bool test_mode = false;
  Listener listener;
  Dispatcher dispatcher(vocab_text, test_mode, executor, [](const std::string&) {});
  listener.dispatcher = &dispatcher;
  engine->set_listener(&listener);

  Clock::time_point start;
  int wrong = 0;
  input.on_key = [&] {
    const double at = std::chrono::duration<double>(Clock::now() - start).count();
    // The command whose recording began last before this key.
    Said* s = nullptr;
    for (auto& candidate : said)
      if (candidate.start <= at) s = &candidate;
    if (!s || s->key >= 0) return;
    s->key = at;
    s->heard = listener.last;
    if (s->heard != s->word) ++wrong;
  };
  start = Clock::now();
  if (!engine->set_rules_active(true).ok) return 1;
  gui.run_until([&] { return listener.finished; }, std::chrono::seconds(static_cast<long>(audio.size() / 16000 + 30)));
  engine->set_rules_active(false);

  // The same engine listening to silence, as it does most of the time.
  options.audio_file = (tmp / "quiet.wav").string();
  auto quiet_engine = make_recognizer("sherpa", options, log);
  quiet_engine->create_context();
  quiet_engine->init_grammar();
  quiet_engine->load_grammar(vocabulary);
  Listener quiet_listener;
  quiet_engine->set_listener(&quiet_listener);
  const double cpu_before = cpu_seconds();
  quiet_engine->set_rules_active(true);
  gui.run_until([&] { return quiet_listener.finished; }, std::chrono::seconds(static_cast<long>(quiet_seconds + 30)));
  const double cpu_quiet = cpu_seconds() - cpu_before;
  fs::remove_all(tmp);

  std::vector<double> latency;
  int heard = 0;
  for (const auto& s : said) {
    if (s.key < 0) continue;
    ++heard;
    if (s.heard == s.word) latency.push_back(s.key - s.end);
  }
  for (const auto& s : said)
    if (s.heard != s.word) std::printf("  %s heard as %s\n", s.word.c_str(), s.key < 0 ? "nothing" : s.heard.c_str());
  std::printf("%s mode, %s half%s: %d of %zu commands acted on (%d wrong)\n", anywhere ? "anywhere" : "alone",
              half.c_str(), numbers ? ", four number slots listening too" : "", heard, said.size(), wrong);
  std::printf("end of speech -> first key: median %.0f ms, 90th percentile %.0f ms, max %.0f ms\n",
              1000 * percentile(latency, 0.5), 1000 * percentile(latency, 0.9), 1000 * percentile(latency, 1.0));
  std::printf("processor time listening to silence: %.2f %% of one core\n", 100 * cpu_quiet / quiet_seconds);
  return 0;
}
