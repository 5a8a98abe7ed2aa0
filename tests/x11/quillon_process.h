#pragma once

// The Quillon program as the tests start it: the binary built beside them
// (or $QUILLON_BINARY), and what it writes on standard error, read while it runs.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "support/raw_recorder.h"
#include "vocabulary/folder_store.h"
#include "vocabulary/vocab_text.h"

namespace quillon::testing {

inline QString quillon_binary() {
  const char* path = std::getenv("QUILLON_BINARY");
  return QString::fromLocal8Bit(path ? path : QUILLON_DEFAULT_BINARY);
}

// The keys and buttons of `events`, without the pointer's moves.
inline std::vector<std::string> without_motion(const std::vector<RawEvent>& events) {
  std::vector<std::string> out;
  for (const RawEvent& e : events) {
    if (e.kind != RawEvent::Kind::Motion) out.push_back(e.text());
  }
  return out;
}

// Adds `entries` (phrase, action) to the game's file in the program folder,
// making the game first when there is none, as the window would.
inline void write_game(const QString& folder, const std::string& game,
                       const std::vector<std::pair<std::string, std::string>>& entries) {
  FolderStore store(folder.toStdString());
  ASSERT_NE(store.create_game(game).outcome, GameCreation::Refused);
  VocabularyRead read = store.read(game);
  ASSERT_TRUE(read.ok) << read.error;
  std::string text = read.text;
  for (const auto& [phrase, action] : entries) text = insert_entry(text, phrase, action);
  ASSERT_TRUE(store.write(game, text).ok);
}

// A running Quillon whose log can be waited on.
class QuillonProcess {
 public:
  explicit QuillonProcess(const QStringList& arguments) { process_.start(quillon_binary(), arguments); }
  ~QuillonProcess() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
  }

  QProcess& process() { return process_; }
  // Everything written on standard error so far.
  const std::string& log() {
    log_ += process_.readAllStandardError().toStdString();
    return log_;
  }
  // Waits until the log holds `text`; false when `timeout` passed first.
  bool wait_for_log(const std::string& text, std::chrono::milliseconds timeout) {
    return QTest::qWaitFor([&] { return log().find(text) != std::string::npos; }, static_cast<int>(timeout.count()));
  }

 private:
  QProcess process_;
  std::string log_;
};

}  // namespace quillon::testing
