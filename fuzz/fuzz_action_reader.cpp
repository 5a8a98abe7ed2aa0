// Any action string: the reader must not crash, and carrying out its plan must
// release every key it pressed, in a bounded number of events.

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string_view>

#include "commands/action.h"
#include "commands/executor.h"
#include "support/recording_platform.h"

namespace {

class KeyBalance : public quillon::testing::RecordingPlatform {
 public:
  std::map<std::uint8_t, int> down;
  void key_down(std::uint8_t vk) override { ++down[vk]; }
  void key_up(std::uint8_t vk) override { --down[vk]; }
  bool wait(double) override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const quillon::ActionPlan plan = quillon::read_action(text);
  KeyBalance fake;
  quillon::Executor executor(fake.platform());
  executor.run(plan);
  for (const auto& [vk, balance] : fake.down) {
    // A key may be released more often than pressed (a name listed twice
    // with one hold), but never left down.
    if (balance > 0) std::abort();
  }
  return 0;
}
