#pragma once

// Where the keyword spotter's model files are and whether they can be loaded.

#include <string>
#include <vector>

#include "speech/recognizer.h"

namespace quillon {

// The spotter's files inside its model folder, and the VAD's inside a models/ folder.
inline constexpr const char* kKwsEncoderFile = "encoder-epoch-12-avg-2-chunk-16-left-64.int8.onnx";
inline constexpr const char* kKwsDecoderFile = "decoder-epoch-12-avg-2-chunk-16-left-64.onnx";
inline constexpr const char* kKwsJoinerFile = "joiner-epoch-12-avg-2-chunk-16-left-64.int8.onnx";
inline constexpr const char* kKwsTokensFile = "tokens.txt";
inline constexpr const char* kVadModelFile = "silero-vad/silero_vad.onnx";

struct ModelPaths {
  std::string kws_dir;   // folder with the spotter's encoder, decoder, joiner, tokens.txt
  std::string vad_file;  // silero_vad.onnx
};

// Folders searched for the models, in order (options.model_dir, the program
// folder's models/, the per-user models/, then shared/models beside an ancestor
// of the executable's folder, as in a development checkout).
std::vector<std::string> model_search_folders(const EngineOptions& options);
// The first folder holding both models whose files look intact; `why` lists
// what was wrong otherwise.
bool find_models(const EngineOptions& options, ModelPaths& paths, std::string& why);
// Cheap structural check of an ONNX file (its top-level protobuf fields must
// span the file exactly): the runtime aborts the process on a damaged model.
bool onnx_file_looks_intact(const std::string& path);

}  // namespace quillon
