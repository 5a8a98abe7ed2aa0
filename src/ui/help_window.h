#pragma once

// Formhelp: the help window with the full help text.

#include <QDialog>
#include <string>

namespace quillon {

struct HelpAddresses {
  std::string home_page;
  std::string mail = "quillon@example.com";
  // The engine in use is set up in the Windows speech platform's Control
  // Panel (see Recognizer); otherwise the help describes Quillon's own steps.
  bool speech_platform = false;
};

// The help text, lines joined by CR LF with one after the last line.
std::string help_text(const HelpAddresses& addresses);

class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit HelpWindow(const HelpAddresses& addresses);
};

// Creates the help window afresh and waits until the user closes it.
void show_help_modal(const HelpAddresses& addresses);

}  // namespace quillon
