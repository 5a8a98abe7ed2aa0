// Any text, any phrase: the vocabulary text operations must end, stay inside
// the text, and keep their simple size relations.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "vocabulary/vocab_text.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

std::size_t count(std::string_view text, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte says how many of the last bytes are a phrase to look for.
  if (size == 0) return 0;
  const std::string_view all(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t phrase_length = std::min<std::size_t>(data[0] % 32, all.size());
  const std::string_view text = all.substr(0, all.size() - phrase_length);
  const std::string_view phrase = all.substr(all.size() - phrase_length);

  for (const quillon::VocabEntry& entry : quillon::list_entries(text)) {
    // A listed entry's "+phrase<" is in the text, so removing it cuts something.
    check(text.find("+" + entry.phrase + "<") != std::string_view::npos);
    check(quillon::remove_entry(text, entry.phrase).size() < text.size());
    check(entry.action.find('"') == std::string::npos);
  }
  if (const auto action = quillon::find_action(text, phrase)) {
    check(action->find('"') == std::string::npos && text.find(*action) != std::string_view::npos);
  }
  const std::string removed = quillon::remove_entry(text, phrase);
  check(removed.size() <= text.size());

  const std::string inserted = quillon::insert_entry(text, phrase, phrase);
  const std::size_t entry_size = std::string_view("<P VALSTR=\"\">+</P>\r\n").size() + 2 * phrase.size();
  check(inserted.size() == text.size() + count(text, "</L>") * entry_size);
  return 0;
}
