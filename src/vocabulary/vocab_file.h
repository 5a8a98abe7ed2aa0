#pragma once

// Reading and writing vocabulary files: GBK on disk, UTF-8 in memory. Paths
// are UTF-8. Every error message is Chinese, names the file, and is meant to
// be shown to the user under "提示".

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

struct VocabRead {
  bool ok = false;
  std::string text;           // all bytes of the file, decoded
  std::size_t bad_bytes = 0;  // bytes shown as U+FFFD; warn with bad_bytes_warning()
  std::string error;          // when !ok
};

// Reads the whole file at `path` and decodes it from GBK.
VocabRead read_vocab_file(const std::string& path);

// The one warning for a file read with bad bytes.
std::string bad_bytes_warning(const std::string& path);

// Writes `text` followed by one CR LF, in GBK, replacing the file at once.
// Returns an error (and writes nothing) when GBK cannot hold the text or the
// file cannot be replaced; the old file then stays as it was.
std::optional<std::string> write_vocab_file(const std::string& path, std::string_view text);

// As write_vocab_file, but writes `text` exactly, without the extra line end.
std::optional<std::string> write_gbk_file(const std::string& path, std::string_view text);

}  // namespace quillon
