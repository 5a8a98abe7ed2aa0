#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "speech/audio_source.h"
#include "speech/engines.h"
#include "speech/grammar_file.h"
#include "speech/keyword_spotter.h"
#include "speech/recognizer_base.h"
#include "speech/spotter_core.h"
#include "speech/wav_reader.h"

namespace quillon {
namespace {

class KeywordSpotterEngine : public RecognizerBase {
 public:
  KeywordSpotterEngine(EngineOptions options, ModelPaths paths)
      : options_(std::move(options)), paths_(std::move(paths)), self_(std::make_shared<Self>(Self{this, 0})) {}

  ~KeywordSpotterEngine() override {
    stop_listening();
    self_->engine = nullptr;
  }

  std::vector<std::string> recognizer_names() const override {
    return recognizer_display_names(kKeywordSpotterEngine, options_);
  }

 protected:
  SpeechStatus open_context() override {
    // Reading the pinyin table takes a few hundred milliseconds: do it while
    // the model loads, ready for the first vocabulary.
    readings_ = std::async(std::launch::async, [] { PinyinReadings::system(); });
    std::string error;
    model_ = SpotterModel::load(paths_, spotter_settings_from_environment(), error);
    if (!model_) return SpeechStatus::failure(error);
    core_ = std::make_unique<SpotterCore>(*model_);
    if (!core_->ok()) {
      core_.reset();
      return SpeechStatus::failure("the voice-activity detector could not be created from " + paths_.vad_file);
    }
    return SpeechStatus::success();
  }

  GrammarParse read_grammar(const std::string& path) override { return parse_grammar_file(path); }

  GrammarLoad use_phrases(const std::vector<std::string>& phrases) override {
    GrammarLoad load;
    std::lock_guard lock(core_mutex_);
    load.status = core_->set_phrases(phrases, load.unsupported_phrases);
    return load;
  }

  SpeechStatus start_listening() override {
    if (!source_) {
      std::string error;
      if (options_.audio_file.empty()) {
        source_ = open_capture_device(error);
      } else {
        WavAudio wav = read_wav_16k_mono(options_.audio_file);
        if (wav.ok) source_ = std::make_unique<FileAudioSource>(std::move(wav.samples));
        error = wav.error;
      }
      if (!source_) return SpeechStatus::failure(error);
    } else {
      source_->restart();
    }
    ++self_->generation;
    if (!file_done_) thread_ = std::thread([this, generation = self_->generation] { listen(generation); });
    return SpeechStatus::success();
  }

  void stop_listening() override {
    if (source_) source_->stop();
    if (thread_.joinable()) thread_.join();
    if (source_ && !source_->finite()) source_.reset();  // frees the device for other programs
    if (core_) {
      std::lock_guard lock(core_mutex_);
      core_->reset();
    }
  }

 private:
  // Posted work finds the engine through this, or finds it gone; decisions of
  // an earlier listening period are dropped.
  struct Self {
    KeywordSpotterEngine* engine;
    unsigned generation;
  };

  void post(std::vector<SpotterDecision>& decisions, unsigned generation) {
    if (decisions.empty() || !options_.post_to_gui) return;
    options_.post_to_gui([self = self_, generation, decisions = std::move(decisions)] {
      for (const auto& d : decisions) {
        if (!self->engine || self->generation != generation) return;
        if (d.recognised) {
          self->engine->deliver_recognition(d.text);
        } else {
          self->engine->deliver_false_recognition();
        }
      }
    });
    decisions = {};
  }

  // The audio thread: reads chunks as they come and decodes them at once.
  void listen(unsigned generation) {
    std::vector<float> chunk;
    std::vector<SpotterDecision> decisions;
    while (source_->read(chunk)) {
      {
        std::lock_guard lock(core_mutex_);
        core_->accept(chunk.data(), chunk.size(), decisions);
      }
      post(decisions, generation);
    }
    if (!source_->ended()) return;  // stopped, not finished
    file_done_ = true;
    {
      std::lock_guard lock(core_mutex_);
      core_->finish(decisions);
    }
    post(decisions, generation);
    if (options_.exit_after_audio && options_.post_to_gui) {
      options_.post_to_gui([self = self_] {
        if (self->engine) self->engine->deliver_audio_finished();
      });
    }
  }

  EngineOptions options_;
  ModelPaths paths_;
  std::shared_ptr<Self> self_;
  std::unique_ptr<SpotterModel> model_;
  std::unique_ptr<SpotterCore> core_;
  std::mutex core_mutex_;
  std::unique_ptr<AudioSource> source_;
  std::thread thread_;
  std::atomic<bool> file_done_{false};
  std::future<void> readings_;
};

}  // namespace

bool keyword_spotter_available(const EngineOptions& options) {
  ModelPaths paths;
  std::string why;
  return runtime_version_problem().empty() && find_models(options, paths, why);
}

std::unique_ptr<Recognizer> make_keyword_spotter(const EngineOptions& options, std::string& log) {
  if (const auto problem = runtime_version_problem(); !problem.empty()) {
    log += "keyword spotter: " + problem + "\n";
    return nullptr;
  }
  ModelPaths paths;
  std::string why;
  if (!find_models(options, paths, why)) {
    log += "keyword spotter: no usable model (" + std::string(kKwsModelPage) + ")\n" + why;
    return nullptr;
  }
  log += "keyword spotter: model " + paths.kws_dir + ", voice activity " + paths.vad_file + "\n";
  return std::make_unique<KeywordSpotterEngine>(options, std::move(paths));
}

}  // namespace quillon
