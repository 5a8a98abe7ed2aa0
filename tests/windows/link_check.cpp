// Links every Windows adapter and the speech engine into one program, so that a
// missing definition or library shows up at build time. Nothing runs: each call
// sits behind a condition no real invocation meets.

#include <cstdio>
#include <string>

#include "input/desktop.h"
#include "speech/sapi_recognizer.h"

namespace {

class PrintingListener : public quillon::RecognitionListener {
 public:
  void on_recognition(const std::string& text) override { std::printf("recognition %s\n", text.c_str()); }
  void on_false_recognition() override { std::printf("false recognition\n"); }
};

void use_desktop(quillon::DesktopAdapters& desktop) {
  desktop.input->key_down(0x11);
  desktop.input->key_up(0x11);
  desktop.input->mouse(0x02 | 0x04, 0, 0);
  desktop.shell->open("https://example.com/");
  if (desktop.browsers->count() > 0) desktop.browsers->navigate_first("https://example.com/");
  desktop.processes->start("notepad.exe");
  desktop.clipboard->set_text("你好");
  quillon::wait_until_clipboard_served(*desktop.clipboard, 2.0);
}

void use_recognizer(quillon::Recognizer& recognizer) {
  PrintingListener listener;
  recognizer.set_listener(&listener);
  recognizer.create_context();
  for (const std::string& name : recognizer.recognizer_names()) std::printf("%s\n", name.c_str());
  recognizer.init_grammar();
  recognizer.add_event_interest(quillon::SpeechEvent::Recognition);
  recognizer.add_event_interest(quillon::SpeechEvent::FalseRecognition);
  recognizer.load_grammar("game.xml");
  recognizer.set_rules_active(true);
  recognizer.set_rules_active(false);
  recognizer.set_listener(nullptr);
}

}  // namespace

int main(int argc, char**) {
  if (argc > 99) {
    quillon::DesktopAdapters desktop = quillon::make_desktop_adapters();
    std::printf("%s\n", desktop.description.c_str());
    use_desktop(desktop);
    std::string log;
    auto recognizer = quillon::make_sapi_recognizer(log);
    use_recognizer(*recognizer);
  }
  return 0;
}
