// The recogniser layer over the SAPI 5 shared recogniser. No Qt here: this
// builds with mingw-w64, whose sapi.h and sphelper.h declare all it uses.

#include "speech/sapi/sapi_recognizer.h"

#include <windows.h>
// The SAPI headers build on windows.h, so it comes first.
#include <sapi.h>
#include <sphelper.h>
#include <wrl/client.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "input/win32_helpers_win.h"
#include "vocabulary/atomic_file.h"
#include "vocabulary/gbk.h"
#include "vocabulary/number_slot.h"

namespace quillon {
namespace {

using Microsoft::WRL::ComPtr;

SpeechStatus failed(const char* call, HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  return SpeechStatus::failure(std::string(call) + " failed: HRESULT " + code);
}

// A call made before the step that creates its object succeeded.
SpeechStatus missing(const char* object, const char* step) {
  return SpeechStatus::failure(std::string("no ") + object + ": " + step + " has not succeeded");
}

// The description of a recogniser token in the user's language, else its
// default description.
std::string token_name(ISpObjectToken* token) {
  WCHAR* text = nullptr;
  if (FAILED(SpGetDescription(token, &text))) return {};
  return win32::take_co_mem_text(text);
}

// Display names of the installed recognisers, in the platform's order.
HRESULT read_recognizer_names(std::vector<std::string>& names) {
  ComPtr<IEnumSpObjectTokens> tokens;
  const HRESULT result = SpEnumTokens(SPCAT_RECOGNIZERS, nullptr, nullptr, tokens.GetAddressOf());
  if (FAILED(result)) return result;
  ComPtr<ISpObjectToken> token;
  while (tokens->Next(1, token.ReleaseAndGetAddressOf(), nullptr) == S_OK) names.push_back(token_name(token.Get()));
  return S_OK;
}

// Frees what an event's lParam carries, by its declared kind.
void clear_event(SPEVENT& event) {
  switch (event.elParamType) {
    case SPET_LPARAM_IS_TOKEN:
    case SPET_LPARAM_IS_OBJECT:
      if (event.lParam) reinterpret_cast<IUnknown*>(event.lParam)->Release();
      break;
    case SPET_LPARAM_IS_POINTER:
    case SPET_LPARAM_IS_STRING:
      CoTaskMemFree(reinterpret_cast<void*>(event.lParam));
      break;
    default:
      break;
  }
  event.lParam = 0;
}

// The whole recognised phrase with the engine's text replacements applied.
std::string phrase_text(const SPEVENT& event) {
  if (event.elParamType != SPET_LPARAM_IS_OBJECT || !event.lParam) return {};
  ComPtr<ISpRecoResult> result;
  if (FAILED(reinterpret_cast<IUnknown*>(event.lParam)->QueryInterface(IID_PPV_ARGS(&result)))) return {};
  const auto whole = static_cast<ULONG>(SP_GETWHOLEPHRASE);
  WCHAR* text = nullptr;
  if (FAILED(result->GetText(whole, whole, TRUE, &text, nullptr))) return {};
  return win32::take_co_mem_text(text);
}

// The platform hears only the phrases a file gives it, so a vocabulary with
// number slots is given as a copy that says each number (vocabulary_as_said),
// in the temporary folder, where no game list looks. Nothing when the file
// serves as it is, or cannot be read or copied: the platform then says why.
std::optional<std::string> said_copy(const std::string& path, std::vector<std::string>& unsayable) {
  std::ifstream in(std::filesystem::path(win32::widen(path)), std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::optional<SaidVocabulary> said = vocabulary_as_said(gbk_decode(bytes).text);
  if (!said) return std::nullopt;
  const GbkEncoded encoded = gbk_encode(said->text);
  WCHAR folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (!encoded.ok || length == 0 || length > MAX_PATH) return std::nullopt;
  const std::string copy = win32::narrow(folder, CP_UTF8) + "quillon-vocabulary.xml";
  if (replace_file(copy, encoded.bytes)) return std::nullopt;
  unsayable = std::move(said->unsayable);
  return copy;
}

class SapiRecognizer : public Recognizer {
 public:
  explicit SapiRecognizer(std::function<bool()> decoding) : decoding_(std::move(decoding)) {}

  ~SapiRecognizer() override {
    // The callback points at this object, so it must stop before we go.
    if (context_) context_->SetNotifySink(nullptr);
  }

  SpeechStatus create_context() override {
    ComPtr<ISpRecoContext> context;
    HRESULT result = CoCreateInstance(CLSID_SpSharedRecoContext, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&context));
    if (FAILED(result)) return failed("CoCreateInstance(SpSharedRecoContext)", result);
    std::vector<std::string> names;
    result = read_recognizer_names(names);
    if (FAILED(result)) return failed("SpEnumTokens(SPCAT_RECOGNIZERS)", result);
    // SAPI calls back through a hidden window of this thread, so events reach
    // us from the GUI thread's message loop, never from another thread.
    result = context->SetNotifyCallbackFunction(&SapiRecognizer::on_notify, 0, reinterpret_cast<LPARAM>(this));
    if (FAILED(result)) return failed("SetNotifyCallbackFunction", result);
    if (context_) context_->SetNotifySink(nullptr);
    context_ = std::move(context);
    grammar_.Reset();
    rules_active_ = false;
    names_ = std::move(names);
    return SpeechStatus::success();
  }

  std::vector<std::string> recognizer_names() const override { return names_; }
  bool set_up_by_speech_platform() const override { return true; }

  SpeechStatus init_grammar() override {
    if (!context_) return missing("recognition context", "create_context");
    ComPtr<ISpRecoGrammar> grammar;
    HRESULT result = context_->CreateGrammar(1, &grammar);
    if (FAILED(result)) return failed("CreateGrammar(1)", result);
    result = grammar->LoadDictation(nullptr, SPLO_STATIC);
    if (FAILED(result)) return failed("LoadDictation", result);
    result = grammar->SetDictationState(SPRS_INACTIVE);
    if (FAILED(result)) return failed("SetDictationState(SPRS_INACTIVE)", result);
    grammar_ = std::move(grammar);
    rules_active_ = false;  // a new grammar starts with no rule listening
    return SpeechStatus::success();
  }

  // Adds to the interests already set, like reading, OR-ing and writing back the
  // context's interest mask; interesting events are queued for GetEvents.
  SpeechStatus add_event_interest(SpeechEvent event) override {
    if (!context_) return missing("recognition context", "create_context");
    SPEVENTSOURCEINFO info{};
    HRESULT result = context_->GetInfo(&info);
    if (FAILED(result)) return failed("GetInfo", result);
    const ULONGLONG bit = event == SpeechEvent::Recognition ? SPFEI(SPEI_RECOGNITION) : SPFEI(SPEI_FALSE_RECOGNITION);
    result = context_->SetInterest(info.ullEventInterest | bit, info.ullQueuedInterest | bit);
    if (FAILED(result)) return failed("SetInterest", result);
    return SpeechStatus::success();
  }

  // The platform validates the file itself; every phrase it accepts can be
  // listened for, so only phrases with brackets that are no number slot are
  // reported as unsupported.
  GrammarLoad load_grammar(const std::string& path) override {
    GrammarLoad load;
    if (!grammar_) {
      load.status = missing("grammar", "init_grammar");
      return load;
    }
    const std::string file = said_copy(path, load.unsupported_phrases).value_or(path);
    const HRESULT result = grammar_->LoadCmdFromFile(win32::widen(file).c_str(), SPLO_DYNAMIC);
    if (FAILED(result)) load.status = failed("LoadCmdFromFile", result);
    return load;
  }

  SpeechStatus set_rules_active(bool active) override {
    if (!grammar_) return missing("grammar", "init_grammar");
    const HRESULT result = grammar_->SetRuleIdState(0, active ? SPRS_ACTIVE : SPRS_INACTIVE);
    if (FAILED(result)) {
      return failed(active ? "SetRuleIdState(0, SPRS_ACTIVE)" : "SetRuleIdState(0, SPRS_INACTIVE)", result);
    }
    rules_active_ = active;
    return SpeechStatus::success();
  }

  void set_listener(RecognitionListener* listener) override { listener_ = listener; }

 private:
  static void __stdcall on_notify(WPARAM, LPARAM self) { reinterpret_cast<SapiRecognizer*>(self)->drain_events(); }

  // One event at a time: a listener may run a nested event loop in which this
  // is called again, and each event must be taken off the queue before that.
  void drain_events() {
    SPEVENT event{};
    ULONG fetched = 0;
    while (context_ && SUCCEEDED(context_->GetEvents(1, &event, &fetched)) && fetched == 1) deliver(event);
  }

  // Events queued before the rules were switched off are dropped, so listeners
  // only hear what arrives while the rules are active.
  void deliver(SPEVENT& event) {
    const bool recognition = event.eEventId == SPEI_RECOGNITION;
    const bool false_recognition = event.eEventId == SPEI_FALSE_RECOGNITION;
    const std::string text = recognition ? phrase_text(event) : std::string();
    clear_event(event);
    if (!listener_ || !rules_active_) return;
    // The shared recogniser cannot be told to stop decoding: push-to-talk drops its results instead.
    if (decoding_ && !decoding_()) return;
    if (recognition) listener_->on_recognition(text);
    if (false_recognition) listener_->on_false_recognition();
  }

  win32::ComApartment apartment_;  // declared first: released last
  ComPtr<ISpRecoContext> context_;
  ComPtr<ISpRecoGrammar> grammar_;
  std::vector<std::string> names_;
  RecognitionListener* listener_ = nullptr;
  bool rules_active_ = false;
  std::function<bool()> decoding_;
};

}  // namespace

std::unique_ptr<Recognizer> make_sapi_recognizer(std::string& log, std::function<bool()> decoding) {
  log += "speech engine: Windows speech platform (SAPI 5 shared recogniser)\n";
  return std::make_unique<SapiRecognizer>(std::move(decoding));
}

}  // namespace quillon

namespace quillon {

bool sapi_available(const EngineOptions&) { return true; }

std::unique_ptr<Recognizer> make_sapi_engine(const EngineOptions& options, std::string& log) {
  return make_sapi_recognizer(log, options.decoding);
}

}  // namespace quillon
