// Where a take of a taught phrase ends: after its speech, not inside a pause
// between syllables, not at a click; and the recorder hands over what it read.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>

#include "speech/take_recorder.h"

namespace quillon {
namespace {

constexpr float kLoud = 0.7f, kQuiet = 0.1f;

std::vector<float> levels(std::initializer_list<std::pair<float, int>> runs) {
  std::vector<float> out;
  for (const auto& [level, count] : runs) out.insert(out.end(), static_cast<std::size_t>(count), level);
  return out;
}

TEST(TakeEndpointer, EndsAfterSpeechAndAPauseLongEnough) {
  using E = TakeEndpointer;
  const struct {
    const char* what;
    std::vector<float> levels;
    int over_at;  // chunks fed when it first said over; 0: not over
    bool speech;
  } rows[] = {
      {"a word then silence", levels({{kQuiet, 10}, {kLoud, 15}, {kQuiet, E::kChunksToEnd}}), 10 + 15 + E::kChunksToEnd,
       true},
      {"a pause between syllables does not end it",
       levels({{kLoud, 8}, {kQuiet, E::kChunksToEnd - 1}, {kLoud, 8}, {kQuiet, 5}}), 0, true},
      {"a click is no speech", levels({{kLoud, E::kChunksToBegin - 1}, {kQuiet, E::kChunksToEnd + 5}}), 0, false},
      {"nobody speaks", levels({{kQuiet, E::kChunksWithoutSpeech}}), E::kChunksWithoutSpeech, false},
      {"talk that never stops", levels({{kLoud, E::kMostChunks + 5}}), E::kMostChunks, true},
  };
  for (const auto& row : rows) {
    TakeEndpointer endpointer;
    int over_at = 0;
    for (std::size_t k = 0; k < row.levels.size() && !over_at; ++k) {
      if (endpointer.feed(row.levels[k])) over_at = static_cast<int>(k) + 1;
    }
    EXPECT_EQ(over_at, row.over_at) << row.what;
    EXPECT_EQ(endpointer.heard_speech(), row.speech) << row.what;
  }
}

std::vector<float> tone(double seconds, float amplitude) {
  std::vector<float> samples(static_cast<std::size_t>(seconds * 16000));
  for (std::size_t k = 0; k < samples.size(); ++k) {
    samples[k] = amplitude * static_cast<float>(std::sin(2 * 3.14159265 * 220.0 * static_cast<double>(k) / 16000));
  }
  return samples;
}

std::vector<float> joined(std::vector<float> a, const std::vector<float>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(HasSpeech, FindsSpeechAnywhereInARecording) {
  EXPECT_FALSE(has_speech(tone(3.0, 0.001f)));
  EXPECT_FALSE(has_speech({}));
  EXPECT_TRUE(has_speech(tone(0.3, 0.3f)));
  // Past the stretch after which a live take would give up waiting.
  EXPECT_TRUE(has_speech(joined(tone(9.0, 0.0f), tone(0.3, 0.3f))));
}

struct Result {
  std::vector<float> samples;
  bool speech = false;
};

TEST(TakeRecorder, EndsATakeSoonAfterItsSpeechAndHandsItOver) {
  const std::vector<float> input = joined(joined(tone(0.1, 0.0f), tone(0.3, 0.3f)), tone(3.0, 0.0f));
  std::promise<Result> done;
  TakeRecorder recorder;
  const auto start = std::chrono::steady_clock::now();
  recorder.start(std::make_unique<FileAudioSource>(input), [&](std::vector<float> samples, bool speech) {
    done.set_value({std::move(samples), speech});
  });
  const Result result = done.get_future().get();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(result.speech);
  EXPECT_LT(seconds, 2.0) << "it does not wait for the end of the input";
  EXPECT_GT(result.samples.size(), static_cast<std::size_t>(0.4 * 16000));
  EXPECT_LT(result.samples.size(), input.size());
  EXPECT_EQ(recorder.level(), 0.0f);
}

TEST(TakeRecorder, TheUserCanEndATakeAtOnce) {
  std::promise<Result> done;
  TakeRecorder recorder;
  recorder.start(std::make_unique<FileAudioSource>(tone(8.0, 0.3f)), [&](std::vector<float> samples, bool speech) {
    done.set_value({std::move(samples), speech});
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_GT(recorder.level(), 0.5f) << "the level of what is being recorded";
  const auto start = std::chrono::steady_clock::now();
  recorder.finish();
  std::future<Result> result = done.get_future();
  ASSERT_EQ(result.wait_for(std::chrono::milliseconds(500)), std::future_status::ready);
  EXPECT_TRUE(result.get().speech);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.5);
}

}  // namespace
}  // namespace quillon
