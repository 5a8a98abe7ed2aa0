#pragma once

// The default engine: a Mandarin open-vocabulary keyword spotter. Vocabulary
// phrases become pinyin keywords; a voice-activity detector marks speech in
// which no phrase was heard.

#include <memory>
#include <string>

#include "speech/engines.h"

namespace quillon {

inline constexpr char kKeywordSpotterEngine[] = "sherpa";
// The model it needs (text::kModelDownloadAddress says where to fetch it).
inline constexpr const char* kKwsModelName = "sherpa-onnx-kws-zipformer-wenetspeech-3.3M-2024-01-01-mobile";

// The runtime library is the expected version and a model folder was found.
bool keyword_spotter_available(const EngineOptions& options);
// Null when unavailable; `log` says which models are used or why not.
std::unique_ptr<Recognizer> make_keyword_spotter(const EngineOptions& options, std::string& log);

}  // namespace quillon
