// The PocketSphinx fallback: English-phone pronunciations for Mandarin
// phrases, the rules that let a heard phrase act, grammar swaps on one live
// decoder, and the engine hearing a WAV file made with espeak-ng at test time.
// Synthetic speech fits the English model worse than a person does, so the
// decoder tests lower the acoustic floor; the floor itself is tested on the
// rules and measured on real recordings by bench/sphinx_eval.sh.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "speech/edit_distance.h"
#include "speech/engines.h"
#include "speech/sphinx/pinyin_phones.h"
#include "speech/sphinx/sphinx_core.h"
#include "speech/sphinx/sphinx_engine.h"
#include "speech/wav_reader.h"
#include "support/engine_harness.h"
#include "support/readings.h"
#include "support/shipped_vocabularies.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Phrases = std::vector<std::string>;

TEST(PinyinPhones, SpellingsResolveToTheFinalsTheyStandFor) {
  const struct {
    const char* syllable;
    const char* phones;  // first choices; alternatives after "|"
  } rows[] = {
      {"yī", "IY"},     // y- spelling of i
      {"yǒu", "Y OW"},  // you = iou
      {"yíng", "IY NG"},
      {"yù", "Y UW|IY"},  // yu = ü
      {"wǔ", "UW"},
      {"wéi", "W EY"},            // wei = uei
      {"jiù", "JH Y OW"},         // iu = iou
      {"duì", "D W EY"},          // ui = uei
      {"lún", "L W AH N"},        // un = uen
      {"jūn", "JH Y UW N|IY N"},  // after j, un = ün
      {"qù", "CH Y UW|IY"},
      {"xué", "SH Y EH|Y UW EH"},
      {"lüè", "L Y EH|Y UW EH"},
      {"nǚ", "N Y UW|IY"},
      {"zì", "Z IH|D Z Z"},  // apical i after z, c, s
      {"shí", "SH ER|R"},    // and after zh, ch, sh, r
      {"rì", "R ER|ZH R"},
      {"cí", "T S IH|Z"},
      {"ér", "ER|AA R"},
      {"zhōng", "JH UH NG|OW NG"},
      {"Ā", "AA"},
  };
  for (const auto& row : rows) {
    const SyllableSounds s = syllable_sounds(row.syllable);
    ASSERT_TRUE(s.ok()) << row.syllable;
    std::string phones, alternatives;
    for (const auto& part : s.parts) {
      phones += (phones.empty() ? "" : " ") + part.phones;
      if (!part.alternative.empty()) alternatives += (alternatives.empty() ? "" : " ") + part.alternative;
    }
    EXPECT_EQ(alternatives.empty() ? phones : phones + "|" + alternatives, row.phones) << row.syllable;
  }
  for (const char* odd : {"hm", "ng", "xyz", ""}) EXPECT_FALSE(syllable_sounds(odd).ok()) << odd;
  EXPECT_EQ(plain_pinyin("lüè"), "lve");
  EXPECT_EQ(plain_pinyin("Ér"), "er");
}

TEST(PinyinPhones, PhrasesGetTheUsualReadingFirstThenVariants) {
  const auto& readings = testing::system_readings()->get();
  ASSERT_GT(readings.size(), 20000u) << "Unihan readings (package unicode-data) missing";
  const struct {
    const char* phrase;
    const char* first;  // empty: unsupported
    const char* also;   // another pronunciation that must be offered, if any
  } rows[] = {
      {"城堡", "CH AH NG B AW", nullptr},
      {"兵营", "B IY NG IY NG", nullptr},
      {"马厩", "M AA JH Y OW", nullptr},
      {"二号部队", "ER HH AW B UW D W EY", "AA R HH AW B UW D W EY"},
      {"地图右移", "D AH T UW Y OW IY", "D IY T UW Y OW IY"},  // 地 reads de first
      {"长城", "JH AA NG CH AH NG", "CH AA NG CH AH NG"},
      {"12号", "SH ER ER HH AW", "SH R ER HH AW"},  // digits are read in Chinese
      {"三号，部队", "S AA N HH AW B UW D W EY", "S AE N HH AW B UW D W EY"},
      {"全体撤退", "CH Y EH N T IY CH AH T W EY", "CH Y UW AE N T IY CH ER T W EY"},
      {"☆键", "", nullptr},
      {"あ", "", nullptr},
  };
  for (const auto& row : rows) {
    const auto p = phrase_pronunciations(phrase_readings(row.phrase, readings));
    if (!*row.first) {
      EXPECT_TRUE(p.empty()) << row.phrase;
      continue;
    }
    ASSERT_FALSE(p.empty()) << row.phrase;
    EXPECT_EQ(p.front(), row.first) << row.phrase;
    if (row.also) {
      EXPECT_NE(std::find(p.begin(), p.end(), row.also), p.end()) << row.phrase << " lacks " << row.also;
    }
    EXPECT_LE(p.size(), kMaxPronunciations) << row.phrase;
    for (std::size_t k = 0; k < p.size(); ++k)
      EXPECT_EQ(std::count(p.begin(), p.end(), p[k]), 1) << row.phrase << ": " << p[k] << " repeated";
  }
}

TEST(PinyinPhones, ManyPolyphonesStillLeaveRoomForAlternatives) {
  // Every character has several readings; 区 (qū) and 乐 (lè/yuè) bring
  // alternatives too.
  const auto p = phrase_pronunciations(phrase_readings("长行重乐区", testing::system_readings()->get()));
  ASSERT_EQ(p.size(), kMaxPronunciations);
  // The last is every alternative at once: ong, e and ü all swapped.
  const std::string all = p.back();
  for (const char* part : {"OW NG", "L ER", "CH IY"}) EXPECT_NE(all.find(part), std::string::npos) << all;
}

TEST(SphinxRules, APhraseActsOnlyWhenItFillsTheSegmentAndFitsWell) {
  // Floor -30 per frame, 60 extra frames, 15 a syllable + 20 to 60 a syllable
  // + 40, contrast 18 dB.
  const SphinxRules rules;
  const SphinxPhraseFacts two{2, true};
  const struct {
    const char* what;
    SphinxHearing heard;
    SphinxPhraseFacts phrase;
    SphinxVerdict verdict;
  } rows[] = {
      {"said alone", {true, 110, 80, -1600, 30}, two, SphinxVerdict::Acts},
      {"at the floor", {true, 110, 80, -2400, 30}, two, SphinxVerdict::Acts},
      {"just under the floor", {true, 110, 80, -2401, 30}, two, SphinxVerdict::PoorMatch},
      {"garbage or two phrases", {false, 110, 80, -1600, 30}, two, SphinxVerdict::NoPhrase},
      {"no phrase frames", {true, 110, 0, 0, 30}, two, SphinxVerdict::NoPhrase},
      {"one syllable or a sound-alike", {true, 110, 80, -1600, 30}, {2, false}, SphinxVerdict::NeverActs},
      {"inside longer talk", {true, 141, 80, -1600, 30}, two, SphinxVerdict::NotAlone},
      {"a short pause beside it", {true, 140, 80, -1600, 30}, two, SphinxVerdict::Acts},
      {"far longer than two syllables", {true, 161, 150, -3000, 30}, two, SphinxVerdict::TooLong},
      {"long but four syllables", {true, 161, 150, -3000, 30}, {4, true}, SphinxVerdict::Acts},
      {"too quick for two syllables", {true, 80, 49, -1000, 30}, two, SphinxVerdict::TooShort},
      {"just long enough", {true, 80, 50, -1000, 30}, two, SphinxVerdict::Acts},
      {"music or talk at one level", {true, 110, 80, -1600, 17.9f}, two, SphinxVerdict::NoContrast},
      {"just enough contrast", {true, 110, 80, -1600, 18}, two, SphinxVerdict::Acts},
      {"four syllables said quickly", {true, 110, 80, -2000, 30}, {4, true}, SphinxVerdict::Acts},
  };
  for (const auto& row : rows) EXPECT_EQ(judge(row.heard, row.phrase, rules), row.verdict) << row.what;
}

TEST(SphinxRules, ContrastIsLoudAgainstQuietFrames) {
  std::vector<float> command(100, 1.0f);  // the room
  std::fill(command.begin() + 30, command.begin() + 70, 1000.0f);
  const std::vector<float> steady(100, 50.0f);
  std::vector<float> humming(100);
  for (std::size_t k = 0; k < humming.size(); ++k) humming[k] = k % 2 ? 40.0f : 100.0f;
  const struct {
    const char* what;
    std::vector<float> energies;
    float db;
  } rows[] = {
      {"word in a quiet room", command, 30},
      {"steady sound", steady, 0},
      {"beating tone", humming, 3.98f},
      {"one frame", {5.0f}, 0},
      {"nothing", {}, 0},
      {"digital silence", {0, 0, 0, 0}, 0},
  };
  for (const auto& row : rows) EXPECT_NEAR(loudness_contrast_db(row.energies), row.db, 0.01) << row.what;
}

TEST(SphinxRules, OneSyllableAndSoundAlikePhrasesNeverAct) {
  const std::map<std::string, std::string> first = {
      {"北京", "B EY JH IY NG"}, {"背景", "B EY JH IY NG"}, {"加", "JH Y AA"},       {"城堡", "CH AH NG B AW"},
      {"语音", "Y UW IY N"},     {"语言", "Y UW Y EH N"},   {"语文", "Y UW W AH N"}, {"百度", "B AY D UW"}};
  const std::map<std::string, std::size_t> syllables = {{"北京", 2}, {"背景", 2}, {"加", 1},   {"城堡", 2},
                                                        {"语音", 2}, {"语言", 2}, {"语文", 2}, {"百度", 2}};
  // Same phones, or two apart (语音 and 语言 or 语文); 百度 is far from all.
  const std::map<std::string, bool> expected = {{"北京", false}, {"背景", false}, {"加", false},   {"城堡", true},
                                                {"语音", false}, {"语言", false}, {"语文", false}, {"百度", true}};
  EXPECT_EQ(actable_phrases(first, syllables), expected);
  // Without its twin a phrase acts again.
  EXPECT_TRUE(actable_phrases({{"北京", "B EY JH IY NG"}}, {{"北京", 2}}).at("北京"));
}

// Vocabularies with number slots are large, so twins are found by a bounded
// comparison; it must agree with the whole edit distance.
TEST(SphinxRules, TwinsAreFoundAsTheWholeEditDistanceFindsThem) {
  // Random pronunciations, each beside a copy one to three random edits away.
  std::mt19937 random(7);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  const std::vector<std::string> kPhones = {"AA", "B", "IY", "N", "S", "T", "EH", "K", "UW", "M"};
  std::map<std::string, std::vector<std::string>> phones;
  for (int k = 0; k < 150; ++k) {
    std::vector<std::string> base;
    for (std::size_t n = 3 + pick(7); n > 0; --n) base.push_back(kPhones[pick(kPhones.size())]);
    std::vector<std::string> copy = base;
    for (std::size_t edits = 1 + pick(3); edits > 0; --edits) {
      const std::size_t at = pick(copy.size());
      const std::string phone = kPhones[pick(kPhones.size())];
      switch (pick(3)) {
        case 0:
          copy[at] = phone;
          break;
        case 1:
          copy.insert(copy.begin() + static_cast<std::ptrdiff_t>(at), phone);
          break;
        default:
          if (copy.size() > 1) copy.erase(copy.begin() + static_cast<std::ptrdiff_t>(at));
      }
    }
    phones["a" + std::to_string(k)] = base;
    phones["b" + std::to_string(k)] = copy;
  }
  std::map<std::string, std::string> first;
  std::map<std::string, std::size_t> syllables;
  std::map<std::string, bool> expected;
  for (const auto& [phrase, own] : phones) {
    for (const auto& phone : own) first[phrase] += (first[phrase].empty() ? "" : " ") + phone;
    syllables[phrase] = 2;
    expected[phrase] = std::none_of(phones.begin(), phones.end(), [&](const auto& other) {
      return other.first != phrase && edit_distance(own, other.second) <= 2;
    });
  }
  const auto actable = actable_phrases(first, syllables);
  EXPECT_EQ(actable, expected);
  const auto count = std::count_if(actable.begin(), actable.end(), [](const auto& p) { return p.second; });
  EXPECT_GT(count, 30);
  EXPECT_LT(count, 270);
}

constexpr int kSyntheticFloor = -1000;

// Audio made with espeak-ng's pinyin voice; empty when the tools are missing.
class SynthesisedSpeech : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("quillon-sphinx-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    tools_ = std::system("command -v espeak-ng >/dev/null 2>&1 && command -v sox >/dev/null 2>&1") == 0;
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }
  void SetUp() override {
    if (!tools_) GTEST_SKIP() << "espeak-ng or sox missing (scripts/setup.sh installs them): not tested";
  }

  // The phrase said once, 16 kHz mono with silence around it.
  static std::string say(const std::string& phrase, const char* voice = "f2") {
    const fs::path out = dir_ / (std::to_string(std::hash<std::string>{}(phrase + voice)) + ".wav");
    if (fs::exists(out)) return out.string();
    const std::string raw = out.string() + ".raw.wav";
    const std::string cmd = "espeak-ng -v cmn-latn-pinyin+" + std::string(voice) + " -w '" + raw + "' '" + phrase +
                            "' && sox -q -V1 '" + raw + "' -r 16000 -c 1 -b 16 '" + out.string() + "' pad 0.4 0.6";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return out.string();
  }

  static std::unique_ptr<SphinxCore> core() {
    std::string error;
    SphinxSettings settings;
    settings.rules.min_phrase_score_per_frame = kSyntheticFloor;
    auto c = SphinxCore::create(settings, testing::system_readings()->get(), error);
    EXPECT_NE(c, nullptr) << error;
    return c;
  }

  // What the core makes of a file: recognised phrases, "?" for other speech.
  static Phrases hear(SphinxCore& core, const std::string& wav_path) {
    const WavAudio wav = read_wav_16k_mono(wav_path);
    EXPECT_TRUE(wav.ok) << wav.error;
    std::vector<SphinxDecision> out;
    for (std::size_t at = 0; at < wav.samples.size(); at += 1600)
      core.accept(wav.samples.data() + at, std::min<std::size_t>(1600, wav.samples.size() - at), out);
    core.finish(out);
    Phrases heard;
    for (const auto& d : out) heard.push_back(d.recognised ? d.text : "?");
    return heard;
  }

  static fs::path dir_;
  static bool tools_;
};

fs::path SynthesisedSpeech::dir_;
bool SynthesisedSpeech::tools_ = false;

TEST_F(SynthesisedSpeech, GrammarSwapsKeepOneDecoderWorking) {
  auto c = core();
  ASSERT_NE(c, nullptr);
  // The decoder's cepstral mean adapts to the voice over the first seconds.
  hear(*c, say("今天天气很好"));
  const struct {
    Phrases vocabulary;
    const char* said;
  } rows[] = {
      {{"城堡", "兵营", "攻击"}, "城堡"},     {{"撤退", "三号部队", "上一张"}, "三号部队"},
      {{"城堡", "撤退", "打开背包"}, "撤退"}, {{"回城", "暂停", "攻击", "Ctrl键"}, "攻击"},
      {{"城堡", "兵营", "攻击"}, "兵营"},
  };
  for (const auto& row : rows) {
    std::vector<std::string> unsupported;
    ASSERT_TRUE(c->set_phrases(row.vocabulary, unsupported).ok);
    EXPECT_EQ(hear(*c, say(row.said)), Phrases{row.said}) << row.said;
  }
  // Words are added once per phrase text: the last vocabulary added nothing.
  const std::size_t words = c->words_added();
  std::vector<std::string> unsupported;
  ASSERT_TRUE(c->set_phrases(rows[0].vocabulary, unsupported).ok);
  EXPECT_EQ(c->words_added(), words);
  // A phrase no longer in the grammar is not heard as itself.
  for (const auto& heard : hear(*c, say("撤退"))) EXPECT_NE(heard, "撤退");
  // Twins in tones only: neither acts while both listen, each acts alone.
  ASSERT_TRUE(c->set_phrases({"北京", "背景", "城堡"}, unsupported).ok);
  EXPECT_EQ(hear(*c, say("北京")), Phrases{"?"});
  ASSERT_TRUE(c->set_phrases({"北京", "城堡"}, unsupported).ok);
  EXPECT_EQ(hear(*c, say("北京")), Phrases{"北京"});
  // An empty grammar hears nothing.
  ASSERT_TRUE(c->set_phrases({}, unsupported).ok);
  for (const auto& heard : hear(*c, say("城堡"))) EXPECT_EQ(heard, "?");
}

// Latin letters said the way Mandarin speakers name them.
TEST_F(SynthesisedSpeech, PhrasesWithLettersAreHeard) {
  auto c = core();
  ASSERT_NE(c, nullptr);
  Phrases unsupported;
  ASSERT_TRUE(
      c->set_phrases({"切换PK阵营", "切换阵营", "一键AOE", "一键攻击", "QQ", "城堡", "打开系统"}, unsupported).ok);
  EXPECT_TRUE(unsupported.empty());
  hear(*c, say("jin1tian1 tian1qi4 hen3hao3"));  // the decoder adapts to the voice first
  const struct {
    const char* said;
    const char* phrase;
  } rows[] = {
      {"qie1huan4 pi1 kei1 zhen4ying2", "切换PK阵营"},
      {"yi1jian4 ei1 ou1 yi1", "一键AOE"},
      {"kiu1 kiu1", "QQ"},
  };
  for (const auto& row : rows) EXPECT_EQ(hear(*c, say(row.said)), Phrases{row.phrase}) << row.said;
}

using testing::Events;
using testing::GuiQueue;
using testing::write_vocabulary;

TEST_F(SynthesisedSpeech, TheEngineHearsAWavFileThroughTheInterface) {
  // A sentence that is no command (the decoder adapts to the voice on it),
  // then two commands.
  const fs::path wav = dir_ / "session.wav";
  const std::string join =
      "sox -q -V1 '" + say("今天天气很好") + "' '" + say("兵营") + "' '" + say("地图右移") + "' '" + wav.string() + "'";
  ASSERT_EQ(std::system(join.c_str()), 0) << join;

  GuiQueue gui;
  EngineOptions options;
  options.tuning.sphinx_min_score = kSyntheticFloor;
  options.audio_file = wav.string();
  options.exit_after_audio = true;
  options.post_to_gui = gui.poster();
  ASSERT_TRUE(pocketsphinx_available(options));
  std::string log;
  auto engine = make_recognizer(kPocketSphinxEngine, options, log);
  ASSERT_NE(engine, nullptr) << log;
  ASSERT_TRUE(engine->create_context().ok);
  EXPECT_EQ(engine->recognizer_names().front(), engine_display_name(kPocketSphinxEngine));
  ASSERT_TRUE(engine->init_grammar().ok);
  ASSERT_TRUE(engine->add_event_interest(SpeechEvent::Recognition).ok);
  ASSERT_TRUE(engine->add_event_interest(SpeechEvent::FalseRecognition).ok);
  const auto load =
      engine->load_grammar(write_vocabulary(dir_ / "game.xml", {"城堡", "兵营", "地图右移", "攻击", "按☆"}));
  ASSERT_TRUE(load.status.ok) << load.status.error;
  EXPECT_EQ(load.unsupported_phrases, Phrases{"按☆"});

  Events events;
  engine->set_listener(&events);
  ASSERT_TRUE(engine->set_rules_active(true).ok);
  EXPECT_TRUE(gui.run_until([&] { return events.finished; }, std::chrono::seconds(20)));
  EXPECT_EQ(events.heard, (Phrases{"?", "兵营", "地图右移"}));
  EXPECT_TRUE(engine->set_rules_active(false).ok);
}

TEST(PocketSphinxEngine, ListensForEveryShippedPhrase) {
  EngineOptions options;
  options.post_to_gui = [](std::function<void()>) {};
  if (!pocketsphinx_available(options)) GTEST_SKIP() << "no PocketSphinx model (package pocketsphinx-en-us)";
  std::string log;
  auto engine = make_recognizer(kPocketSphinxEngine, options, log);
  ASSERT_NE(engine, nullptr) << log;
  testing::expect_every_shipped_phrase_heard(*engine);
  EXPECT_EQ(engine->phrases_alike("三号部队", {"二号部队", "船坞"}), std::vector<std::string>{"二号部队"});
}

TEST(PocketSphinxEngine, AMissingModelLeavesItUnavailable) {
  EngineOptions options;
  options.tuning.sphinx_model = "/nonexistent/en-us";
  options.post_to_gui = [](std::function<void()>) {};
  EXPECT_FALSE(pocketsphinx_available(options));
  std::string log;
  EXPECT_EQ(make_recognizer(kPocketSphinxEngine, options, log), nullptr);
  options.tuning.sphinx_model.clear();
  EXPECT_TRUE(pocketsphinx_available(options)) << "package pocketsphinx-en-us";
}

}  // namespace
}  // namespace quillon
