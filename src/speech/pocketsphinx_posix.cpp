#include <atomic>
#include <mutex>
#include <thread>

#include "speech/audio_source.h"
#include "speech/engines.h"
#include "speech/grammar_file.h"
#include "speech/pocketsphinx_engine.h"
#include "speech/recognizer_base.h"
#include "speech/sphinx_core.h"
#include "speech/wav_reader.h"

namespace quillon {
namespace {

class PocketSphinxEngine : public RecognizerBase {
 public:
  PocketSphinxEngine(EngineOptions options, SphinxSettings settings)
      : options_(std::move(options)), settings_(std::move(settings)), self_(std::make_shared<Self>(Self{this, 0})) {}

  ~PocketSphinxEngine() override {
    stop_listening();
    self_->engine = nullptr;
  }

  std::vector<std::string> recognizer_names() const override {
    return recognizer_display_names(kPocketSphinxEngine, options_);
  }

 protected:
  SpeechStatus open_context() override {
    const PinyinReadings& readings = PinyinReadings::system();
    if (readings.size() == 0) return SpeechStatus::failure("no Unihan readings (package unicode-data)");
    std::string error;
    core_ = SphinxCore::create(settings_, readings, error);
    return core_ ? SpeechStatus::success() : SpeechStatus::failure(error);
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
    PocketSphinxEngine* engine;
    unsigned generation;
  };

  void post(std::vector<SphinxDecision>& decisions, unsigned generation) {
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

  // The audio thread: decodes each chunk as it comes.
  void listen(unsigned generation) {
    std::vector<float> chunk;
    std::vector<SphinxDecision> decisions;
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
  SphinxSettings settings_;
  std::shared_ptr<Self> self_;
  std::unique_ptr<SphinxCore> core_;
  std::mutex core_mutex_;
  std::unique_ptr<AudioSource> source_;
  std::thread thread_;
  std::atomic<bool> file_done_{false};
};

std::string model_dir(const SphinxSettings& settings) {
  return settings.model_dir.empty() ? kSphinxDefaultModel : settings.model_dir;
}

}  // namespace

bool pocketsphinx_available(const EngineOptions&) {
  return sphinx_model_problem(model_dir(sphinx_settings_from_environment())).empty();
}

std::unique_ptr<Recognizer> make_pocketsphinx(const EngineOptions& options, std::string& log) {
  SphinxSettings settings = sphinx_settings_from_environment();
  if (const auto problem = sphinx_model_problem(model_dir(settings)); !problem.empty()) {
    log += "pocketsphinx: " + problem + " (package pocketsphinx-en-us)\n";
    return nullptr;
  }
  if (!options.post_to_gui) {
    log += "pocketsphinx: no post_to_gui to deliver events\n";
    return nullptr;
  }
  log += "pocketsphinx: model " + model_dir(settings) + ", garbage probability " +
         std::to_string(settings.garbage_probability) + "\n";
  return std::make_unique<PocketSphinxEngine>(options, std::move(settings));
}

}  // namespace quillon
