#include "ui/teach_command.h"

#include <algorithm>
#include <set>

#include "core/teaching.h"
#include "speech/take_recorder.h"
#include "speech/wav_reader.h"

namespace quillon {
namespace {

constexpr int kBadInput = 2;

struct Take {
  std::string argument, phrase;
  std::vector<float> samples;
};

}  // namespace

TeachRun teach_from_recordings(const std::vector<std::string>& arguments, VocabularyStore& store,
                               TaughtVoiceStore& taught, const MakeTeachableEngine& make_engine) {
  TeachRun run;
  const auto complain = [&run](const std::string& argument, const std::string& what) {
    run.err += "quillon: --teach " + argument + ": " + what + "\n";
  };
  // The shipped vocabularies are the folder's too, as the window would write them.
  if (const StoreResult written = store.write_builtins(); !written.ok) run.err += "quillon: " + written.error + "\n";
  const std::vector<std::string> phrases = phrases_in_folder(store);

  std::vector<Take> takes;
  for (const std::string& argument : arguments) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == argument.size()) {
      complain(argument, "expected PHRASE=FILE.wav");
      continue;
    }
    Take take{argument, argument.substr(0, equals), {}};
    if (std::find(phrases.begin(), phrases.end(), take.phrase) == phrases.end()) {
      complain(argument, "no vocabulary in the program folder holds the phrase " + take.phrase);
      continue;
    }
    WavAudio wav = read_wav_16k_mono(argument.substr(equals + 1));
    if (!wav.ok) {
      complain(argument, "cannot use the recording: " + wav.error);
      continue;
    }
    if (!has_speech(wav.samples)) {
      complain(argument, "no speech in the recording");
      continue;
    }
    take.samples = std::move(wav.samples);
    takes.push_back(std::move(take));
  }
  if (takes.size() != arguments.size()) return run.status = kBadInput, run;

  std::string why;
  const std::unique_ptr<Recognizer> engine = make_engine(why);
  if (!engine || !engine->can_be_taught()) {
    run.err +=
        "quillon: --teach: no speech engine that can be taught: " + (why.empty() ? "this one cannot" : why) + "\n";
    return run.status = kBadInput, run;
  }
  const TaughtVoiceLoad load = taught.load();
  if (!load.problem.empty()) run.err += "quillon: not using what was taught before: " + load.problem + "\n";

  TaughtVoice voice = load.voice;
  std::vector<std::string> lines;
  std::set<std::string> named, kept;
  bool bad = false;
  for (const Take& take : takes) {
    named.insert(take.phrase);
    const std::optional<TakeHearing> hearing =
        engine->hear_take(take.phrase, take.samples, phrases_other_than(take.phrase, phrases), voice);
    if (!hearing || hearing->verdict == TakeVerdict::no_speech) {
      complain(take.argument, hearing ? "no speech in the recording" : "the speech engine could not hear it");
      bad = true;
      continue;
    }
    lines.push_back(take_line(take.argument, *hearing));
    if (!take_kept(hearing->verdict)) continue;
    voice[take.phrase].push_back(hearing->take);
    kept.insert(take.phrase);
  }
  if (bad) return run.status = kBadInput, run;
  for (const std::string& line : lines) run.out += line + "\n";
  if (!kept.empty()) {
    if (const std::optional<std::string> error = taught.save(voice)) {
      run.err += "quillon: cannot keep what was taught: " + *error + "\n";
      return run.status = 1, run;
    }
  }
  for (const std::string& phrase : named) {
    if (!kept.count(phrase)) run.err += "quillon: --teach: no take of " + phrase + " was kept\n";
  }
  run.status = kept.size() == named.size() ? 0 : 1;
  return run;
}

}  // namespace quillon
