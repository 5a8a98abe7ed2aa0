// Links every Windows adapter and the speech engine into one program, so that a
// missing definition or library shows up at build time. Nothing runs: each call
// sits behind a condition no real invocation meets.

#include <cstdio>
#include <string>

#include "commands/hotkey.h"
#include "input/desktop.h"
#include "input/desktop_windows.h"
#include "input/hotkey_watcher.h"
#include "speech/sapi/sapi_recognizer.h"

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
  desktop.clipboard->wait_until_served(2.0);
}

void use_hands_free() {
  std::string log;
  auto hotkey = quillon::make_hotkey_watcher(log);
  hotkey->watch(*quillon::read_hotkey("MB8"), [](bool down) { std::printf("%d\n", down); });
  hotkey->stop();
  auto focus = quillon::make_focus_watcher(log);
  focus->start([](const quillon::WindowInfo& window) { std::printf("%s\n", window.window_class.c_str()); });
  focus->stop();
  for (const quillon::WindowInfo& window : quillon::make_window_list()->windows()) {
    std::printf("%s %s\n", window.program.c_str(), window.title.c_str());
  }
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
    use_hands_free();
    std::string log;
    auto recognizer = quillon::make_sapi_recognizer(log);
    use_recognizer(*recognizer);
  }
  return 0;
}
