#include "vocabulary/vocab_text.h"

namespace quillon {
namespace {

constexpr std::string_view kEntryStart = "<P VALSTR=";
constexpr std::string_view kListEnd = "</L>";
constexpr std::string_view kLineEnd = "\r\n";
constexpr auto npos = std::string_view::npos;

std::string search_key(std::string_view phrase) {
  std::string key;
  key.reserve(phrase.size() + 2);
  key += '+';
  key += phrase;
  key += '<';
  return key;
}

}  // namespace

std::vector<VocabEntry> list_entries(std::string_view text) {
  std::vector<VocabEntry> entries;
  std::size_t from = 0;
  for (;;) {
    const std::size_t p = text.find(kEntryStart, from);
    if (p == npos) break;
    const std::size_t q1 = text.find('"', p + 1);
    const std::size_t q2 = q1 == npos ? npos : text.find('"', q1 + 1);
    const std::size_t s = q2 == npos ? npos : text.find('+', q2 + 1);
    const std::size_t e = s == npos ? npos : text.find('<', s + 1);
    if (e == npos) break;
    entries.push_back({std::string(text.substr(s + 1, e - s - 1)), std::string(text.substr(q1 + 1, q2 - q1 - 1))});
    from = s + 1;
  }
  return entries;
}

std::optional<std::string> find_action(std::string_view text, std::string_view phrase) {
  const std::size_t k = text.find(search_key(phrase));
  if (k == npos) return std::nullopt;
  const std::size_t q2 = text.rfind('"', k);
  if (q2 == npos || q2 == 0) return std::nullopt;
  const std::size_t q1 = text.rfind('"', q2 - 1);
  if (q1 == npos) return std::nullopt;
  return std::string(text.substr(q1 + 1, q2 - q1 - 1));
}

std::string insert_entry(std::string_view text, std::string_view phrase, std::string_view action) {
  std::string entry;
  entry += kEntryStart;
  entry += '"';
  entry += action;
  entry += "\">+";
  entry += phrase;
  entry += "</P>";
  entry += kLineEnd;
  entry += kListEnd;

  std::string out;
  out.reserve(text.size() + entry.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(kListEnd); at != npos; at = text.find(kListEnd, from)) {
    out += text.substr(from, at - from);
    out += entry;
    from = at + kListEnd.size();
  }
  out += text.substr(from);
  return out;
}

std::string remove_entry(std::string_view text, std::string_view phrase) {
  const std::size_t k = text.find(search_key(phrase));
  if (k == npos) return std::string(text);
  // The line end in front of the entry goes with it; without one, cut from the start.
  const std::size_t before = text.rfind(kLineEnd, k);
  const std::size_t cut_from = before == npos ? 0 : before;
  const std::size_t after = text.find(kLineEnd, k);
  std::string out(text.substr(0, cut_from));
  if (after != npos) out += text.substr(after);
  return out;
}

std::string list_item(const VocabEntry& entry) { return entry.phrase + "(" + entry.action + ")"; }

VocabEntry parse_list_item(std::string_view item) {
  const std::size_t open = item.find('(');
  if (open == npos) return {std::string(item), std::string()};
  const std::size_t close = item.find(')');
  std::string action;
  if (close != npos && close > open) action = std::string(item.substr(open + 1, close - open - 1));
  return {std::string(item.substr(0, open)), action};
}

}  // namespace quillon
