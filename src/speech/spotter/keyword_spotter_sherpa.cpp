#include <future>

#include "speech/engines.h"
#include "speech/listening_engine.h"
#include "speech/speech_texts.h"
#include "speech/spotter/keyword_spotter.h"
#include "speech/spotter/spotter_core.h"
#include "speech/spotter/take_hearing.h"

namespace quillon {
namespace {

class KeywordSpotterEngine : public ListeningEngine<SpotterCore, SpotterDecision> {
 public:
  KeywordSpotterEngine(EngineOptions options, ModelPaths paths)
      : ListeningEngine(kKeywordSpotterEngine, std::move(options)), paths_(std::move(paths)) {}

  // The core refers to the model: it goes first.
  ~KeywordSpotterEngine() override { shut_down(); }

  bool can_be_taught() const override { return true; }

  std::optional<TakeHearing> hear_take(const std::string& phrase, const std::vector<float>& samples,
                                       const std::vector<std::string>& others, const TaughtVoice& taught) override {
    if (!model_) return std::nullopt;
    if (readings_.valid()) readings_.wait();
    return hear_take_with(*model_, *options().readings, phrase, samples, others, taught);
  }

  void set_taught_voice(const TaughtVoice& taught) override {
    taught_ = taught;
    with_core([&](SpotterCore& core) { core.set_taught_voice(taught_); });
  }

 protected:
  SpeechStatus open_context() override {
    // Reading the pinyin table takes a few hundred milliseconds: do it while
    // the model loads, ready for the first vocabulary.
    readings_ = std::async(std::launch::async, [readings = options().readings] { readings->get(); });
    std::string error;
    model_ = SpotterModel::load(paths_, spotter_settings(options().match, options().tuning), error);
    if (!model_) return SpeechStatus::failure(error);
    core_ = std::make_unique<SpotterCore>(*model_, *options().readings);
    core_->set_taught_voice(taught_);
    if (!core_->ok()) {
      core_.reset();
      return SpeechStatus::failure("the voice-activity detector could not be created from " + paths_.vad_file);
    }
    return SpeechStatus::success();
  }

 private:
  ModelPaths paths_;
  std::unique_ptr<SpotterModel> model_;
  std::future<void> readings_;
  TaughtVoice taught_;
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
    log += "keyword spotter: no usable model (" + std::string(text::kModelDownloadAddress) + ")\n" + why;
    return nullptr;
  }
  log += "keyword spotter: model " + paths.kws_dir + ", voice activity " + paths.vad_file + "\n";
  return std::make_unique<KeywordSpotterEngine>(options, std::move(paths));
}

}  // namespace quillon
