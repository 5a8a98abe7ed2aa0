#pragma once

// Every phrase of the vocabularies that ship with the program, once each, in
// shipping order: what a user who listens with all of them hears against.

#include <algorithm>
#include <string>
#include <vector>

#include "speech/grammar_file.h"
#include "vocabulary/builtin_vocab.h"
#include "vocabulary/gbk.h"

namespace quillon::bench {

inline std::vector<std::string> shipped_phrases() {
  std::vector<std::string> phrases;
  for (const auto& vocabulary : builtin_vocabularies("")) {
    for (const auto& p : parse_grammar_bytes(gbk_encode(vocabulary.text).bytes).phrases) {
      if (std::find(phrases.begin(), phrases.end(), p) == phrases.end()) phrases.push_back(p);
    }
  }
  return phrases;
}

}  // namespace quillon::bench
