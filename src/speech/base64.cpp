#include "speech/base64.h"

#include <algorithm>
#include <array>

namespace quillon {
namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int base64_value(char c) {
  static const std::array<signed char, 256> values = [] {
    std::array<signed char, 256> v{};
    v.fill(-1);
    for (int k = 0; k < 64; ++k) v[static_cast<unsigned char>(kBase64[k])] = static_cast<signed char>(k);
    return v;
  }();
  return values[static_cast<unsigned char>(c)];
}

}  // namespace

std::string to_base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = std::min<std::size_t>(3, bytes.size() - i);
    unsigned value = 0;
    for (std::size_t k = 0; k < 3; ++k)
      value = (value << 8) | (k < left ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (std::size_t k = 0; k < 4; ++k) out.push_back(k <= left ? kBase64[(value >> (18 - 6 * k)) & 63] : '=');
  }
  return out;
}

std::optional<std::string> from_base64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    unsigned value = 0;
    std::size_t padding = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const char c = text[i + k];
      const bool pad = c == '=' && i + 4 == text.size() && k >= 2;
      if (!pad && padding > 0) return std::nullopt;
      const int v = pad ? 0 : base64_value(c);
      if (v < 0) return std::nullopt;
      padding += pad ? 1 : 0;
      value = (value << 6) | static_cast<unsigned>(v);
    }
    for (std::size_t k = 0; k < 3 - padding; ++k) bytes.push_back(static_cast<char>((value >> (16 - 8 * k)) & 0xFF));
  }
  return bytes;
}

}  // namespace quillon
