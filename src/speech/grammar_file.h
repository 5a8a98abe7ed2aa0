#pragma once

// Reads a vocabulary file the way a speech platform loads a command grammar:
// well-formed XML in its declared encoding, a GRAMMAR root with at least one
// RULE, and the phrases of the top-level rule's list.

#include <string>
#include <vector>

#include "speech/recognizer.h"

namespace quillon {

struct GrammarParse {
  SpeechStatus status;               // failure: not a grammar the platform would load
  std::vector<std::string> phrases;  // UTF-8, the text after each P element's leading "+"
};

GrammarParse parse_grammar_file(const std::string& path);
GrammarParse parse_grammar_bytes(const std::string& bytes);

}  // namespace quillon
