#include "speech/grammar_file.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace quillon {
namespace {

GrammarParse refuse(const QString& why) { return {SpeechStatus::failure(why.toStdString()), {}}; }

// The encoding named in the XML declaration, or empty when the file has none
// (XML then means UTF-8). The declaration itself is plain ASCII in every
// encoding we accept, so it can be read before decoding.
QByteArray declared_encoding(const QByteArray& bytes) {
  const QByteArray head = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
  if (!head.startsWith("<?xml")) return {};
  const qsizetype end = head.indexOf("?>");
  if (end < 0) return {};
  static const QRegularExpression kEncoding(QStringLiteral("\\sencoding\\s*=\\s*[\"']([^\"']*)[\"']"));
  const QRegularExpressionMatch m = kEncoding.match(QString::fromLatin1(head.left(end)));
  return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
}

// Maps a declared encoding to a decoder name. GB2312 files written on a
// Chinese Windows are really code page 936, which is GBK.
QByteArray decoder_name(const QByteArray& declared) {
  const QByteArray name = declared.toLower();
  if (name.isEmpty() || name == "utf-8" || name == "utf8") return "UTF-8";
  if (name == "gb2312" || name == "gbk" || name == "cp936" || name == "windows-936") return "GBK";
  return {};
}

QString where(const QXmlStreamReader& xml) {
  return QStringLiteral("line %1, column %2").arg(xml.lineNumber()).arg(xml.columnNumber());
}

// The platform reads a phrase as words: surrounding blanks are not part of it,
// and a leading "+" only marks the first word.
QString phrase_text(QString text) {
  text = text.trimmed();
  if (text.startsWith(u'+')) text = text.mid(1).trimmed();
  return text;
}

}  // namespace

GrammarParse parse_grammar_bytes(const std::string& raw) {
  const QByteArray bytes = QByteArray::fromRawData(raw.data(), static_cast<qsizetype>(raw.size()));

  const QByteArray declared = declared_encoding(bytes);
  const QByteArray codec = decoder_name(declared);
  if (codec.isEmpty()) return refuse(QStringLiteral("unsupported encoding \"%1\"").arg(QString::fromLatin1(declared)));

  QStringDecoder decoder(codec.constData(), QStringConverter::Flag::Stateless);
  const QString text = decoder.decode(bytes);
  if (decoder.hasError())
    return refuse(QStringLiteral("the file is not valid %1 text")
                      .arg(QString::fromLatin1(declared.isEmpty() ? codec : declared)));

  // Walks the whole document so that any markup error anywhere refuses the
  // file, collecting the phrases of the lists of top-level rules on the way.
  QXmlStreamReader xml(text);
  std::vector<std::string> phrases;
  QSet<QString> seen;
  int depth = 0;
  int rules = 0;
  bool root_checked = false;
  int toplevel_rule_depth = 0;  // depth of the open top-level RULE, 0 when outside one
  int list_depth = 0;           // depth of the open L inside it
  while (!xml.atEnd()) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::StartElement) {
      ++depth;
      const QStringView name = xml.name();
      if (!root_checked) {
        root_checked = true;
        if (name != u"GRAMMAR")
          return refuse(QStringLiteral("%1: the root element is <%2>, not <GRAMMAR>").arg(where(xml), name.toString()));
      }
      if (name == u"RULE" && depth == 2) {
        ++rules;
        if (xml.attributes().hasAttribute(QStringLiteral("TOPLEVEL"))) toplevel_rule_depth = depth;
      } else if (name == u"L" && toplevel_rule_depth != 0 && list_depth == 0) {
        list_depth = depth;
      } else if (name == u"P" && list_depth != 0 && depth == list_depth + 1) {
        const QString phrase = phrase_text(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        --depth;  // readElementText consumed the end tag
        if (xml.hasError()) break;
        if (!phrase.isEmpty() && !seen.contains(phrase)) {
          seen.insert(phrase);
          phrases.push_back(phrase.toStdString());
        }
      }
    } else if (token == QXmlStreamReader::EndElement) {
      if (depth == list_depth) list_depth = 0;
      if (depth == toplevel_rule_depth) toplevel_rule_depth = 0;
      --depth;
    }
  }
  if (xml.hasError()) {
    return refuse(QStringLiteral("%1: %2").arg(where(xml), xml.errorString()));
  }
  if (!root_checked) return refuse(QStringLiteral("the file holds no XML element"));
  if (rules == 0) return refuse(QStringLiteral("the grammar has no <RULE>"));
  return {SpeechStatus::success(), std::move(phrases)};
}

GrammarParse parse_grammar_file(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    return refuse(QStringLiteral("cannot open %1: %2").arg(file.fileName(), file.errorString()));
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    return refuse(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
  }
  GrammarParse parse = parse_grammar_bytes(bytes.toStdString());
  if (!parse.status.ok) parse.status.error = path + ": " + parse.status.error;
  return parse;
}

}  // namespace quillon
