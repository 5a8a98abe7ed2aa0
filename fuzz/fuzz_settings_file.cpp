// Any bytes as the settings file: reading must not crash; a file that is used
// keeps every value when Quillon writes it back (keys it does not know
// included), and the settings its values make write back as they were read.
//
// Qt keeps the settings files it has read, so a run seldom frees all it
// allocated, and libFuzzer would look for leaks after nearly every input at a
// tenth of the speed: fuzz_settings_file.flags turns that off. LeakSanitizer
// still checks the whole run when it ends.

#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/settings.h"
#include "ui/settings_file.h"

namespace {

namespace fs = std::filesystem;

void check(bool ok) {
  if (!ok) std::abort();
}

// A folder of this process for the files, removed at exit.
struct Scratch {
  fs::path dir = fs::temp_directory_path() / ("quillon-fuzz-settings-" + std::to_string(getpid()));
  Scratch() { fs::create_directories(dir); }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
};

}  // namespace

// Qt is built without frame pointers, so AddressSanitizer's quick unwinding
// finds made-up callers beyond the second frame, and keeping each such stack
// of every allocation grows memory without end over millions of inputs.
extern "C" const char* __asan_default_options() { return "malloc_context_size=2"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Scratch scratch;
  // Names in turn, a thousand of them: Qt keeps the files it has read, and
  // takes one of the same size and time as unchanged.
  static std::uint64_t run = 0;
  const std::string name = std::to_string(++run % 1000);
  const std::string file = (scratch.dir / (name + ".ini")).string();
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  const quillon::SettingsFileRead read = quillon::read_settings_file(file);
  if (!read.problem.empty()) {
    check(read.values.empty());
    return 0;
  }

  const std::string rewritten = (scratch.dir / (name + "-rewritten.ini")).string();
  check(!quillon::write_settings_file(rewritten, read.values));
  const quillon::SettingsFileRead again = quillon::read_settings_file(rewritten);
  check(again.problem.empty() && again.values == read.values);

  const quillon::ResolvedSettings resolved = quillon::resolve_settings({read.values, {}, {}});
  const quillon::SettingValues saved = quillon::settings_to_values(resolved.saved);
  check(quillon::resolve_settings({saved, {}, {}}).saved == resolved.saved);
  return 0;
}
