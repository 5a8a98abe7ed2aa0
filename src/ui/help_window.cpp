#include "ui/help_window.h"

#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>

#include "core/texts.h"
#include "ui/main_window.h"

namespace quillon {
namespace {

// Download places named by the installation guide.
constexpr const char* kSdkAddress =
    "https://download.microsoft.com/download/speechSDK/SDK/5.1/WXP/EN-US/speechsdk51.exe";
constexpr const char* kLanguagePackAddress =
    "https://download.microsoft.com/download/speechSDK/SDK/5.1/WXP/EN-US/speechsdk51LangPack.exe";

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

QFont help_font() {
  QFont font("宋体");
  font.setPointSizeF(10.5);
  const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
  if (!families.contains("宋体") && !families.contains("SimSun")) {
    for (const char* fallback : {"Noto Serif CJK SC", "Noto Sans CJK SC", "WenQuanYi Micro Hei", "WenQuanYi Zen Hei"}) {
      if (families.contains(fallback)) {
        font.setFamily(fallback);
        break;
      }
    }
  }
  return font;
}

}  // namespace

std::string help_text(const HelpAddresses& addresses) {
  QFile file(":/help/help.txt");
  file.open(QIODevice::ReadOnly);
  std::string text = file.readAll().toStdString();
  replace_all(text, "{HOME}", addresses.home_page);
  replace_all(text, "{MAIL}", addresses.mail);
  replace_all(text, "{BEFORE_USE}", addresses.speech_platform ? text::kHelpBeforeUse : text::kHelpBeforeUseOwnEngine);
  replace_all(text, "{ENGINE}", text::kModelDownloadAddress);
  replace_all(text, "{SDK}", kSdkAddress);
  replace_all(text, "{LANGPACK}", kLanguagePackAddress);
  replace_all(text, "\n", "\r\n");
  return text;
}

HelpWindow::HelpWindow(const HelpAddresses& addresses) {
  setObjectName("Formhelp");
  setWindowTitle(text::kHelpTitle);
  setWindowIcon(QIcon(":/pictures/icon.svg"));
  resize(MainWindow::twips(11685), MainWindow::twips(7770));
  auto* box = new QPlainTextEdit(this);
  box->setObjectName("Text1");
  box->setGeometry(0, 0, MainWindow::twips(11700), MainWindow::twips(7815));
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box->setFont(help_font());
  std::string text = help_text(addresses);
  replace_all(text, "\r\n", "\n");
  text.pop_back();  // the last line end would show as an empty line
  box->setPlainText(QString::fromStdString(text));
}

void show_help_modal(const HelpAddresses& addresses) {
  HelpWindow window(addresses);
  window.setModal(true);
  window.exec();
}

}  // namespace quillon
