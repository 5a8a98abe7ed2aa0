#pragma once

// The vocabularies Quillon ships, written into a program folder as the program
// writes them (GBK), and loaded one after another into a speech engine: each
// must load with every phrase listened for.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "speech/recognizer.h"
#include "vocabulary/builtin_vocab.h"

namespace quillon::testing {

inline void expect_every_shipped_phrase_heard(Recognizer& engine) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("quillon-shipped-" + std::to_string(getpid()));
  fs::create_directories(folder);
  ASSERT_TRUE(write_missing_builtin_vocabularies(folder.string()).empty());
  ASSERT_TRUE(engine.create_context().ok);
  ASSERT_TRUE(engine.init_grammar().ok);
  for (const auto& vocabulary : builtin_vocabularies("")) {
    const GrammarLoad load = engine.load_grammar((folder / vocabulary.file_name).string());
    EXPECT_TRUE(load.status.ok) << vocabulary.file_name << ": " << load.status.error;
    EXPECT_EQ(load.unsupported_phrases, std::vector<std::string>{}) << vocabulary.file_name;
  }
  fs::remove_all(folder);
}

}  // namespace quillon::testing
