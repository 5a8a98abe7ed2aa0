#pragma once

// The texts the speech engines themselves put in the log. They live beside the
// engines so that this layer needs nothing above it; core/texts.h brings them
// in with the rest.

namespace quillon::text {

// Where a user gets the speech model Quillon listens with: in the no-engine
// message, the help text and the log.
inline constexpr const char* kModelDownloadAddress = "https://github.com/k2-fsa/sherpa-onnx/releases/tag/kws-models";

}  // namespace quillon::text
