#pragma once

// What every engine that decodes audio itself shares: one audio thread that
// reads the capture device or a WAV file in real time, feeds a decoder core
// chunk by chunk, and posts its decisions to the GUI thread. `Core` provides
// set_phrases, accept, finish and reset; `Decision` has `recognised` and `text`.

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "speech/audio_source.h"
#include "speech/engines.h"
#include "speech/grammar_file.h"
#include "speech/recognizer_base.h"
#include "speech/sound_alike.h"
#include "speech/wav_reader.h"

namespace quillon {

template <typename Core, typename Decision>
class ListeningEngine : public RecognizerBase {
 public:
  // `engine`: the name the registry knows it by.
  ListeningEngine(const char* engine, EngineOptions options)
      : RecognizerBase(recognizer_display_names(engine, options)),
        options_(std::move(options)),
        self_(std::make_shared<Self>(Self{this, 0})) {}

  ~ListeningEngine() override { shut_down(); }

  void set_capture_device(const std::string& device) override { options_.capture_device = device; }

  std::optional<float> capture_level() const override {
    const float level = level_.load();
    return level < 0.0f ? std::nullopt : std::optional<float>(level);
  }

  // Both engines listen for Mandarin syllables: how the phrases are said decides.
  std::vector<std::string> phrases_alike(const std::string& phrase,
                                         const std::vector<std::string>& others) const override {
    return phrases_sounding_like(phrase, others, options_.readings->get());
  }

 protected:
  GrammarParse read_grammar(const std::string& path) override { return parse_grammar_file(path); }

  GrammarLoad use_phrases(const std::vector<std::string>& phrases) override {
    GrammarLoad load;
    std::lock_guard lock(core_mutex_);
    load.status = core_->set_phrases(phrases, load.unsupported_phrases);
    return load;
  }

  SpeechStatus start_listening() override {
    if (!source_) {
      SpeechStatus status = open_source();
      if (!status.ok) return status;
    } else {
      source_->restart();
    }
    ++self_->generation;
    if (!file_done_) thread_ = std::thread([this, generation = self_->generation] { listen(generation); });
    std::fprintf(stderr, "quillon: listening to %s\n",
                 options_.audio_file.empty() ? options_.capture_device.c_str() : options_.audio_file.c_str());
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

  // Stops the audio thread and drops the core; an engine whose core refers to
  // its own members calls this first in its destructor.
  void shut_down() {
    stop_listening();
    self_->engine = nullptr;
    core_.reset();
  }

  const EngineOptions& options() const { return options_; }
  // Runs `f` on the core, if any, while the audio thread keeps off it.
  template <typename F>
  void with_core(F f) {
    std::lock_guard lock(core_mutex_);
    if (core_) f(*core_);
  }
  std::unique_ptr<Core> core_;

 private:
  // Posted work finds the engine through this, or finds it gone; decisions of
  // an earlier listening period are dropped.
  struct Self {
    ListeningEngine* engine;
    unsigned generation;
  };

  SpeechStatus open_source() {
    if (options_.audio_file.empty()) {
      std::string error;
      source_ = open_capture_device(options_.capture_device, error);
      return source_ ? SpeechStatus::success() : SpeechStatus::no_capture_device(options_.capture_device, error);
    }
    WavAudio wav = read_wav_16k_mono(options_.audio_file);
    if (!wav.ok) {
      std::fprintf(stderr, "quillon: cannot listen to %s\n", wav.error.c_str());
      return SpeechStatus::unusable_audio_file(options_.audio_file, wav.fault, wav.error);
    }
    source_ = std::make_unique<FileAudioSource>(std::move(wav.samples));
    return SpeechStatus::success();
  }

  void post(std::vector<Decision>& decisions, unsigned generation) {
    if (decisions.empty() || !options_.post_to_gui) return;
    options_.post_to_gui([self = self_, generation, decisions = std::move(decisions)] {
      for (const Decision& d : decisions) {
        if (!self->engine || self->generation != generation) return;
        if (d.recognised) {
          bool taught = false;
          if constexpr (requires { d.taught; }) taught = d.taught;
          self->engine->deliver_recognition(d.text, taught);
        } else {
          self->engine->deliver_false_recognition();
        }
      }
    });
    decisions = {};
  }

  // The audio thread: decodes each chunk as it comes.
  void listen(unsigned generation) {
    level_ = 0.0f;
    listen_to_end(generation);
    level_ = kNoLevel;
  }

  void listen_to_end(unsigned generation) {
    std::vector<float> chunk;
    std::vector<Decision> decisions;
    bool fed = false;  // audio reached the core since it last finished
    while (source_->read(chunk)) {
      level_ = sound_level(chunk);
      const bool decoding = !options_.decoding || options_.decoding();
      {
        std::lock_guard lock(core_mutex_);
        if (decoding) {
          core_->accept(chunk.data(), chunk.size(), decisions);
        } else if (fed) {
          // The gate closed: what was said up to now is decided, then forgotten.
          core_->finish(decisions);
          core_->reset();
        }
      }
      fed = decoding;
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
  std::shared_ptr<Self> self_;
  std::mutex core_mutex_;
  std::unique_ptr<AudioSource> source_;
  std::thread thread_;
  std::atomic<bool> file_done_{false};
  static constexpr float kNoLevel = -1.0f;
  std::atomic<float> level_{kNoLevel};
};

}  // namespace quillon
