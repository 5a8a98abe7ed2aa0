#pragma once

// Where the keyword spotter's model files are and whether they can be loaded.
// The runtime aborts the whole process on a damaged model, so no file reaches
// it unchecked.

#include <string>
#include <vector>

#include "speech/engines.h"

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

// The models/ folders to look in, best first, each once: options.model_dir
// alone when given; else models/ of the program folder and of the
// executable's folder, of the user's data folder and of the installation's
// (see vocabulary/program_folder.h), and in a development build models/ of
// the source tree.
std::vector<std::string> model_search_folders(const EngineOptions& options);

// The first folder whose models can be loaded. Files of the folders we ship
// must have their known SHA-256; files in options.model_dir, which may be other
// builds of the models, need only be whole. `why` names every missing or
// damaged file of the folders passed over. Each file is read once per process
// unless it changes, so asking again is cheap.
bool find_models(const EngineOptions& options, ModelPaths& paths, std::string& why);

// Cheap structural check of an ONNX file (its top-level protobuf fields must
// span the file exactly).
bool onnx_file_looks_intact(const std::string& path);

}  // namespace quillon
