#include "vocabulary/vocab_file.h"

#include <QDir>
#include <QFile>

#include "vocabulary/atomic_file.h"
#include "vocabulary/gbk.h"

namespace quillon {
namespace {

std::string shown(const std::string& path) {
  return QDir::toNativeSeparators(QString::fromStdString(path)).toStdString();
}

}  // namespace

VocabRead read_vocab_file(const std::string& path) {
  VocabRead out;
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    out.error = "无法读取文件“" + shown(path) + "”：" + file.errorString().toStdString();
    return out;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    out.error = "无法读取文件“" + shown(path) + "”：" + file.errorString().toStdString();
    return out;
  }
  GbkDecoded decoded = gbk_decode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  out.ok = true;
  out.text = std::move(decoded.text);
  out.bad_bytes = decoded.bad_bytes;
  return out;
}

std::string bad_bytes_warning(const std::string& path) {
  return "文件“" + shown(path) + "”中有不能识别的字节，它们显示为“\xEF\xBF\xBD”，下次保存时将存为“?”。";
}

std::optional<std::string> write_gbk_file(const std::string& path, std::string_view text) {
  const GbkEncoded encoded = gbk_encode(text);
  if (!encoded.ok) return encoded.message + "文件“" + shown(path) + "”没有改动。";
  if (auto error = replace_file(path, encoded.bytes)) {
    return "无法保存文件“" + shown(path) + "”：" + *error;
  }
  return std::nullopt;
}

std::optional<std::string> write_vocab_file(const std::string& path, std::string_view text) {
  std::string with_line_end(text);
  with_line_end += "\r\n";
  return write_gbk_file(path, with_line_end);
}

}  // namespace quillon
