#pragma once

// What tests of the audio engines share: a stand-in for the GUI thread's event
// queue, a listener that records what reaches it, and a small vocabulary file.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "speech/engines.h"

namespace quillon::testing {

// The GUI thread's event queue, as the engine sees it through post_to_gui.
class GuiQueue {
 public:
  PostToGui poster() {
    return [this](std::function<void()> f) {
      {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(f));
      }
      wake_.notify_all();
    };
  }
  // Runs posted work until `done` holds; false when `timeout` passed first.
  bool run_until(const std::function<bool()>& done, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      std::unique_lock lock(mutex_);
      if (!wake_.wait_until(lock, deadline, [&] { return !queue_.empty(); })) return false;
      auto f = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      f();
    }
    return true;
  }
  // Waits until `count` pieces of work are queued; false after two seconds.
  bool wait_for_posted(std::size_t count) {
    std::unique_lock lock(mutex_);
    return wake_.wait_for(lock, std::chrono::seconds(2), [&] { return queue_.size() >= count; });
  }
  std::size_t queued() {
    std::lock_guard lock(mutex_);
    return queue_.size();
  }
  // Runs the work posted so far, and nothing posted later; never waits.
  void run_posted() {
    std::deque<std::function<void()>> posted;
    {
      std::lock_guard lock(mutex_);
      posted.swap(queue_);
    }
    for (auto& f : posted) f();
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
};

// Records what the engine delivers: phrases, "?" for a false recognition.
struct Events : RecognitionListener {
  std::vector<std::string> heard;
  bool finished = false;
  void on_recognition(const std::string& text) override { heard.push_back(text); }
  void on_false_recognition() override { heard.push_back("?"); }
  void on_audio_finished() override { finished = true; }
};

// A UTF-8 vocabulary file at `path` with `phrases`, every one bound to Enter.
inline std::string write_vocabulary(const std::filesystem::path& path, const std::vector<std::string>& phrases) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GRAMMAR LANGID=\"804\">\n<RULE NAME=\"Game\" ID=\"1\" "
      "TOPLEVEL=\"ACTIVE\">\n<L>\n";
  for (const auto& p : phrases) xml += "<P VALSTR=\"Enter\">+" + p + "</P>\n";
  std::ofstream(path) << xml + "</L>\n</RULE>\n</GRAMMAR>\n";
  return path.string();
}

}  // namespace quillon::testing
