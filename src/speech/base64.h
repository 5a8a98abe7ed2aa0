#pragma once

// Bytes as printable text for the taught-voice file, and back.

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

std::string to_base64(std::string_view bytes);
// Nullopt unless `text` is whole base64 (padded with '=' to a multiple of 4).
std::optional<std::string> from_base64(std::string_view text);

}  // namespace quillon
