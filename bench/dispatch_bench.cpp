// Reader and dispatcher overhead per recognition, without any real input: the
// cost the user pays between hearing a phrase and the first event.

#include <benchmark/benchmark.h>

#include "commands/dispatcher.h"
#include "input/platform.h"

namespace {

class NullPlatform : public quillon::InputInjector,
                     public quillon::ShellOpener,
                     public quillon::BrowserWindows,
                     public quillon::ProcessLauncher,
                     public quillon::Clipboard,
                     public quillon::Messages,
                     public quillon::Waiter {
 public:
  void key_down(std::uint8_t) override {}
  void key_up(std::uint8_t) override {}
  void mouse(std::uint32_t, int, int) override {}
  void open(const std::string&) override {}
  int count() override { return 0; }
  void navigate_first(const std::string&) override {}
  bool start(const std::string&) override { return true; }
  bool set_text(const std::string&) override { return true; }
  void wait_until_served(double) override {}
  void inform(const std::string&, const std::string&) override {}
  void warn(const std::string&, const std::string&) override {}
  bool ask_yes_no(const std::string&, const std::string&) override { return true; }
  double now() override { return 0; }
  bool wait(double) override { return true; }
  bool quitting() const override { return false; }
  quillon::Platform platform() { return {*this, *this, *this, *this, *this, *this, *this}; }
};

std::string vocabulary(int entries) {
  std::string text = "<?xml version=\"1.0\" encoding=\"gb2312\" ?> \r\n<GRAMMAR LANGID=\"804\">\r\n<L>\r\n";
  for (int i = 0; i < entries; ++i) {
    text += "<P VALSTR=\"Ctrl+Alt+F" + std::to_string(i % 12 + 1) + "*A\">+口令第" + std::to_string(i) + "号</P>\r\n";
  }
  return text + "</L>\r\n</RULE>\r\n</GRAMMAR>\r\n";
}

// The phrase of the last entry: the worst case for the look-up.
void BM_Recognition(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const std::string vocab = vocabulary(entries);
  const std::string phrase = "口令第" + std::to_string(entries - 1) + "号";
  NullPlatform null;
  quillon::Executor executor(null.platform());
  bool test_mode = false;
  quillon::Dispatcher dispatcher(vocab, test_mode, executor, [](const std::string&) {});
  for (auto _ : state) dispatcher.on_recognition(phrase);
}
BENCHMARK(BM_Recognition)->Arg(30)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_ReadAction(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(quillon::read_action("Alt+T*O*Tab*C*A*Enter"));
}
BENCHMARK(BM_ReadAction)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
