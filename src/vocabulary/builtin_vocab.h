#pragma once

// The seven vocabularies and the local pages shipped with the program. Their
// texts are resources (src/ui/builtin); they are written into the program
// folder only where missing, so nothing the user has edited is replaced.

#include <string>
#include <vector>

namespace quillon {

struct BuiltinVocabulary {
  std::string file_name;  // e.g. "Windows.xml"
  std::string text;       // UTF-8, CR LF after every line
};

// The seven in shipping order, with `home_url` as the maker's home page.
std::vector<BuiltinVocabulary> builtin_vocabularies(const std::string& home_url);

// Writes each of the seven files missing from `folder`, in order, as its text
// plus one CR LF in GBK. Returns one message (naming the file) per failure.
std::vector<std::string> write_missing_builtin_vocabularies(const std::string& folder);

enum class LocalPage {
  home,    // the maker's home page: what Quillon is and how to start
  banner,  // a second page of the maker, for the upper banner
  ad,      // "ad1.htm", shown in the window's browser panel
};

std::string local_page_path(const std::string& folder, LocalPage page);

// A file URL of the page, with no character that would end an action's
// brackets or quotes ("]", double quote, "<", "&" are percent-encoded).
std::string local_page_url(const std::string& folder, LocalPage page);

// Writes the pages missing from `folder` (UTF-8 HTML). Returns one message per failure.
std::vector<std::string> ensure_local_pages(const std::string& folder);

}  // namespace quillon
