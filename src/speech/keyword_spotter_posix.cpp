#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "speech/audio_source.h"
#include "speech/grammar_file.h"
#include "speech/keyword_spotter.h"
#include "speech/spotter_core.h"
#include "speech/wav_reader.h"

namespace quillon {
namespace {

constexpr const char* kDisplayName = "中文普通话关键词识别 (sherpa-onnx)";

// What posted events need on the GUI thread; outlives the engine if events are
// still queued when it goes.
struct Delivery {
  bool active = false;  // GUI thread only
  RecognitionListener* listener = nullptr;
};

class KeywordSpotterEngine : public Recognizer {
 public:
  KeywordSpotterEngine(EngineOptions options, ModelPaths paths)
      : options_(std::move(options)), paths_(std::move(paths)), delivery_(std::make_shared<Delivery>()) {}

  ~KeywordSpotterEngine() override {
    stop_audio();
    delivery_->listener = nullptr;
    delivery_->active = false;
  }

  SpeechStatus create_context() override {
    if (core_) return SpeechStatus::success();
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

  std::vector<std::string> recognizer_names() const override { return {kDisplayName}; }

  SpeechStatus init_grammar() override {
    return core_ ? SpeechStatus::success() : SpeechStatus::failure("no recognition context");
  }

  SpeechStatus add_event_interest(SpeechEvent) override { return init_grammar(); }

  GrammarLoad load_grammar(const std::string& path) override {
    GrammarLoad load;
    if (!core_) {
      load.status = SpeechStatus::failure("no recognition context");
      return load;
    }
    GrammarParse parse = parse_grammar_file(path);
    if (!parse.status.ok) {
      load.status = parse.status;
      return load;
    }
    std::lock_guard lock(core_mutex_);
    load.status = core_->set_phrases(parse.phrases, load.unsupported_phrases);
    return load;
  }

  SpeechStatus set_rules_active(bool active) override {
    if (!core_) return SpeechStatus::failure("no recognition context");
    if (!active) {
      stop_audio();
      delivery_->active = false;
      return SpeechStatus::success();
    }
    if (delivery_->active) return SpeechStatus::success();
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
    delivery_->active = true;
    if (!file_done_) thread_ = std::thread([this] { listen(); });
    return SpeechStatus::success();
  }

  void set_listener(RecognitionListener* listener) override { delivery_->listener = listener; }

 private:
  void stop_audio() {
    if (source_) source_->stop();
    if (thread_.joinable()) thread_.join();
    if (source_ && !source_->finite()) source_.reset();  // frees the device for other programs
    if (core_) {
      std::lock_guard lock(core_mutex_);
      core_->reset();
    }
  }

  void post(std::vector<SpotterDecision>& decisions) {
    if (decisions.empty() || !options_.post_to_gui) return;
    options_.post_to_gui([delivery = delivery_, decisions = std::move(decisions)] {
      for (const auto& d : decisions) {
        if (!delivery->active || !delivery->listener) return;
        if (d.recognised) {
          delivery->listener->on_recognition(d.text);
        } else {
          delivery->listener->on_false_recognition();
        }
      }
    });
    decisions = {};
  }

  // The audio thread: reads chunks as they come and decodes them at once.
  void listen() {
    std::vector<float> chunk;
    std::vector<SpotterDecision> decisions;
    while (source_->read(chunk)) {
      {
        std::lock_guard lock(core_mutex_);
        core_->accept(chunk.data(), chunk.size(), decisions);
      }
      post(decisions);
    }
    if (!source_->ended()) return;  // stopped, not finished
    file_done_ = true;
    {
      std::lock_guard lock(core_mutex_);
      core_->finish(decisions);
    }
    post(decisions);
    if (options_.exit_after_audio && options_.post_to_gui) {
      options_.post_to_gui([delivery = delivery_] {
        if (delivery->listener) delivery->listener->on_audio_finished();
      });
    }
  }

  EngineOptions options_;
  ModelPaths paths_;
  std::shared_ptr<Delivery> delivery_;
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
