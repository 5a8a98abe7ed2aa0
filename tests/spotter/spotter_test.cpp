// The keyword spotter on real Mandarin recordings: what it hears, the rule
// for phrases that begin longer ones, the engine behind the recogniser
// interface with a WAV file as its microphone, and how it fails.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "model_location.h"
#include "speech/speech_texts.h"
#include "speech/spotter/keyword_spotter.h"
#include "speech/spotter/speed_change.h"
#include "speech/spotter/spotter_core.h"
#include "speech/spotter/take_hearing.h"
#include "speech/voice_template.h"
#include "speech/wav_reader.h"
#include "support/engine_harness.h"
#include "support/readings.h"
#include "support/shipped_vocabularies.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

using Phrases = std::vector<std::string>;
using Samples = std::vector<float>;

class SpotterOnRecordings : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    alone_ = load(spotter_settings(MatchMode::alone, {})).release();
    anywhere_ = load(spotter_settings(MatchMode::anywhere, {})).release();
  }
  static void TearDownTestSuite() {
    delete alone_;
    delete anywhere_;
    alone_ = anywhere_ = nullptr;
  }

  static std::unique_ptr<SpotterModel> load(const SpotterSettings& settings) {
    EngineOptions options;
    options.model_dir = testing::models_folder();
    ModelPaths paths;
    std::string why, error;
    EXPECT_TRUE(find_models(options, paths, why)) << why;
    auto model = SpotterModel::load(paths, settings, error);
    EXPECT_NE(model, nullptr) << error;
    return model;
  }

  static Samples wav(const std::string& path) {
    const auto audio = read_wav_16k_mono(path);
    EXPECT_TRUE(audio.ok) << audio.error;
    return audio.samples;
  }
  static Samples recording(int n) { return wav(testing::test_wav(n)); }
  // A word said alone, with the quiet around it.
  static Samples word(const std::string& file) { return wav(testing::command_recordings_folder() + "/" + file); }
  static Samples silence(double seconds) { return Samples(static_cast<std::size_t>(seconds * 16000), 0.0f); }
  static Samples joined(std::initializer_list<Samples> parts) {
    Samples all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  }
  // As a narrowband headset passes it: nothing above `hz` (a windowed-sinc low-pass).
  static Samples below(double hz, const Samples& in) {
    constexpr std::size_t kTaps = 101;
    constexpr double kPi = 3.14159265358979323846;
    const double cut = hz / 16000.0;
    std::vector<double> taps(kTaps);
    for (std::size_t i = 0; i < kTaps; ++i) {
      const double m = static_cast<double>(i) - (kTaps - 1) / 2.0;
      const double sinc = m == 0 ? 2 * cut : std::sin(2 * kPi * cut * m) / (kPi * m);
      taps[i] = sinc * (0.54 - 0.46 * std::cos(2 * kPi * static_cast<double>(i) / (kTaps - 1)));
    }
    Samples out(in.size(), 0.0f);
    for (std::size_t n = 0; n < in.size(); ++n) {
      double sum = 0;
      for (std::size_t k = 0; k < kTaps && k <= n; ++k) sum += taps[k] * in[n - k];
      out[n] = static_cast<float>(sum);
    }
    return out;
  }
  // Without the quiet before (or after) the speech.
  static Samples trimmed(Samples s, bool front) {
    const auto loud = [](float x) { return std::fabs(x) > 0.02f; };
    if (front) {
      const auto first = std::find_if(s.begin(), s.end(), loud);
      s.erase(s.begin(), first - std::min<std::ptrdiff_t>(first - s.begin(), 800));
    } else {
      const auto last = std::find_if(s.rbegin(), s.rend(), loud);
      s.erase(s.end() - (last - s.rbegin()) + std::min<std::ptrdiff_t>(last - s.rbegin(), 800), s.end());
    }
    return s;
  }

  // What the core decided ("?" for speech with no command, "*" after a
  // phrase recognised through what was taught).
  static Phrases hear(SpotterModel& model, const Phrases& vocabulary, const Samples& samples,
                      const TaughtVoice& taught = {}, bool deferred = false) {
    SpotterCore core(model, *testing::system_readings());
    if (deferred) core.defer_readings();
    core.set_taught_voice(taught);
    std::vector<std::string> unsupported;
    EXPECT_TRUE(core.set_phrases(vocabulary, unsupported).ok);
    std::vector<SpotterDecision> out;
    // Uneven pieces, as a capture device may deliver them.
    for (std::size_t at = 0, piece = 700; at < samples.size(); at += piece, piece = piece == 700 ? 2900 : 700) {
      core.accept(samples.data() + at, std::min(piece, samples.size() - at), out);
    }
    core.finish(out);
    Phrases heard;
    for (const auto& d : out) heard.push_back(d.recognised ? d.text + (d.taught ? "*" : "") : "?");
    return heard;
  }

  static Phrases recognised(const Phrases& heard) {
    Phrases r;
    for (const auto& h : heard)
      if (h != "?") r.push_back(h);
    return r;
  }

  static SpotterModel* alone_;
  static SpotterModel* anywhere_;
};

SpotterModel* SpotterOnRecordings::alone_ = nullptr;
SpotterModel* SpotterOnRecordings::anywhere_ = nullptr;

// The words of the command recordings, among game phrases.
const Phrases kWords = {"语音", "中国", "北京", "背景", "上海", "商行",     "数字",     "语言",
                        "识别", "复旦", "饭店", "城堡", "兵营", "三号部队", "全体撤退", "加"};
// Phrases said inside the talk of the model's own recordings.
const Phrases kSaidInTalk = {"文森特卡索", "周望军", "朱丽楠", "蒋友伯", "女儿",   "法国",     "见面会",  "落实",
                             "三号部队",   "兵营",   "城堡",   "攻击",   "上一张", "地图右移", "全体撤退"};

TEST_F(SpotterOnRecordings, ACommandSaidAloneActsAndTheRightOne) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const struct {
    const char* file;
    const char* said;
  } rows[] = {
      {"dsp20__s01__2.wav", "语音"}, {"dsp20__s03__2.wav", "中国"}, {"dsp20__s03__5.wav", "上海"},
      {"dsp20__s03__6.wav", "商行"}, {"dsp20__s05__6.wav", "数字"}, {"dsp20__s04__1.wav", "饭店"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(recognised(hear(*alone_, kWords, word(row.file))), Phrases{row.said}) << row.file;
  }
}

TEST_F(SpotterOnRecordings, ATakeIsKeptOnlyWhenItIsThePhraseAndNoOther) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const auto others = [](const std::string& phrase) {
    Phrases o;
    for (const auto& w : kWords)
      if (w != phrase) o.push_back(w);
    return o;
  };
  const auto take = [&](const std::string& phrase, const Samples& samples) {
    return hear_take_with(*anywhere_, *testing::system_readings(), phrase, samples, others(phrase), {});
  };
  const TakeHearing kept = take("上海", word("dsp20__s03__5.wav"));
  EXPECT_EQ(kept.verdict, TakeVerdict::kept);
  EXPECT_EQ(kept.take.reading, (std::vector<std::string>{"sh", "àng", "h", "ǎi"}));
  EXPECT_GT(kept.take.seconds, 0.2);
  EXPECT_FALSE(kept.take.sound.empty());
  // The encoder's frames, 40 ms each, over the word alone.
  const double encoded_seconds = static_cast<double>(kept.take.encoded.size()) * 0.04;
  EXPECT_GT(encoded_seconds, 0.5);
  EXPECT_LT(encoded_seconds, kept.take.seconds + 0.2);
  const TakeHearing other = take("商行", word("dsp20__s03__5.wav"));
  EXPECT_EQ(other.verdict, TakeVerdict::other_phrase);
  EXPECT_EQ(other.other, "上海");
  EXPECT_EQ(take("上海", silence(2)).verdict, TakeVerdict::no_speech);
}

// What was taught is heard as the phrase, said so, and never takes a
// reading that is exactly another phrase's. A reading unlike the phrase
// (kept for the take's sound alone) is not listened for.
TEST_F(SpotterOnRecordings, ATaughtReadingActsForItsPhraseOnly) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const Samples said = word("dsp20__s04__1.wav");  // 饭店, read "f àn d iàn"
  const auto taught_as_said = [](const std::string& phrase) {
    return TaughtVoice{{phrase, {{{"f", "àn", "d", "iàn"}, 0.8}}}};
  };
  const struct {
    const char* taught;
    Phrases vocabulary;
    Phrases heard;
  } rows[] = {
      {"番茄", {"番茄", "兵营"}, {"番茄*"}},  // two sounds from its own "f ān q ié"
      {"番茄", {"番茄", "兵营", "饭店"}, {"饭店"}},
      {"城堡", {"城堡", "兵营"}, {}},  // nothing in common with "ch éng b ǎo"
  };
  for (const auto& row : rows)
    EXPECT_EQ(recognised(hear(*alone_, row.vocabulary, said, taught_as_said(row.taught))), row.heard) << row.taught;
}

// A speaker who taught both phrases of a pair the recogniser confuses: how
// the utterance sounds says which it was. Teaching one of them alone never
// takes a reading from the other.
TEST_F(SpotterOnRecordings, TheSoundOfTakesTellsTwoTaughtPhrasesApart) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const Samples said = word("dsp20__s03__5.wav");   // 上海, read "sh àng h ǎi"
  const Samples other = word("dsp20__s04__1.wav");  // 饭店
  const VoiceTemplate like_said = voice_template(said.data(), said.size());
  const VoiceTemplate like_other = voice_template(other.data(), other.size());
  const TaughtTake shanghai{{"sh", "àng", "h", "ǎi"}, 0.8, like_other};
  const TaughtTake shanghang{{"sh", "āng", "h", "áng"}, 0.8, like_said};
  struct Case {
    const char* what;
    TaughtVoice taught;
    std::string heard;
  };
  const Case cases[] = {
      {"both taught", {{"上海", {shanghai}}, {"商行", {shanghang}}}, "商行*"},
      {"only the other taught", {{"商行", {shanghang}}}, "上海"},
  };
  for (const auto& c : cases) EXPECT_EQ(recognised(hear(*alone_, kWords, said, c.taught)), Phrases{c.heard}) << c.what;
}

// Speech that nothing read as a phrase acts by its sound alone, but not when
// a phrase much like the taught one, whose sound is not known, may have been said.
TEST_F(SpotterOnRecordings, TheSoundAloneActsUnlessAnUntaughtPhraseIsAsLikely) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const Samples word_alone = word("dsp20__s04__1.wav");  // 饭店, read "f àn d iàn"
  // 饭店 and 上海 with no pause between: read as four syllables.
  const auto loud_part = [](const Samples& s) {
    const auto loud = [](float x) { return std::fabs(x) > 0.15f; };
    return Samples(std::find_if(s.begin(), s.end(), loud), std::find_if(s.rbegin(), s.rend(), loud).base());
  };
  const Samples two_words =
      joined({silence(0.5), loud_part(word_alone), loud_part(word("dsp20__s03__5.wav")), silence(0.5)});
  Samples backwards = word_alone;  // read as nothing at all
  std::reverse(backwards.begin(), backwards.end());
  const struct {
    const char* phrase;
    std::vector<std::string> take_reading;
    Phrases vocabulary;
    const Samples& said;
    double seconds;  // of the take, as long as what is said
    Phrases heard;
  } rows[] = {
      {"城堡", {"ch", "éng", "b", "ǎo"}, {"城堡", "兵营"}, word_alone, 0.8, {"城堡*"}},
      {"城堡", {"ch", "éng", "b", "ǎo"}, {"城堡", "兵营", "城包"}, word_alone, 0.8, {}},  // 城包 may have been said
      {"城", {"ch", "éng"}, {"城", "兵营", "三号部队过来"}, two_words, 1.5, {}},          // four syllables were read
      {"城堡", {"ch", "éng", "b", "ǎo"}, {"城堡", "兵营"}, backwards, 0.8, {}},           // no syllable was read
  };
  for (const auto& row : rows) {
    const VoiceTemplate sound = voice_template(row.said.data(), row.said.size());
    const TaughtVoice taught = {{row.phrase, {{row.take_reading, row.seconds, sound}}}};
    EXPECT_EQ(recognised(hear(*alone_, row.vocabulary, row.said, taught)), row.heard) << row.phrase;
  }
}

// A voice through a narrow band is sometimes read as nothing from where the
// first reading starts and as syllables from a later start: those syllables
// stand for the utterance, and a taught phrase it clearly sounds like acts.
TEST_F(SpotterOnRecordings, AWordReadOnlyFromALaterStartActsByItsSound) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const Samples said = below(3400, word("dsp20__s02__3.wav"));  // 复旦, read "d uì" from a later start only
  const TaughtTake take{{"d", "uì"}, 0.7, voice_template(said.data(), said.size())};
  EXPECT_EQ(recognised(hear(*alone_, kWords, said, {{"复旦", {take}}})), Phrases{"复旦*"});
}

// The sound of a take may be farther from the utterance (another day, another
// voice of the same speaker) when the reading is like the take's too: the two
// together say more than either alone.
TEST_F(SpotterOnRecordings, AFartherSoundActsWithAReadingLikeTheTake) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const Samples said = word("dsp20__s04__1.wav");  // 饭店, read "f àn d iàn"
  const Samples near = word("dsp20__s02__4.wav");  // 饭店 in another voice: 7.4 away
  const Samples far = word("dsp20__s03__2.wav");   // 中国: 9.1 away
  const struct {
    const char* what;
    std::vector<std::string> take_reading;
    const Samples& take;
    Phrases heard;
  } rows[] = {
      {"reading half like the take's", {"ch", "éng", "d", "iàn"}, near, {"城堡*"}},
      {"reading unlike the take's", {"ch", "éng", "b", "ǎo"}, near, {}},
      {"sound too far", {"ch", "éng", "d", "iàn"}, far, {}},
  };
  for (const auto& row : rows) {
    const TaughtVoice taught = {{"城堡", {{row.take_reading, 0.8, voice_template(row.take.data(), row.take.size())}}}};
    EXPECT_EQ(recognised(hear(*alone_, {"城堡", "兵营"}, said, taught)), row.heard) << row.what;
  }
}

// The encoder's frames tell a speaker's words apart better than the cepstra,
// but the cepstra tell tone twins and one-sound neighbours apart better: a
// sound acts alone unless the cepstra find another phrase nearer that reads
// like it, or find another phrase clearly nearer while the frames are not
// sure (much nearer one phrase than any other).
TEST_F(SpotterOnRecordings, TheEncodersSoundActsUnlessTheCepstraSayOtherwise) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const Samples said = word("dsp20__s04__1.wav");   // 饭店, read "f àn d iàn"
  const Samples other = word("dsp20__s03__2.wav");  // 中国
  const auto take = [](const Samples& cepstra, const Samples& encoded, double blur = 0) {
    EncodedFrames frames = alone_->encoded_sound(encoded);
    // Each frame turned away from itself by the same angle, so that it is
    // about `blur` farther by the frames (1 − cos) from what it was.
    const double across = std::sqrt(1 / ((1 - blur) * (1 - blur)) - 1);
    for (std::size_t i = 0; i < frames.size(); ++i)
      for (std::size_t k = 0; k < frames[i].size(); ++k)
        frames[i][k] += static_cast<float>(across * (((i + k) % 2) ? 1 : -1) / std::sqrt(frames[i].size()));
    unit_frames(frames);
    return TaughtTake{{"ch", "éng", "b", "ǎo"}, 0.8, voice_template(cepstra.data(), cepstra.size()), frames};
  };
  const struct {
    const char* what;
    const char* second;              // the other taught phrase, listed first
    TaughtTake castle, second_take;  // 城堡's take, the other's
    Phrases heard;
  } rows[] = {
      {"both say 城堡", "兵营", take(said, said), take(other, other), {"城堡*"}},
      {"the frames are sure", "兵营", take(other, said), take(said, other), {"城堡*"}},
      {"the frames are sure of 兵营", "兵营", take(said, other), take(other, said), {"兵营*"}},
      {"the frames are not sure, the cepstra agree",
       "兵营",
       take(said, said, 0.05),
       take(other, said, 0.08),
       {"城堡*"}},
      {"the frames are not sure, the cepstra say 兵营", "兵营", take(other, said, 0.05), take(said, said, 0.08), {}},
      {"the cepstra cannot tell", "兵营", take(other, said), take(other, other), {"城堡*"}},
      {"the cepstra cannot tell 城包", "城包", take(other, said), take(other, other), {}},
  };
  for (const auto& row : rows) {
    const TaughtVoice taught = {{"城堡", {row.castle}}, {row.second, {row.second_take}}};
    EXPECT_EQ(recognised(hear(*alone_, {row.second, "城堡"}, said, taught)), row.heard) << row.what;
  }
}

TEST_F(SpotterOnRecordings, CommandsInARowActInOrder) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const Samples two = joined({word("dsp20__s03__5.wav"), word("dsp20__s03__2.wav")});
  EXPECT_EQ(hear(*alone_, kWords, two), (Phrases{"上海", "中国"}));
  // Quick commands: the speech before a short pause must not be heard again
  // at the start of the next command, nor act twice.
  const Samples first = trimmed(word("dsp20__s03__2.wav"), false), second = trimmed(word("dsp20__s03__5.wav"), true);
  for (const double pause : {0.45, 0.7}) {
    const Samples quick = joined({first, silence(pause), second});
    EXPECT_EQ(recognised(hear(*alone_, kWords, quick)), (Phrases{"中国", "上海"})) << pause;
    EXPECT_EQ(recognised(hear(*anywhere_, kWords, quick)), (Phrases{"中国", "上海"})) << pause;
  }
}

// A take is judged whole: its costlier readings wait for the decision, which
// must come out as if they had been made when the speech ended.
TEST_F(SpotterOnRecordings, ReadingsMadeWhenDecidingDecideAlike) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const Samples first = trimmed(word("dsp20__s03__2.wav"), false), second = trimmed(word("dsp20__s03__5.wav"), true);
  const struct {
    const char* what;
    Samples said;
  } rows[] = {
      {"a word", word("dsp20__s07__6.wav")},
      {"a word only later readings find", word("dsp20__s08__6.wav")},
      {"two words after a short pause", joined({first, silence(0.45), second})},
      {"talk", recording(4)},
  };
  for (const auto& row : rows)
    EXPECT_EQ(hear(*alone_, kWords, row.said, {}, true), hear(*alone_, kWords, row.said)) << row.what;
}

TEST_F(SpotterOnRecordings, AWordWithAPauseInsideActsOnceAsItself) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  // The first syllable alone may sound like another phrase (语音's "yǔ" read
  // as 语言): the speech after the pause belongs to the same word.
  const struct {
    const char* file;
    const char* said;
  } rows[] = {{"dsp20__s08__1.wav", "语音"}, {"dsp20__s02__1.wav", "上海"}, {"dsp20__s03__2.wav", "中国"}};
  for (const auto& row : rows) {
    const Samples recorded = word(row.file);
    const Samples whole = trimmed(trimmed(recorded, true), false);
    const auto middle = whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2);
    // The pause is the room's own quiet from before the word.
    const Samples pause(recorded.begin(), recorded.begin() + 3200);
    const Samples broken = joined({silence(0.5), Samples(whole.begin(), middle), pause, Samples(middle, whole.end())});
    EXPECT_EQ(hear(*alone_, kWords, broken), Phrases{row.said}) << row.file;
  }
}

TEST_F(SpotterOnRecordings, QuietSpeechIsRaisedFirst) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  Samples quiet = word("dsp20__s03__5.wav");
  for (float& x : quiet) x *= 0.03f;  // peaks near -30 dB of full scale
  EXPECT_EQ(hear(*alone_, kWords, quiet), Phrases{"上海"});
}

TEST_F(SpotterOnRecordings, AWordOverBeforeTheDetectorIsSureStillActs) {
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  // Played faster, each word ends before the voice detector reports speech.
  const struct {
    const char* file;
    double speed;
    const char* said;
  } rows[] = {
      {"dsp20__s07__6.wav", 1.5, "饭店"},
      {"dsp20__s09__2.wav", 1.7, "复旦"},
      {"dsp20__s07__7.wav", 1.7, "数字"},
      {"dsp20__s02__1.wav", 1.7, "上海"},
  };
  for (const auto& row : rows) {
    const Samples said = word(row.file);
    Samples quick;
    SpeedChange(row.speed).process(said.data(), said.size(), quick);
    EXPECT_EQ(recognised(hear(*alone_, kWords, quick)), Phrases{row.said}) << row.file;
  }
}

TEST_F(SpotterOnRecordings, PhrasesInsideTalkActOnlyWhenAskedTo) {
  QUILLON_SKIP_WITHOUT_RECORDINGS();
  // In `alone` mode only a phrase with a pause after it acts: a name before
  // a pause of about 0.3 s counts as said alone, one that runs on into more
  // talk does not.
  const struct {
    int wav;
    Phrases anywhere, alone;
  } rows[] = {
      {3, {"文森特卡索", "法国"}, {"文森特卡索"}},
      {4, {"蒋友伯", "女儿"}, {"蒋友伯"}},
      {5, {"周望军", "落实"}, {}},
      {6, {"朱丽楠", "见面会"}, {"朱丽楠"}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(recognised(hear(*anywhere_, kSaidInTalk, recording(row.wav))), row.anywhere) << row.wav << ".wav";
    const Phrases alone = hear(*alone_, kSaidInTalk, recording(row.wav));
    EXPECT_EQ(recognised(alone), row.alone) << row.wav << ".wav";
    EXPECT_GT(alone.size(), row.alone.size()) << "the rest of the talk is heard, and is no command";
  }
}

TEST_F(SpotterOnRecordings, ACommandHardOnTheHeelsOfTalkIsPartOfIt) {
  QUILLON_SKIP_WITHOUT_RECORDINGS();
  QUILLON_SKIP_WITHOUT_COMMAND_RECORDINGS();
  const Samples talk = trimmed(recording(4), false), command = trimmed(word("dsp20__s03__5.wav"), true);
  EXPECT_EQ(recognised(hear(*alone_, kWords, joined({talk, silence(0.1), command}))), Phrases{});
  EXPECT_EQ(recognised(hear(*alone_, kWords, joined({talk, silence(1.0), command}))), Phrases{"上海"});
}

TEST_F(SpotterOnRecordings, SoundThatIsNotSpeechNeverActs) {
  Samples noise(16000 * 6);
  unsigned seed = 1;
  for (std::size_t i = 0; i < noise.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    const double hum = 0.2 * std::sin(2 * 3.14159265 * 110 * double(i) / 16000);
    const double hiss = 0.1 * (double(seed >> 16 & 0x7FFF) / 16384.0 - 1.0);
    const bool click = i % 8000 < 40;
    noise[i] = static_cast<float>(hum + hiss + (click ? 0.8 : 0.0));
  }
  EXPECT_EQ(recognised(hear(*alone_, kWords, noise)), Phrases{});
  EXPECT_EQ(recognised(hear(*anywhere_, kWords, noise)), Phrases{});
}

TEST_F(SpotterOnRecordings, APhraseThatBeginsALongerOneWaitsForIt) {
  QUILLON_SKIP_WITHOUT_RECORDINGS();
  const struct {
    Phrases vocabulary;
    int wav;
    Phrases expected;
  } rows[] = {
      // The longer phrase is said: only it is reported.
      {{"见面", "见面会", "朱丽楠"}, 6, {"朱丽楠", "见面会"}},
      {{"周望", "周望军", "落实"}, 5, {"周望军", "落实"}},
      // A chain of three, in separate streams.
      {{"周", "周望", "周望军"}, 5, {"周望军"}},
      // Only the shorter one is in the vocabulary: it is reported, once.
      {{"见面", "朱丽楠"}, 6, {"朱丽楠", "见面"}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(recognised(hear(*anywhere_, row.vocabulary, recording(row.wav))), row.expected) << row.vocabulary.front();
  }
}

TEST_F(SpotterOnRecordings, StrictnessComesFromTheTuning) {
  QUILLON_SKIP_WITHOUT_RECORDINGS();
  EngineTuning tuning;
  tuning.spotter_threshold = 0.95f;
  const SpotterSettings strict = spotter_settings(MatchMode::anywhere, tuning);
  EXPECT_FLOAT_EQ(strict.anywhere_threshold, 0.95f);
  auto model = load(strict);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(recognised(hear(*anywhere_, {"蒋友伯", "女儿"}, recording(4))), (Phrases{"蒋友伯", "女儿"}));
  EXPECT_EQ(recognised(hear(*model, {"蒋友伯", "女儿"}, recording(4))), Phrases{});
}

TEST_F(SpotterOnRecordings, UnsupportedPhrasesAreReportedAndTheRestLoads) {
  SpotterCore core(*alone_, *testing::system_readings());
  std::vector<std::string> unsupported;
  ASSERT_TRUE(core.set_phrases({"女儿", "按☆", "あい", "女儿"}, unsupported).ok);
  EXPECT_EQ(unsupported, (Phrases{"按☆", "あい"}));
  std::vector<std::string> none;
  EXPECT_TRUE(core.set_phrases({}, none).ok);
  EXPECT_TRUE(none.empty());
}

using testing::Events;
using testing::GuiQueue;
using testing::write_vocabulary;

TEST(KeywordSpotterEngine, HearsAWavFileInRealTimeThroughTheInterface) {
  QUILLON_SKIP_WITHOUT_RECORDINGS();
  GuiQueue gui;
  EngineOptions options;
  options.model_dir = testing::models_folder();
  options.audio_file = testing::test_wav(6);
  options.match = MatchMode::anywhere;  // the phrases are said inside talk
  options.exit_after_audio = true;
  options.post_to_gui = gui.poster();
  ASSERT_TRUE(keyword_spotter_available(options));
  std::string log;
  auto engine = make_keyword_spotter(options, log);
  ASSERT_NE(engine, nullptr) << log;
  ASSERT_TRUE(engine->create_context().ok);
  ASSERT_FALSE(engine->recognizer_names().empty());
  EXPECT_NE(engine->recognizer_names().front().find("中文"), std::string::npos);
  ASSERT_TRUE(engine->init_grammar().ok);
  ASSERT_TRUE(engine->add_event_interest(SpeechEvent::Recognition).ok);
  ASSERT_TRUE(engine->add_event_interest(SpeechEvent::FalseRecognition).ok);

  const fs::path dir = fs::temp_directory_path() / ("quillon-spotter-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "broken.xml") << "<GRAMMAR><RULE><L><P>+a & b</P></L></RULE></GRAMMAR>";
  EXPECT_FALSE(engine->load_grammar((dir / "broken.xml").string()).status.ok);
  const auto load =
      engine->load_grammar(write_vocabulary(dir / "game.xml", {"朱丽楠", "见面", "见面会", "兵营", "☆键"}));
  ASSERT_TRUE(load.status.ok) << load.status.error;
  EXPECT_EQ(load.unsupported_phrases, Phrases{"☆键"});

  Events events;
  engine->set_listener(&events);
  ASSERT_TRUE(engine->set_rules_active(true).ok);
  EXPECT_TRUE(gui.run_until([&] { return events.finished; }, std::chrono::seconds(20)));
  EXPECT_EQ(events.heard, (Phrases{"朱丽楠", "见面会"}));
  EXPECT_TRUE(engine->set_rules_active(false).ok);
  fs::remove_all(dir);
}

TEST(KeywordSpotterEngine, InactiveRulesHearNothingAndPlaybackResumes) {
  QUILLON_SKIP_WITHOUT_RECORDINGS();
  GuiQueue gui;
  EngineOptions options;
  options.model_dir = testing::models_folder();
  options.audio_file = testing::test_wav(6);
  options.match = MatchMode::anywhere;
  options.exit_after_audio = true;
  options.post_to_gui = gui.poster();
  std::string log;
  auto engine = make_keyword_spotter(options, log);
  ASSERT_NE(engine, nullptr) << log;
  ASSERT_TRUE(engine->create_context().ok);
  ASSERT_TRUE(engine->init_grammar().ok);
  ASSERT_TRUE(engine->add_event_interest(SpeechEvent::Recognition).ok);
  const fs::path dir = fs::temp_directory_path() / ("quillon-pause-" + std::to_string(getpid()));
  fs::create_directories(dir);
  ASSERT_TRUE(engine->load_grammar(write_vocabulary(dir / "game.xml", {"朱丽楠", "见面会"})).status.ok);
  Events events;
  engine->set_listener(&events);

  ASSERT_TRUE(engine->set_rules_active(true).ok);
  ASSERT_TRUE(gui.run_until([&] { return !events.heard.empty(); }, std::chrono::seconds(10)));
  EXPECT_EQ(events.heard, Phrases{"朱丽楠"});
  // Switching the rules off ends the audio thread: whatever it decided is in
  // the queue now, and none of it is heard.
  ASSERT_TRUE(engine->set_rules_active(false).ok);
  gui.run_posted();
  EXPECT_EQ(events.heard, Phrases{"朱丽楠"});
  EXPECT_FALSE(events.finished);
  ASSERT_TRUE(engine->set_rules_active(true).ok);
  EXPECT_TRUE(gui.run_until([&] { return events.finished; }, std::chrono::seconds(10)));
  EXPECT_EQ(events.heard, (Phrases{"朱丽楠", "见面会"}));
  fs::remove_all(dir);
}

TEST(KeywordSpotterEngine, ListensForEveryShippedPhraseAndNamesThoseThatSoundAlike) {
  EngineOptions options;
  options.model_dir = testing::models_folder();
  options.post_to_gui = [](std::function<void()>) {};
  std::string log;
  auto engine = make_keyword_spotter(options, log);
  ASSERT_NE(engine, nullptr) << log;
  testing::expect_every_shipped_phrase_heard(*engine);
  EXPECT_EQ(engine->phrases_alike("背景", {"城堡", "北京", "背景"}), std::vector<std::string>{"北京"});
}

TEST(KeywordSpotterEngine, ActivationFailsWhenTheCaptureDeviceCannotBeOpened) {
  EngineOptions options;
  options.capture_device = "quillon_no_such_device";
  options.model_dir = testing::models_folder();
  options.post_to_gui = [](std::function<void()>) {};
  std::string log;
  auto engine = make_keyword_spotter(options, log);
  ASSERT_NE(engine, nullptr) << log;
  ASSERT_TRUE(engine->create_context().ok);
  ASSERT_TRUE(engine->init_grammar().ok);
  const auto status = engine->set_rules_active(true);
  EXPECT_FALSE(status.ok);
  EXPECT_EQ(status.capture_device, "quillon_no_such_device") << status.error;

  options.audio_file = "/nonexistent/speech.wav";
  engine = make_keyword_spotter(options, log);
  ASSERT_TRUE(engine->create_context().ok);
  ASSERT_TRUE(engine->init_grammar().ok);
  EXPECT_FALSE(engine->set_rules_active(true).ok);
}

TEST(KeywordSpotterEngine, MissingOrDamagedModelsLeaveTheEngineUnavailable) {
  const fs::path good = testing::models_folder();
  const fs::path dir = fs::temp_directory_path() / ("quillon-models-" + std::to_string(getpid()));
  const auto copy_models = [&] {
    fs::remove_all(dir);
    fs::create_directories(dir / "silero-vad");
    fs::copy(good / kKwsModelName, dir / kKwsModelName, fs::copy_options::recursive);
    fs::copy(good / "silero-vad" / "silero_vad.onnx", dir / "silero-vad" / "silero_vad.onnx");
    for (const auto& e : fs::recursive_directory_iterator(dir))
      fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
  };
  const auto truncate = [](const fs::path& p) { fs::resize_file(p, fs::file_size(p) / 2); };
  const struct {
    const char* what;
    std::function<void()> damage;
  } rows[] = {
      {"empty folder", [&] { fs::remove_all(dir), fs::create_directories(dir); }},
      {"truncated encoder",
       [&] { truncate(dir / kKwsModelName / "encoder-epoch-12-avg-2-chunk-16-left-64.int8.onnx"); }},
      {"garbage joiner",
       [&] { std::ofstream(dir / kKwsModelName / "joiner-epoch-12-avg-2-chunk-16-left-64.int8.onnx") << "garbage"; }},
      {"no tokens", [&] { fs::remove(dir / kKwsModelName / "tokens.txt"); }},
      {"no VAD", [&] { fs::remove(dir / "silero-vad" / "silero_vad.onnx"); }},
  };
  for (const auto& row : rows) {
    copy_models();
    row.damage();
    EngineOptions options;
    options.model_dir = dir.string();
    EXPECT_FALSE(keyword_spotter_available(options)) << row.what;
    std::string log;
    EXPECT_EQ(make_keyword_spotter(options, log), nullptr) << row.what;
    EXPECT_NE(log.find(text::kModelDownloadAddress), std::string::npos) << row.what << ": " << log;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quillon
