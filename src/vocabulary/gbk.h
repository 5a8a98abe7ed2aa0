#pragma once

// GBK (code page 936) to and from UTF-8, using the platform's own converter.
// Both directions behave the same on every platform: the byte structure of
// GBK is walked here, and the platform only converts runs it accepts whole.

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

struct GbkDecoded {
  std::string text;           // UTF-8
  std::size_t bad_bytes = 0;  // bytes that were not part of a GBK character
};

// Decodes all of `bytes`. Each byte that does not start or end a GBK character
// becomes one U+FFFD; a lead byte whose pair is unknown counts alone, and the
// byte after it is decoded afresh.
GbkDecoded gbk_decode(std::string_view bytes);

struct GbkEncoded {
  bool ok = false;
  std::string bytes;     // GBK, when ok
  char32_t refused = 0;  // when !ok: the first character GBK cannot hold
  std::string message;   // when !ok: Chinese text for the user, naming it
};

// Encodes UTF-8 `text`; every U+FFFD (a byte that was unreadable when the
// text was loaded) is stored as "?". Invalid UTF-8 counts as U+FFFD.
GbkEncoded gbk_encode(std::string_view text);

namespace gbk_platform {
// Converts the whole of `in`, or fails without partial output when any part
// of it has no counterpart. Implemented once per platform.
bool decode_strict(std::string_view gbk, std::string& utf8);
bool encode_strict(std::string_view utf8, std::string& gbk);
}  // namespace gbk_platform

}  // namespace quillon
