// What listening costs the whole program: `quillon` on a private Xvfb, with
// one vocabulary holding every shipped phrase, listening to recordings played
// in real time as a microphone delivers them: talk, talk over game music and
// silence. Reports the processor time of all its threads from the moment it
// starts listening to the end of the recording, as a share of one core over
// the recording's length (a busy machine may make the run itself longer), and
// its resident memory after the first minute and at the end.
//
//   listening_cost SETS_DIR [seconds] [path/to/quillon] [only=talk,talk-sound,silence] [taught=FILE]
//
// SETS_DIR is what bench/make_speech_sets.sh builds; `seconds` (default 240)
// is how long each recording plays (the talk is repeated when shorter).
// taught=FILE: the user's taught-voice.txt (a taught user's listening weighs
// how utterances sound too).

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shipped_phrases.h"
#include "speech/taught_voice.h"
#include "speech/wav_reader.h"
#include "support/private_xserver.h"
#include "support/wav_file.h"

extern char** environ;

using namespace quillon;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Processor time of the whole process so far (user and system, in clock ticks).
double cpu_seconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), {});
  // The fields after the command name, which may hold blanks, start after its ')'.
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  unsigned long long user = 0, system = 0;
  for (int k = 3; k <= 15 && fields >> field; ++k) {
    if (k == 14) user = std::stoull(field);
    if (k == 15) system = std::stoull(field);
  }
  return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double resident_mb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return 0;
}

// The recordings of `set` (both halves) one after another, repeated to `seconds`.
std::vector<float> played(const fs::path& sets, const std::string& set, double seconds) {
  const auto wanted = static_cast<std::size_t>(seconds * 16000);
  if (set == "silence") return std::vector<float>(wanted, 0.0f);
  std::vector<fs::path> files;
  for (const char* half : {"tune", "held"})
    for (const auto& e : fs::directory_iterator(sets / set / half))
      if (e.path().extension() == ".wav") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  std::vector<float> audio;
  while (audio.size() < wanted && !files.empty()) {
    for (const auto& f : files) {
      const WavAudio wav = read_wav_16k_mono(f.string());
      audio.insert(audio.end(), wav.samples.begin(), wav.samples.end());
      if (audio.size() >= wanted) break;
    }
  }
  audio.resize(std::min(audio.size(), wanted));
  return audio;
}

void write_vocabulary(const fs::path& path) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"gb2312\" ?>\r\n<GRAMMAR LANGID=\"804\">\r\n<RULE NAME=\"Game1\" "
      "TOPLEVEL=\"ACTIVE\">\r\n<L>\r\n";
  // A key the game would ignore: a false action must not type into anything.
  for (const auto& phrase : bench::shipped_phrases()) text += "<P VALSTR=\"Shift\">+" + phrase + "</P>\r\n";
  text += "</L>\r\n</RULE>\r\n</GRAMMAR>\r\n";
  std::ofstream(path, std::ios::binary) << gbk_encode(text).bytes;
}

struct Run {
  double cpu_percent = 0, seconds = 0, rss_first_minute = 0, rss_end = 0, rss_peak = 0;
  bool ok = false;
};

Run listen(const std::string& quillon, const fs::path& folder, const fs::path& wav, double audio_seconds) {
  std::vector<std::string> args = {quillon, "--program-folder", folder.string(), "--no-intro", "--game",
                                   "all",   "--listen",         "--audio-file",  wav.string(), "--exit-after-audio"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int err[2];
  if (::pipe(err) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, err[0]);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, quillon.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(err[1]);
  if (spawned != 0) return {};

  Run run;
  std::string log;
  double cpu_start = -1;
  Clock::time_point start, last_sample;
  for (;;) {
    pollfd p{err[0], POLLIN, 0};
    ::poll(&p, 1, 250);
    char buffer[4096];
    const ssize_t n = (p.revents & (POLLIN | POLLHUP)) ? ::read(err[0], buffer, sizeof buffer) : 1;
    if (n <= 0) break;
    if (p.revents & POLLIN) log.append(buffer, static_cast<std::size_t>(n));
    if (cpu_start < 0 && log.find("listening to") != std::string::npos) {
      cpu_start = cpu_seconds(pid);
      start = last_sample = Clock::now();
    }
    if (cpu_start >= 0 && Clock::now() - last_sample >= std::chrono::seconds(1)) {
      last_sample = Clock::now();
      const double rss = resident_mb(pid);
      run.rss_peak = std::max(run.rss_peak, rss);
      if (run.rss_first_minute == 0 && last_sample - start >= std::chrono::seconds(60)) run.rss_first_minute = rss;
      run.rss_end = rss;
      run.seconds = std::chrono::duration<double>(last_sample - start).count();
      run.cpu_percent = 100 * (cpu_seconds(pid) - cpu_start) / audio_seconds;
    }
  }
  ::close(err[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.ok = cpu_start >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!run.ok) std::fprintf(stderr, "%s\n", log.c_str());
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: listening_cost SETS_DIR [seconds] [path/to/quillon] [only=SET,...] [taught=FILE]\n");
    return 1;
  }
  const fs::path sets = argv[1];
  const double seconds = argc > 2 ? std::atof(argv[2]) : 240;
  const std::string quillon = argc > 3 ? argv[3] : QUILLON_DEFAULT_BINARY;
  const std::string only = argc > 4 ? "," + std::string(argv[4]).substr(5) + "," : "";

  testing::PrivateXServer server;
  if (server.display().empty()) {
    std::fprintf(stderr, "could not start Xvfb\n");
    return 1;
  }
  ::setenv("DISPLAY", server.display().c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  const fs::path tmp = fs::temp_directory_path() / ("quillon-cost-" + std::to_string(::getpid()));
  fs::create_directories(tmp / "folder");
  write_vocabulary(tmp / "folder" / "all.xml");
  if (argc > 5 && std::string(argv[5]).rfind("taught=", 0) == 0)
    fs::copy_file(std::string(argv[5]).substr(7), tmp / "folder" / kTaughtVoiceFile);

  std::printf("| recording | seconds (run) | CPU, share of one core | resident MB after 1 min / end / peak |\n");
  std::printf("|---|---|---|---|\n");
  for (const std::string set : {"talk", "talk-sound", "silence"}) {
    if (!only.empty() && only.find("," + set + ",") == std::string::npos) continue;
    const fs::path wav = tmp / (set + ".wav");
    const std::vector<float> audio = played(sets, set, seconds);
    testing::write_wav(wav, audio);
    const Run run = listen(quillon, tmp / "folder", wav, static_cast<double>(audio.size()) / 16000);
    if (!run.ok) {
      std::printf("| %s | run failed | | |\n", set.c_str());
      continue;
    }
    std::printf("| %s | %.0f (%.0f) | %.1f %% | %.1f / %.1f / %.1f |\n", set.c_str(),
                static_cast<double>(audio.size()) / 16000, run.seconds, run.cpu_percent, run.rss_first_minute,
                run.rss_end, run.rss_peak);
    std::fflush(stdout);
    fs::remove(wav);
  }
  fs::remove_all(tmp);
  return 0;
}
