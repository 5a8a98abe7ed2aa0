#pragma once

// Reads a vocabulary file the way a speech platform loads a command grammar:
// well-formed XML in its declared encoding, a GRAMMAR root with at least one
// RULE, and the phrases of the top-level rule's list.

#include <string>
#include <vector>

#include "speech/recognizer.h"

namespace quillon {

struct GrammarParse {
  SpeechStatus status;  // failure: not a grammar the platform would load
  // UTF-8, in file order: the text of each P element of the top-level rule's
  // list, without surrounding blanks and the leading "+"; empty ones are left
  // out and repeated ones listed once. A list with no phrase loads.
  std::vector<std::string> phrases;
};

// Encodings: the declared gb2312/GBK/cp936 (read as GBK) or UTF-8; none
// declared means UTF-8. Errors name the line and column of a markup fault.
GrammarParse parse_grammar_file(const std::string& path);
GrammarParse parse_grammar_bytes(const std::string& bytes);

}  // namespace quillon
