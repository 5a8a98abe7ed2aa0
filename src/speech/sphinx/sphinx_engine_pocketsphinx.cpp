#include "speech/engines.h"
#include "speech/listening_engine.h"
#include "speech/sphinx/sphinx_core.h"
#include "speech/sphinx/sphinx_engine.h"
#include "speech/spotter/keyword_spotter.h"

namespace quillon {
namespace {

class PocketSphinxEngine : public ListeningEngine<SphinxCore, SphinxDecision> {
 public:
  PocketSphinxEngine(EngineOptions options, SphinxSettings settings)
      : ListeningEngine(kPocketSphinxEngine, std::move(options)),
        settings_(std::move(settings)),
        stands_in_(!keyword_spotter_available(this->options())) {}

  bool stands_in_for_missing_model() const override { return stands_in_; }

 protected:
  SpeechStatus open_context() override {
    const PinyinReadings& readings = options().readings->get();
    if (readings.size() == 0) return SpeechStatus::failure("no Unihan readings (package unicode-data)");
    std::string error;
    core_ = SphinxCore::create(settings_, readings, error);
    return core_ ? SpeechStatus::success() : SpeechStatus::failure(error);
  }

 private:
  SphinxSettings settings_;
  bool stands_in_;  // the Mandarin model was missing when this engine was made
};

std::string model_dir(const SphinxSettings& settings) {
  return settings.model_dir.empty() ? kSphinxDefaultModel : settings.model_dir;
}

}  // namespace

bool pocketsphinx_available(const EngineOptions& options) {
  return sphinx_model_problem(model_dir(sphinx_settings(options.tuning))).empty();
}

std::unique_ptr<Recognizer> make_pocketsphinx(const EngineOptions& options, std::string& log) {
  SphinxSettings settings = sphinx_settings(options.tuning);
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
