// GBK through Qt's converters, which ICU backs on Debian ("GBK" there is the
// code page 936 table of Windows, so both platforms read a file alike).

#include <QStringDecoder>
#include <QStringEncoder>

#include "vocabulary/gbk.h"

namespace quillon::gbk_platform {

bool decode_strict(std::string_view gbk, std::string& utf8) {
  QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
  if (!decoder.isValid()) return false;
  const QString text = decoder.decode(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
  // ICU substitutes U+FFFD for what it cannot read; GBK itself has no such character.
  if (decoder.hasError() || text.contains(QChar::ReplacementCharacter)) return false;
  utf8 = text.toStdString();
  return true;
}

bool encode_strict(std::string_view utf8, std::string& gbk) {
  QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
  if (!encoder.isValid()) return false;
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  if (text.contains(QChar::ReplacementCharacter)) return false;
  const QByteArray bytes = encoder.encode(text);
  // ICU writes "?" for a character it lacks and flags it.
  if (encoder.hasError()) return false;
  gbk.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return true;
}

}  // namespace quillon::gbk_platform
