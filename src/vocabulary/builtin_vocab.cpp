#include "vocabulary/builtin_vocab.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "vocabulary/atomic_file.h"
#include "vocabulary/vocab_file.h"

// Resources in a static library are only linked in when something calls their
// initialiser, which must be named at global scope.
static void load_builtin_resources() { Q_INIT_RESOURCE(builtin); }

namespace quillon {
namespace {

// Stands in the stored texts where the maker's home page goes; its address
// depends on the program folder.
constexpr std::string_view kHomePlaceholder = "{HOMEPAGE}";

struct Shipped {
  const char* file_name;
  const char* resource;
};

constexpr Shipped kVocabularies[] = {
    {"Windows.xml", ":/builtin/windows.xml"},
    {"帝国时代2.xml", ":/builtin/age_of_empires2.xml"},
    {"封神榜.xml", ":/builtin/fengshenbang.xml"},
    {"PowerPoint幻灯片播放.xml", ":/builtin/powerpoint.xml"},
    {"输入常用词汇和语句.xml", ":/builtin/stock_texts.xml"},
    {"点歌台.xml", ":/builtin/jukebox.xml"},
    {"IE浏览器.xml", ":/builtin/browser.xml"},
};

constexpr Shipped kPages[] = {
    {"quillon.htm", ":/builtin/quillon.htm"},
    {"quillon2.htm", ":/builtin/quillon2.htm"},
    {"ad1.htm", ":/builtin/ad1.htm"},
};

std::string resource(const char* name) {
  static const bool loaded = (load_builtin_resources(), true);
  (void)loaded;
  QFile file(QString::fromUtf8(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string in_folder(const std::string& folder, const char* file_name) { return folder + "/" + file_name; }

bool missing(const std::string& path) { return !QFileInfo::exists(QString::fromStdString(path)); }

const Shipped& page(LocalPage which) { return kPages[static_cast<int>(which)]; }

}  // namespace

std::vector<BuiltinVocabulary> builtin_vocabularies(const std::string& home_url) {
  std::vector<BuiltinVocabulary> out;
  for (const Shipped& shipped : kVocabularies) {
    std::string text = resource(shipped.resource);
    for (std::size_t at = text.find(kHomePlaceholder); at != std::string::npos;
         at = text.find(kHomePlaceholder, at + home_url.size())) {
      text.replace(at, kHomePlaceholder.size(), home_url);
    }
    out.push_back({shipped.file_name, std::move(text)});
  }
  return out;
}

std::vector<std::string> write_missing_builtin_vocabularies(const std::string& folder) {
  std::vector<std::string> failures;
  for (const BuiltinVocabulary& vocabulary : builtin_vocabularies(local_page_url(folder, LocalPage::home))) {
    const std::string path = folder + "/" + vocabulary.file_name;
    if (!missing(path)) continue;
    if (auto error = write_vocab_file(path, vocabulary.text)) failures.push_back(*error);
  }
  return failures;
}

std::string local_page_path(const std::string& folder, LocalPage which) {
  return in_folder(folder, page(which).file_name);
}

std::string local_page_url(const std::string& folder, LocalPage which) {
  const QString path = QDir(QString::fromStdString(folder)).absoluteFilePath(QString::fromUtf8(page(which).file_name));
  const QUrl file = QUrl::fromLocalFile(path);
  // The path's delimiters stay as a file URL writes them; everything else is
  // encoded, so no quote, "&", "<" or bracket can end an action or an attribute.
  const QByteArray encoded = QUrl::toPercentEncoding(file.path(QUrl::FullyDecoded), "/!$'()*+,:;=@");
  return ("file://" + file.host(QUrl::FullyEncoded).toUtf8() + encoded).toStdString();
}

std::vector<std::string> ensure_local_pages(const std::string& folder) {
  std::vector<std::string> failures;
  for (const Shipped& shipped : kPages) {
    const std::string path = in_folder(folder, shipped.file_name);
    if (!missing(path)) continue;
    if (auto error = replace_file(path, resource(shipped.resource))) {
      failures.push_back("无法保存文件“" + QDir::toNativeSeparators(QString::fromStdString(path)).toStdString() +
                         "”：" + *error);
    }
  }
  return failures;
}

}  // namespace quillon
