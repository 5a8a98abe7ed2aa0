// The encoder run through the ONNX runtime that ships with the sherpa
// libraries. The runtime's C interface is a table of function pointers that
// only ever grows; we name the few slots we call, by their documented
// positions, rather than depend on the runtime's headers.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

#include "speech/spotter/encoder_features.h"

// Handles the runtime hands out; never looked inside.
namespace quillon::onnx_abi {

struct OrtStatusHandle;
struct OrtEnvHandle;
struct OrtSessionHandle;
struct OrtOptionsHandle;
struct OrtValueHandle;
struct OrtTypeHandle;
struct OrtTensorTypeHandle;
struct OrtAllocatorHandle;
struct OrtMetadataHandle;

using AnyFunction = void (*)();
struct OrtEntry {
  const AnyFunction* (*table)(std::uint32_t version);
  const char* (*version)();
};

}  // namespace quillon::onnx_abi

extern "C" const quillon::onnx_abi::OrtEntry* OrtGetApiBase();

namespace quillon {
namespace {

using namespace onnx_abi;

// The oldest table version that has every slot below.
constexpr std::uint32_t kTableVersion = 13;

enum Slot : std::size_t {
  kErrorMessage = 2,
  kCreateEnv = 3,
  kCreateSession = 7,
  kRun = 9,
  kCreateOptions = 10,
  kSetIntraThreads = 24,
  kSetInterThreads = 25,
  kInputCount = 30,
  kOutputCount = 31,
  kInputType = 33,
  kOutputType = 34,
  kInputName = 36,
  kOutputName = 37,
  kCreateTensor = 48,
  kTensorData = 51,
  kTypeAsTensor = 55,
  kElementType = 60,
  kDimensionCount = 61,
  kDimensions = 62,
  kValueTensorType = 65,
  kAllocatorFree = 76,
  kDefaultAllocator = 78,
  kReleaseEnv = 92,
  kReleaseStatus = 93,
  kReleaseSession = 95,
  kReleaseValue = 96,
  kReleaseType = 98,
  kReleaseTensorType = 99,
  kReleaseOptions = 100,
  kSessionMetadata = 111,
  kMetadataLookup = 116,
  kReleaseMetadata = 118,
  kMetadataKeys = 123,
};

// Element types, numbered as in the ONNX format.
enum ElementType : int { kFloat = 1, kInt32 = 6, kInt64 = 7 };

std::size_t element_size(int type) { return type == kInt64 ? 8 : 4; }

class Runtime {
 public:
  explicit Runtime(const AnyFunction* table) : table_(table) {}

  template <typename Fn>
  Fn at(Slot slot) const {
    return reinterpret_cast<Fn>(table_[slot]);
  }

  // Empty when the call succeeded, else the runtime's message.
  std::string check(OrtStatusHandle* status) const {
    if (!status) return {};
    std::string message = at<const char* (*)(const OrtStatusHandle*)>(kErrorMessage)(status);
    at<void (*)(OrtStatusHandle*)>(kReleaseStatus)(status);
    return message.empty() ? "unknown runtime error" : message;
  }

  OrtAllocatorHandle* allocator() const {
    OrtAllocatorHandle* a = nullptr;
    (void)check(at<OrtStatusHandle* (*)(OrtAllocatorHandle**)>(kDefaultAllocator)(&a));
    return a;
  }

  // A string the runtime allocated, copied and given back.
  std::string take(char* text) const {
    if (!text) return {};
    std::string out = text;
    (void)check(at<OrtStatusHandle* (*)(OrtAllocatorHandle*, void*)>(kAllocatorFree)(allocator(), text));
    return out;
  }

  void release(OrtValueHandle* v) const {
    if (v) at<void (*)(OrtValueHandle*)>(kReleaseValue)(v);
  }

 private:
  const AnyFunction* table_;
};

struct Port {
  std::string name;
  int type = 0;
  std::vector<std::int64_t> shape;  // -1 where the model leaves it open
};

std::string shape_text(const std::vector<std::int64_t>& shape) {
  std::string out = "[";
  for (std::size_t i = 0; i < shape.size(); ++i) out += (i ? "," : "") + std::to_string(shape[i]);
  return out + "]";
}

// One model file, loaded: its inputs and outputs as the runtime reports them.
class OnnxSession {
 public:
  explicit OnnxSession(Runtime rt) : rt_(rt) {}
  OnnxSession(const OnnxSession&) = delete;
  OnnxSession& operator=(const OnnxSession&) = delete;

  ~OnnxSession() {
    if (session_) rt_.at<void (*)(OrtSessionHandle*)>(kReleaseSession)(session_);
    if (options_) rt_.at<void (*)(OrtOptionsHandle*)>(kReleaseOptions)(options_);
    if (env_) rt_.at<void (*)(OrtEnvHandle*)>(kReleaseEnv)(env_);
  }

  std::string open(const std::string& path) {
    constexpr int kErrorsOnly = 3;  // the runtime's log level
    std::string error = rt_.check(
        rt_.at<OrtStatusHandle* (*)(int, const char*, OrtEnvHandle**)>(kCreateEnv)(kErrorsOnly, "quillon", &env_));
    if (error.empty()) error = rt_.check(rt_.at<OrtStatusHandle* (*)(OrtOptionsHandle**)>(kCreateOptions)(&options_));
    // One thread: the figures are for one core of a player's machine, beside the game.
    if (error.empty())
      error = rt_.check(rt_.at<OrtStatusHandle* (*)(OrtOptionsHandle*, int)>(kSetIntraThreads)(options_, 1));
    if (error.empty())
      error = rt_.check(rt_.at<OrtStatusHandle* (*)(OrtOptionsHandle*, int)>(kSetInterThreads)(options_, 1));
    if (error.empty())
      error = rt_.check(rt_.at<OrtStatusHandle* (*)(OrtEnvHandle*, const char*, OrtOptionsHandle*, OrtSessionHandle**)>(
          kCreateSession)(env_, path.c_str(), options_, &session_));
    if (error.empty()) error = read_ports(kInputCount, kInputName, kInputType, inputs);
    if (error.empty()) error = read_ports(kOutputCount, kOutputName, kOutputType, outputs);
    if (error.empty()) error = read_metadata();
    for (const auto& p : inputs) input_names_.push_back(p.name.c_str());
    for (const auto& p : outputs) output_names_.push_back(p.name.c_str());
    return error;
  }

  std::string describe() const {
    std::ostringstream out;
    out << "metadata:";
    for (const auto& [k, v] : metadata) out << " " << k << "=" << v;
    out << "\ninputs:";
    for (const auto& p : inputs) out << " " << p.name << ":" << p.type << shape_text(p.shape);
    out << "\noutputs:";
    for (const auto& p : outputs) out << " " << p.name << ":" << p.type << shape_text(p.shape);
    return out.str();
  }

  std::size_t number(const std::string& key, std::size_t fallback) const {
    const auto it = metadata.find(key);
    return it == metadata.end() ? fallback : std::stoul(it->second);
  }

  // A tensor of zeros of the port's type; `open` sizes the dimensions the model leaves open.
  OrtValueHandle* zeros(const Port& p, std::int64_t open = 1) const {
    std::vector<std::int64_t> shape = p.shape;
    std::size_t count = 1;
    for (auto& d : shape) {
      if (d < 0) d = open;
      count *= static_cast<std::size_t>(d);
    }
    OrtValueHandle* v = nullptr;
    (void)rt_.check(
        rt_.at<OrtStatusHandle* (*)(OrtAllocatorHandle*, const std::int64_t*, std::size_t, int, OrtValueHandle**)>(
            kCreateTensor)(rt_.allocator(), shape.data(), shape.size(), p.type, &v));
    if (void* d = data(v)) std::memset(d, 0, count * element_size(p.type));
    return v;
  }

  void* data(OrtValueHandle* v) const {
    void* d = nullptr;
    if (v) (void)rt_.check(rt_.at<OrtStatusHandle* (*)(OrtValueHandle*, void**)>(kTensorData)(v, &d));
    return d;
  }

  std::vector<std::int64_t> shape(const OrtValueHandle* v) const {
    OrtTensorTypeHandle* info = nullptr;
    (void)rt_.check(
        rt_.at<OrtStatusHandle* (*)(const OrtValueHandle*, OrtTensorTypeHandle**)>(kValueTensorType)(v, &info));
    Port p;
    if (info) {
      (void)read_tensor_type(info, p);
      rt_.at<void (*)(OrtTensorTypeHandle*)>(kReleaseTensorType)(info);
    }
    return p.shape;
  }

  // All outputs, owned by the caller; empty with the reason said on standard error.
  std::vector<OrtValueHandle*> run(const std::vector<OrtValueHandle*>& in) const {
    std::vector<OrtValueHandle*> result(outputs.size(), nullptr);
    const std::string error = rt_.check(
        rt_.at<OrtStatusHandle* (*)(OrtSessionHandle*, const void*, const char* const*, OrtValueHandle* const*,
                                    std::size_t, const char* const*, std::size_t, OrtValueHandle**)>(kRun)(
            session_, nullptr, input_names_.data(), in.data(), in.size(), output_names_.data(), output_names_.size(),
            result.data()));
    if (error.empty()) return result;
    std::fprintf(stderr, "onnx runtime: %s\n", error.c_str());
    return {};
  }

  void release(OrtValueHandle* v) const { rt_.release(v); }

  std::vector<Port> inputs, outputs;
  std::map<std::string, std::string> metadata;

 private:
  std::string read_ports(Slot count_slot, Slot name_slot, Slot type_slot, std::vector<Port>& ports) {
    std::size_t count = 0;
    std::string error =
        rt_.check(rt_.at<OrtStatusHandle* (*)(const OrtSessionHandle*, std::size_t*)>(count_slot)(session_, &count));
    for (std::size_t i = 0; error.empty() && i < count; ++i) {
      Port p;
      char* name = nullptr;
      error = rt_.check(rt_.at<OrtStatusHandle* (*)(const OrtSessionHandle*, std::size_t, OrtAllocatorHandle*, char**)>(
          name_slot)(session_, i, rt_.allocator(), &name));
      p.name = rt_.take(name);
      OrtTypeHandle* type = nullptr;
      if (error.empty())
        error = rt_.check(rt_.at<OrtStatusHandle* (*)(const OrtSessionHandle*, std::size_t, OrtTypeHandle**)>(
            type_slot)(session_, i, &type));
      const OrtTensorTypeHandle* tensor = nullptr;  // owned by `type`
      if (error.empty())
        error = rt_.check(rt_.at<OrtStatusHandle* (*)(const OrtTypeHandle*, const OrtTensorTypeHandle**)>(
            kTypeAsTensor)(type, &tensor));
      if (error.empty() && !tensor) error = p.name + " is not a tensor";
      if (error.empty()) error = read_tensor_type(tensor, p);
      if (type) rt_.at<void (*)(OrtTypeHandle*)>(kReleaseType)(type);
      ports.push_back(p);
    }
    return error;
  }

  std::string read_tensor_type(const OrtTensorTypeHandle* tensor, Port& p) const {
    std::string error =
        rt_.check(rt_.at<OrtStatusHandle* (*)(const OrtTensorTypeHandle*, int*)>(kElementType)(tensor, &p.type));
    std::size_t dims = 0;
    if (error.empty())
      error = rt_.check(
          rt_.at<OrtStatusHandle* (*)(const OrtTensorTypeHandle*, std::size_t*)>(kDimensionCount)(tensor, &dims));
    p.shape.assign(dims, 0);
    if (error.empty())
      error = rt_.check(rt_.at<OrtStatusHandle* (*)(const OrtTensorTypeHandle*, std::int64_t*, std::size_t)>(
          kDimensions)(tensor, p.shape.data(), dims));
    return error;
  }

  std::string read_metadata() {
    OrtMetadataHandle* meta = nullptr;
    std::string error = rt_.check(
        rt_.at<OrtStatusHandle* (*)(const OrtSessionHandle*, OrtMetadataHandle**)>(kSessionMetadata)(session_, &meta));
    char** keys = nullptr;
    std::int64_t count = 0;
    if (error.empty())
      error =
          rt_.check(rt_.at<OrtStatusHandle* (*)(const OrtMetadataHandle*, OrtAllocatorHandle*, char***, std::int64_t*)>(
              kMetadataKeys)(meta, rt_.allocator(), &keys, &count));
    for (std::int64_t k = 0; error.empty() && k < count; ++k) {
      const std::string key = rt_.take(keys[k]);
      char* value = nullptr;
      error =
          rt_.check(rt_.at<OrtStatusHandle* (*)(const OrtMetadataHandle*, OrtAllocatorHandle*, const char*, char**)>(
              kMetadataLookup)(meta, rt_.allocator(), key.c_str(), &value));
      metadata[key] = rt_.take(value);
    }
    if (keys)
      (void)rt_.check(rt_.at<OrtStatusHandle* (*)(OrtAllocatorHandle*, void*)>(kAllocatorFree)(rt_.allocator(), keys));
    if (meta) rt_.at<void (*)(OrtMetadataHandle*)>(kReleaseMetadata)(meta);
    return error;
  }

  Runtime rt_;
  OrtEnvHandle* env_ = nullptr;
  OrtOptionsHandle* options_ = nullptr;
  OrtSessionHandle* session_ = nullptr;
  std::vector<const char*> input_names_, output_names_;
};

// The frames of a [1, T, D] float tensor.
void append_frames(const OnnxSession& s, OrtValueHandle* value, EncodedFrames& out) {
  const std::vector<std::int64_t> shape = s.shape(value);
  const auto* f = static_cast<const float*>(s.data(value));
  if (shape.size() != 3 || !f) return;
  const auto frames = static_cast<std::size_t>(shape[1]), width = static_cast<std::size_t>(shape[2]);
  for (std::size_t t = 0; t < frames; ++t) out.emplace_back(f + t * width, f + (t + 1) * width);
}

class OnnxEncoder final : public SpeechEncoder {
 public:
  explicit OnnxEncoder(Runtime rt) : s_(rt) {}

  std::string open(const std::string& path) {
    std::string error = s_.open(path);
    if (error.empty()) error = pair_states();
    return error;
  }

  std::size_t subsampling() const override { return subsampling_; }

  std::string describe() const override {
    std::ostringstream out;
    out << s_.describe() << "\nfeatures in: " << window_ << " frames, every " << shift_
        << "; encoder frames out per chunk: " << frames_out_ << " (one per " << subsampling_
        << " filterbank frames)\nstates fed back (output -> input):";
    for (std::size_t i = 0; i < state_of_output_.size(); ++i)
      if (state_of_output_[i] >= 0)
        out << " " << s_.outputs[i].name << "->" << s_.inputs[static_cast<std::size_t>(state_of_output_[i])].name;
    out << "\n";
    return out.str();
  }

  EncodedFrames encode(const std::vector<MelFrame>& mel) override {
    EncodedFrames out;
    std::vector<OrtValueHandle*> in(s_.inputs.size(), nullptr);
    for (std::size_t i = 0; i < s_.inputs.size(); ++i)
      if (i != features_) in[i] = s_.zeros(s_.inputs[i]);
    // Whole chunks only: the tail is padded with the filterbank of silence, as
    // the spotter pads the end of an utterance.
    std::vector<MelFrame> padded = mel;
    MelFrame quiet{};
    quiet.fill(std::log(1.1920929e-07f));
    while (padded.size() < window_ || (padded.size() - window_) % shift_ != 0) padded.push_back(quiet);
    for (std::size_t start = 0; start + window_ <= padded.size(); start += shift_) {
      in[features_] = s_.zeros(s_.inputs[features_], static_cast<std::int64_t>(window_));
      std::memcpy(s_.data(in[features_]), padded.data() + start, window_ * sizeof(MelFrame));
      const std::vector<OrtValueHandle*> result = s_.run(in);
      s_.release(in[features_]);
      in[features_] = nullptr;
      if (result.empty()) {
        out.clear();
        break;
      }
      append_frames(s_, result[encoder_out_], out);
      for (std::size_t i = 0; i < result.size(); ++i) {
        if (state_of_output_[i] < 0) {
          s_.release(result[i]);
          continue;
        }
        const auto slot = static_cast<std::size_t>(state_of_output_[i]);
        s_.release(in[slot]);
        in[slot] = result[i];
      }
    }
    for (auto* v : in) s_.release(v);
    return out;
  }

 private:
  // The features go in as the float input of shape [N, T, 80]; every other
  // input is a state that the output of the same name with "new_" before it
  // carries to the next chunk.
  std::string pair_states() {
    const auto& inputs = s_.inputs;
    const auto& outputs = s_.outputs;
    features_ = inputs.size();
    for (std::size_t i = 0; i < inputs.size(); ++i)
      if (inputs[i].shape.size() == 3 && inputs[i].shape[2] == static_cast<std::int64_t>(kMelBins) &&
          inputs[i].type == kFloat)
        features_ = i;
    if (features_ == inputs.size()) return "no input takes [N, T, 80] features";
    encoder_out_ = outputs.size();
    state_of_output_.assign(outputs.size(), -1);
    std::vector<bool> fed(inputs.size(), false);
    for (std::size_t o = 0; o < outputs.size(); ++o) {
      if (outputs[o].name == "encoder_out") encoder_out_ = o;
      for (std::size_t i = 0; i < inputs.size(); ++i)
        if (i != features_ && outputs[o].name == "new_" + inputs[i].name) {
          state_of_output_[o] = static_cast<int>(i);
          fed[i] = true;
        }
    }
    if (encoder_out_ == outputs.size()) return "no encoder_out output";
    for (std::size_t i = 0; i < inputs.size(); ++i)
      if (i != features_ && !fed[i]) return "no output carries the state " + inputs[i].name;
    const std::int64_t fixed_t = inputs[features_].shape[1];
    window_ = fixed_t > 0 ? static_cast<std::size_t>(fixed_t) : s_.number("T", 45);
    shift_ = s_.number("decode_chunk_len", 32);
    const std::int64_t out_t = outputs[encoder_out_].shape.size() == 3 ? outputs[encoder_out_].shape[1] : -1;
    frames_out_ = out_t > 0 ? static_cast<std::size_t>(out_t) : 0;
    subsampling_ = frames_out_ ? shift_ / frames_out_ : 4;
    return {};
  }

  OnnxSession s_;
  std::size_t features_ = 0, encoder_out_ = 0;
  std::vector<int> state_of_output_;  // the input each output feeds, or -1
  std::size_t window_ = 0, shift_ = 0, frames_out_ = 0, subsampling_ = 4;
};

class OnnxTokenReader final : public TokenReader {
 public:
  explicit OnnxTokenReader(Runtime rt) : decoder_(rt), joiner_(rt) {}

  std::string open(const std::string& decoder, const std::string& joiner) {
    std::string error = decoder_.open(decoder);
    if (error.empty()) error = joiner_.open(joiner);
    if (error.empty() && (decoder_.inputs.size() != 1 || joiner_.inputs.size() != 2 ||
                          decoder_.inputs[0].type != kInt64 || decoder_.inputs[0].shape.size() != 2))
      error = "not a transducer's decoder [N, context] and joiner (encoder, decoder)";
    if (error.empty()) context_ = static_cast<std::size_t>(std::max<std::int64_t>(1, decoder_.inputs[0].shape[1]));
    return error;
  }

  std::vector<int> read(const EncodedFrames& frames) override {
    std::vector<int> tokens;
    // Nothing (-1) then blank (0) before the first token, as the decoder was trained.
    std::vector<std::int64_t> history(context_, -1);
    history.back() = 0;
    OrtValueHandle* decoded = decode(history);
    for (const auto& frame : frames) {
      if (!decoded) break;
      OrtValueHandle* enc = joiner_.zeros(joiner_.inputs[0]);
      std::memcpy(joiner_.data(enc), frame.data(), frame.size() * sizeof(float));
      const auto logits = joiner_.run({enc, decoded});
      joiner_.release(enc);
      if (logits.empty()) break;
      const auto* l = static_cast<const float*>(joiner_.data(logits[0]));
      const auto n = static_cast<std::size_t>(joiner_.shape(logits[0]).back());
      const auto best = static_cast<int>(std::max_element(l, l + n) - l);
      joiner_.release(logits[0]);
      if (best == 0) continue;
      tokens.push_back(best);
      history.erase(history.begin());
      history.push_back(best);
      decoder_.release(decoded);
      decoded = decode(history);
    }
    decoder_.release(decoded);
    return tokens;
  }

 private:
  OrtValueHandle* decode(const std::vector<std::int64_t>& history) const {
    OrtValueHandle* y = decoder_.zeros(decoder_.inputs[0]);
    std::memcpy(decoder_.data(y), history.data(), history.size() * sizeof(std::int64_t));
    const auto out = decoder_.run({y});
    decoder_.release(y);
    return out.empty() ? nullptr : out[0];
  }

  OnnxSession decoder_, joiner_;
  std::size_t context_ = 2;
};

const AnyFunction* runtime_table(std::string& error) {
  const OrtEntry* entry = OrtGetApiBase();
  const AnyFunction* table = entry ? entry->table(kTableVersion) : nullptr;
  if (!table) error = "the ONNX runtime has no function table of version " + std::to_string(kTableVersion);
  return table;
}

}  // namespace

std::unique_ptr<SpeechEncoder> SpeechEncoder::load(const std::string& model_path, std::string& error) {
  const AnyFunction* table = runtime_table(error);
  if (!table) return nullptr;
  auto encoder = std::make_unique<OnnxEncoder>(Runtime(table));
  error = encoder->open(model_path);
  if (!error.empty()) return nullptr;
  return encoder;
}

std::unique_ptr<TokenReader> TokenReader::load(const std::string& decoder_path, const std::string& joiner_path,
                                               std::string& error) {
  const AnyFunction* table = runtime_table(error);
  if (!table) return nullptr;
  auto reader = std::make_unique<OnnxTokenReader>(Runtime(table));
  error = reader->open(decoder_path, joiner_path);
  if (!error.empty()) return nullptr;
  return reader;
}

}  // namespace quillon
