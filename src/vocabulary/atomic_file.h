#pragma once

// Replacing a file all at once, so a crash, a full disk or a kill leaves
// either the old file or the new one, never a truncated one.

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The last step of a replacement: moves `from` over `to`. Returns false on failure.
using RenameStep = bool (*)(const std::string& from, const std::string& to);

// Writes `bytes` to a new file in the folder of `path` (UTF-8), flushes it to
// disk and renames it over `path`. On failure the old file is untouched, the
// new one is removed, and the result holds the system's reason. `rename` is
// the system's rename unless given (tests make it fail).
std::optional<std::string> replace_file(const std::string& path, std::string_view bytes, RenameStep rename = nullptr);

}  // namespace quillon
