#pragma once

// Our declarations of the part of the sherpa-onnx 1.13.8 C interface the
// keyword spotter uses. The library ships no header; these layouts were checked
// against the library (see tests/spotter/sherpa_layout_test.cpp), and the
// engine refuses any other library version because a later release may add
// fields.

#include <cstdint>

extern "C" {

struct SherpaOnnxKeywordSpotter;
struct SherpaOnnxOnlineRecognizer;
struct SherpaOnnxOnlineStream;
struct SherpaOnnxVoiceActivityDetector;

struct SherpaOnnxFeatureConfig {
  int32_t sample_rate;
  int32_t feature_dim;
};

struct SherpaOnnxOnlineTransducerModelConfig {
  const char* encoder;
  const char* decoder;
  const char* joiner;
};

struct SherpaOnnxOnlineParaformerModelConfig {
  const char* encoder;
  const char* decoder;
};

// One model file: zipformer2 CTC, NeMo CTC and T-one CTC all use this shape.
struct SherpaOnnxOnlineOneModelConfig {
  const char* model;
};

struct SherpaOnnxHomophoneReplacerConfig {
  const char* dict_dir;
  const char* lexicon;
  const char* rule_fsts;
};

struct SherpaOnnxOnlineModelConfig {
  SherpaOnnxOnlineTransducerModelConfig transducer;
  SherpaOnnxOnlineParaformerModelConfig paraformer;
  SherpaOnnxOnlineOneModelConfig zipformer2_ctc;
  const char* tokens;
  int32_t num_threads;
  const char* provider;
  int32_t debug;
  const char* model_type;
  const char* modeling_unit;
  const char* bpe_vocab;
  const char* tokens_buf;
  int32_t tokens_buf_size;
  SherpaOnnxOnlineOneModelConfig nemo_ctc;
  SherpaOnnxOnlineOneModelConfig t_one_ctc;
};

struct SherpaOnnxKeywordSpotterConfig {
  SherpaOnnxFeatureConfig feat_config;
  SherpaOnnxOnlineModelConfig model_config;
  int32_t max_active_paths;
  int32_t num_trailing_blanks;
  float keywords_score;
  float keywords_threshold;
  const char* keywords_file;
  const char* keywords_buf;
  int32_t keywords_buf_size;
};

struct SherpaOnnxOnlineCtcFstDecoderConfig {
  const char* graph;
  int32_t max_active;
};

struct SherpaOnnxOnlineRecognizerConfig {
  SherpaOnnxFeatureConfig feat_config;
  SherpaOnnxOnlineModelConfig model_config;
  const char* decoding_method;
  int32_t max_active_paths;
  int32_t enable_endpoint;
  float rule1_min_trailing_silence;
  float rule2_min_trailing_silence;
  float rule3_min_utterance_length;
  const char* hotwords_file;
  float hotwords_score;
  SherpaOnnxOnlineCtcFstDecoderConfig ctc_fst_decoder_config;
  const char* rule_fsts;
  const char* rule_fars;
  float blank_penalty;
  const char* hotwords_buf;
  int32_t hotwords_buf_size;
  SherpaOnnxHomophoneReplacerConfig hr;
};

// Note the field order differs from the keyword result's.
struct SherpaOnnxOnlineRecognizerResult {
  const char* text;
  const char* tokens;
  const char* const* tokens_arr;
  float* timestamps;
  int32_t count;
  const char* json;
};

struct SherpaOnnxKeywordResult {
  const char* keyword;
  const char* tokens;
  const char* const* tokens_arr;
  int32_t count;
  float* timestamps;
  float start_time;
  const char* json;
};

struct SherpaOnnxSileroVadModelConfig {
  const char* model;
  float threshold;
  float min_silence_duration;
  float min_speech_duration;
  int32_t window_size;
  float max_speech_duration;
};

struct SherpaOnnxVadModelConfig {
  SherpaOnnxSileroVadModelConfig silero_vad;
  int32_t sample_rate;
  int32_t num_threads;
  const char* provider;
  int32_t debug;
  SherpaOnnxSileroVadModelConfig ten_vad;  // same layout; unused
};

struct SherpaOnnxSpeechSegment {
  int32_t start;
  float* samples;
  int32_t n;
};

const char* SherpaOnnxGetVersionStr(void);
const char* SherpaOnnxGetGitSha1(void);

const SherpaOnnxKeywordSpotter* SherpaOnnxCreateKeywordSpotter(const SherpaOnnxKeywordSpotterConfig* config);
void SherpaOnnxDestroyKeywordSpotter(const SherpaOnnxKeywordSpotter* spotter);
const SherpaOnnxOnlineStream* SherpaOnnxCreateKeywordStream(const SherpaOnnxKeywordSpotter* spotter);
const SherpaOnnxOnlineStream* SherpaOnnxCreateKeywordStreamWithKeywords(const SherpaOnnxKeywordSpotter* spotter,
                                                                        const char* keywords);
int32_t SherpaOnnxIsKeywordStreamReady(const SherpaOnnxKeywordSpotter* spotter, const SherpaOnnxOnlineStream* stream);
void SherpaOnnxDecodeKeywordStream(const SherpaOnnxKeywordSpotter* spotter, const SherpaOnnxOnlineStream* stream);
void SherpaOnnxResetKeywordStream(const SherpaOnnxKeywordSpotter* spotter, const SherpaOnnxOnlineStream* stream);
const SherpaOnnxKeywordResult* SherpaOnnxGetKeywordResult(const SherpaOnnxKeywordSpotter* spotter,
                                                          const SherpaOnnxOnlineStream* stream);
void SherpaOnnxDestroyKeywordResult(const SherpaOnnxKeywordResult* result);

const SherpaOnnxOnlineRecognizer* SherpaOnnxCreateOnlineRecognizer(const SherpaOnnxOnlineRecognizerConfig* config);
void SherpaOnnxDestroyOnlineRecognizer(const SherpaOnnxOnlineRecognizer* recognizer);
const SherpaOnnxOnlineStream* SherpaOnnxCreateOnlineStream(const SherpaOnnxOnlineRecognizer* recognizer);
int32_t SherpaOnnxIsOnlineStreamReady(const SherpaOnnxOnlineRecognizer* recognizer,
                                      const SherpaOnnxOnlineStream* stream);
void SherpaOnnxDecodeOnlineStream(const SherpaOnnxOnlineRecognizer* recognizer, const SherpaOnnxOnlineStream* stream);
const SherpaOnnxOnlineRecognizerResult* SherpaOnnxGetOnlineStreamResult(const SherpaOnnxOnlineRecognizer* recognizer,
                                                                        const SherpaOnnxOnlineStream* stream);
void SherpaOnnxDestroyOnlineRecognizerResult(const SherpaOnnxOnlineRecognizerResult* result);
void SherpaOnnxOnlineStreamReset(const SherpaOnnxOnlineRecognizer* recognizer, const SherpaOnnxOnlineStream* stream);

void SherpaOnnxOnlineStreamAcceptWaveform(const SherpaOnnxOnlineStream* stream, int32_t sample_rate,
                                          const float* samples, int32_t n);
void SherpaOnnxOnlineStreamInputFinished(const SherpaOnnxOnlineStream* stream);
void SherpaOnnxDestroyOnlineStream(const SherpaOnnxOnlineStream* stream);

const SherpaOnnxVoiceActivityDetector* SherpaOnnxCreateVoiceActivityDetector(const SherpaOnnxVadModelConfig* config,
                                                                             float buffer_size_in_seconds);
void SherpaOnnxDestroyVoiceActivityDetector(const SherpaOnnxVoiceActivityDetector* vad);
void SherpaOnnxVoiceActivityDetectorAcceptWaveform(const SherpaOnnxVoiceActivityDetector* vad, const float* samples,
                                                   int32_t n);
int32_t SherpaOnnxVoiceActivityDetectorEmpty(const SherpaOnnxVoiceActivityDetector* vad);
int32_t SherpaOnnxVoiceActivityDetectorDetected(const SherpaOnnxVoiceActivityDetector* vad);
void SherpaOnnxVoiceActivityDetectorPop(const SherpaOnnxVoiceActivityDetector* vad);
void SherpaOnnxVoiceActivityDetectorFlush(const SherpaOnnxVoiceActivityDetector* vad);
void SherpaOnnxVoiceActivityDetectorReset(const SherpaOnnxVoiceActivityDetector* vad);
const SherpaOnnxSpeechSegment* SherpaOnnxVoiceActivityDetectorFront(const SherpaOnnxVoiceActivityDetector* vad);
void SherpaOnnxDestroySpeechSegment(const SherpaOnnxSpeechSegment* segment);
}
