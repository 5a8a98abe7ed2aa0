#include "vocabulary/gbk.h"

#include <cstdio>

namespace quillon {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool is_lead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool is_trail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

// One code point of UTF-8 at `at`; malformed input reads as U+FFFD, one byte long.
char32_t next_code_point(std::string_view s, std::size_t at, std::size_t& length) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[at + k]); };
  const unsigned char b0 = byte(0);
  length = 1;
  if (b0 < 0x80) return b0;
  std::size_t n = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    n = 2, cp = b0 & 0x1Fu, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3, cp = b0 & 0x0Fu, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4, cp = b0 & 0x07u, min = 0x10000;
  } else {
    return 0xFFFD;
  }
  if (at + n > s.size()) return 0xFFFD;
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (byte(k) & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
  length = n;
  return cp;
}

std::string refusal_message(std::string_view character, char32_t cp) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
  return "文字中的“" + std::string(character) + "”（" + code + "）不能用 GBK 编码保存，请删去或换掉它。";
}

// Character by character: each byte that is not part of a character the
// platform reads becomes U+FFFD alone, and the byte after it is read afresh.
void decode_units(std::string_view bytes, GbkDecoded& out) {
  std::string piece;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out.text += static_cast<char>(b);
      ++i;
      continue;
    }
    std::size_t length = 1;
    if (is_lead(b)) {
      length = i + 1 < bytes.size() && is_trail(static_cast<unsigned char>(bytes[i + 1])) ? 2 : 0;
    }
    if (length > 0 && gbk_platform::decode_strict(bytes.substr(i, length), piece)) {
      out.text += piece;
      i += length;
    } else {
      out.text += kReplacement;
      ++out.bad_bytes;
      ++i;
    }
  }
}

}  // namespace

GbkDecoded gbk_decode(std::string_view bytes) {
  GbkDecoded out;
  if (gbk_platform::decode_strict(bytes, out.text)) return out;
  // Some bytes are bad. The spans between lead bytes without a trail byte are
  // still read in one go; only a span the platform refuses is read unit by unit.
  out.text.clear();
  std::string piece;
  const auto decode_span = [&](std::size_t from, std::size_t to) {
    const std::string_view span = bytes.substr(from, to - from);
    if (gbk_platform::decode_strict(span, piece)) {
      out.text += piece;
    } else {
      decode_units(span, out);
    }
  };
  std::size_t span = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (!is_lead(b)) {
      ++i;
    } else if (i + 1 < bytes.size() && is_trail(static_cast<unsigned char>(bytes[i + 1]))) {
      i += 2;
    } else {
      decode_span(span, i);
      out.text += kReplacement;
      ++out.bad_bytes;
      span = ++i;
    }
  }
  decode_span(span, bytes.size());
  return out;
}

GbkEncoded gbk_encode(std::string_view text) {
  GbkEncoded out;
  std::string piece;
  // Encodes text[from, to), a span without U+FFFD; on refusal finds the culprit.
  const auto encode_span = [&](std::size_t from, std::size_t to) {
    if (from == to) return true;
    if (gbk_platform::encode_strict(text.substr(from, to - from), piece)) {
      out.bytes += piece;
      return true;
    }
    for (std::size_t at = from, length = 0; at < to; at += length) {
      const char32_t cp = next_code_point(text, at, length);
      if (!gbk_platform::encode_strict(text.substr(at, length), piece)) {
        out.refused = cp;
        out.message = refusal_message(text.substr(at, length), cp);
        return false;
      }
    }
    out.message = "文字不能用 GBK 编码保存。";  // refused as a whole, though no single character was
    return false;
  };

  std::size_t span = 0;
  for (std::size_t at = 0, length = 0; at < text.size(); at += length) {
    if (next_code_point(text, at, length) != 0xFFFD) continue;
    if (!encode_span(span, at)) return {false, {}, out.refused, out.message};
    out.bytes += '?';
    span = at + length;
  }
  if (!encode_span(span, text.size())) return {false, {}, out.refused, out.message};
  out.ok = true;
  return out;
}

}  // namespace quillon
