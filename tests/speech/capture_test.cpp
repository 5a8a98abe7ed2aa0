// Capture devices and the sound level: the device list from the sound system's
// hints, and a real ALSA device defined in a test-local configuration (a file
// played as a microphone) heard by an engine.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "speech/audio_source.h"
#include "speech/capture_devices.h"
#include "speech/listening_engine.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Devices = std::vector<CaptureDevice>;

TEST(CaptureDevices, OnlyDevicesThatRecordAreListedWithDefaultFirst) {
  const CaptureDevice deflt{"default", "", true};
  const struct {
    const char* what;
    std::vector<DeviceHint> hints;
    Devices expected;
  } cases[] = {
      {"no hints", {}, {deflt}},
      {"default stays first and plain",
       {{"pulse", "PulseAudio Sound Server", ""}, {"default", "Default ALSA Output", ""}},
       {deflt, {"pulse", "PulseAudio Sound Server", true}}},
      {"output-only, null and raw hardware are left out; lines are joined",
       {{"null", "Discard all samples", ""},
        {"surround51:CARD=PCH,DEV=0", "HDA Intel PCH\n5.1 Surround output", "Output"},
        {"hw:CARD=U0,DEV=0", "USB Headset\nDirect hardware device", ""},
        {"dsnoop:CARD=U0,DEV=0", "USB Headset\n\nDirect sample snooping device\n", "Input"},
        {"dsnoop:CARD=U0,DEV=0", "listed twice", ""}},
       {deflt, {"dsnoop:CARD=U0,DEV=0", "USB Headset - Direct sample snooping device", true}}},
  };
  for (const auto& c : cases) EXPECT_EQ(capture_devices_from_hints(c.hints), c.expected) << c.what;
}

std::vector<float> tone(double amplitude, std::size_t n) {
  std::vector<float> samples(n);
  for (std::size_t i = 0; i < n; ++i) {
    samples[i] = static_cast<float>(amplitude * std::sin(2 * M_PI * 440.0 * static_cast<double>(i) / 16000));
  }
  return samples;
}

TEST(SoundLevel, RisesEvenlyInDecibelsFromTheFloorToFullScale) {
  EXPECT_EQ(sound_level({}), 0.0f);
  EXPECT_NEAR(sound_level(tone(0.0005, 1600)), 0.0f, 0.01f);                     // below -60 dBFS
  EXPECT_NEAR(sound_level(tone(0.01 * std::sqrt(2.0), 1600)), 1.0f / 3, 0.01f);  // -40 dBFS RMS
  EXPECT_NEAR(sound_level(tone(0.1 * std::sqrt(2.0), 1600)), 2.0f / 3, 0.01f);   // -20 dBFS RMS
  EXPECT_NEAR(sound_level(std::vector<float>(1600, -1.0f)), 1.0f, 0.01f);
}

// ALSA reads this configuration instead of the system's while a test holds
// it: a microphone that plays a tone at -15 dBFS RMS (level 0.75).
class TestSoundSystem {
 public:
  TestSoundSystem() : dir_(fs::temp_directory_path() / ("quillon-alsa-" + std::to_string(getpid()))) {
    fs::create_directories(dir_);
    std::ofstream raw(dir_ / "tone.raw", std::ios::binary);
    for (const float s : tone(0.25, 16000)) {
      const auto v = static_cast<std::int16_t>(std::lround(s * 32767.0f));
      raw.put(static_cast<char>(v & 0xff)).put(static_cast<char>((v >> 8) & 0xff));
    }
    std::ofstream(dir_ / "asound.conf")
        << "pcm.null { type null }\n"
        << "pcm.quillon_tone { type file slave.pcm \"null\" file \"/dev/null\" format \"raw\" infile \""
        << (dir_ / "tone.raw").string() << "\" hint { show on description \"Quillon tone\nA sine\" } }\n";
    setenv("ALSA_CONFIG_PATH", (dir_ / "asound.conf").c_str(), 1);
  }
  ~TestSoundSystem() {
    unsetenv("ALSA_CONFIG_PATH");
    fs::remove_all(dir_);
  }

 private:
  fs::path dir_;
};

// An engine that decides nothing: only its audio path and level are tested.
struct NoDecision {
  bool recognised = false;
  std::string text;
};
struct QuietCore {
  SpeechStatus set_phrases(const std::vector<std::string>&, std::vector<std::string>&) { return {}; }
  void accept(const float*, std::size_t, std::vector<NoDecision>&) {}
  void finish(std::vector<NoDecision>&) {}
  void reset() {}
};
class QuietEngine : public ListeningEngine<QuietCore, NoDecision> {
 public:
  explicit QuietEngine(EngineOptions options) : ListeningEngine("quiet", std::move(options)) {}

 protected:
  SpeechStatus open_context() override {
    core_ = std::make_unique<QuietCore>();
    return {};
  }
};

std::unique_ptr<QuietEngine> ready_engine(EngineOptions options) {
  options.post_to_gui = [](std::function<void()>) {};
  auto engine = std::make_unique<QuietEngine>(std::move(options));
  EXPECT_TRUE(engine->create_context().ok && engine->init_grammar().ok);
  return engine;
}

// Polls as the window's meter does, a tenth of a second apart.
std::optional<float> level_once_heard(const Recognizer& engine) {
  for (int i = 0; i < 50 && engine.capture_level().value_or(0.0f) == 0.0f; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return engine.capture_level();
}

TEST(AlsaCapture, AMissingDeviceIsNamedAndTheNextOneChosenIsHeardAndMeasured) {
  TestSoundSystem alsa;
  EXPECT_EQ(list_capture_devices(), (Devices{{"default", "", true}, {"quillon_tone", "Quillon tone - A sine", true}}));
  EngineOptions options;
  options.capture_device = "quillon_no_such_device";
  auto engine = ready_engine(options);
  const SpeechStatus failed = engine->set_rules_active(true);
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.capture_device, "quillon_no_such_device") << failed.error;
  EXPECT_EQ(engine->capture_level(), std::nullopt);

  engine->set_capture_device("quillon_tone");
  ASSERT_TRUE(engine->set_rules_active(true).ok);
  EXPECT_NEAR(level_once_heard(*engine).value_or(-1.0f), 0.75f, 0.02f);
  ASSERT_TRUE(engine->set_rules_active(false).ok);
  EXPECT_EQ(engine->capture_level(), std::nullopt);

  options.audio_file = "/nonexistent/speech.wav";
  EXPECT_EQ(ready_engine(options)->set_rules_active(true).capture_device, "") << "a missing file is no missing device";
}

}  // namespace
}  // namespace quillon
