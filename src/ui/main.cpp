#include <QApplication>
#include <QCommandLineParser>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

#include "commands/executor.h"
#include "core/main_controller.h"
#include "core/texts.h"
#include "input/desktop.h"
#include "input/messages_qt.h"
#include "input/waiter_qt.h"
#include "speech/engines.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/microphone_box.h"
#include "ui/quit_signals.h"
#include "ui/settings_file.h"
#include "vocabulary/folder_store.h"
#include "vocabulary/program_folder.h"

namespace {

using namespace quillon;

constexpr double kClipboardServeTimeout = 2.0;

struct Options {
  QString action;
  bool run_action = false;
  std::string program_folder, recognizer, audio_file, model_dir, game;
  bool exit_after_audio = false, list_recognizers = false, listen = false, intro = true;
  SettingValues settings;  // given for this run only
};

Options parse_options(QCoreApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription("Quillon: voice commands for games and applications.");
  parser.addHelpOption();
  const QCommandLineOption do_option("do", "Carry out one action string and exit.", "ACTION");
  const QCommandLineOption folder("program-folder", "Where the vocabulary files live.", "DIR");
  const QCommandLineOption recognizer("recognizer", "The speech engine to use.", "NAME");
  const QCommandLineOption list("list-recognizers", "Print the speech engines that can run here.");
  const QCommandLineOption audio("audio-file", "Listen to a WAV file instead of the microphone.", "WAV");
  const QCommandLineOption exit_after("exit-after-audio", "Quit once the audio file has been heard.");
  const QCommandLineOption models("model-dir", "Where the speech models are.", "DIR");
  const QCommandLineOption game("game", "Choose this game at start.", "NAME");
  const QCommandLineOption listen("listen", "Start the voice commands of the chosen game.");
  const QCommandLineOption no_intro("no-intro", "Skip the start-up advice and the home page.");
  parser.addOptions({do_option, folder, recognizer, list, audio, exit_after, models, game, listen, no_intro});
  std::vector<std::pair<const char*, QCommandLineOption>> setting_options;
  for (const SettingField& field : setting_fields()) {
    if (!field.option) continue;
    setting_options.emplace_back(field.key, QCommandLineOption(field.option, field.option_help, field.option_value));
    parser.addOption(setting_options.back().second);
  }
  parser.process(app);
  Options o;
  for (const auto& [key, option] : setting_options) {
    if (parser.isSet(option)) o.settings[key] = parser.value(option).toStdString();
  }
  o.run_action = parser.isSet(do_option);
  o.action = parser.value(do_option);
  o.program_folder = parser.value(folder).toStdString();
  o.recognizer = parser.value(recognizer).toStdString();
  o.list_recognizers = parser.isSet(list);
  o.audio_file = parser.value(audio).toStdString();
  o.exit_after_audio = parser.isSet(exit_after);
  o.model_dir = parser.value(models).toStdString();
  o.game = parser.value(game).toStdString();
  o.listen = parser.isSet(listen);
  o.intro = !parser.isSet(no_intro);
  return o;
}

// Carries out one action string on the desktop as a recognised phrase would,
// then quits once any pasted text has been read.
int run_one_action(QApplication& app, const QString& action_text) {
  DesktopAdapters desktop = make_desktop_adapters();
  std::fprintf(stderr, "quillon: %s\n", desktop.description.c_str());
  if (!desktop.input) return 1;
  QtWaiter waiter;
  QtMessages messages;
  Executor executor(Platform{*desktop.input, *desktop.shell, *desktop.browsers, *desktop.processes, *desktop.clipboard,
                             messages, waiter});
  install_quit_signal_handler([&] {
    waiter.quit_all();
    app.exit(3);
  });
  const ActionPlan plan = read_action(action_text.toStdString());
  const auto* commands = std::get_if<CommandPlan>(&plan);
  const bool pastes = commands && commands->write && commands->bracket_text;
  QTimer::singleShot(0, &app, [&] {
    executor.run(plan);
    if (!waiter.quitting() && pastes) desktop.clipboard->wait_until_served(kClipboardServeTimeout);
    if (!waiter.quitting()) app.exit(0);
  });
  return app.exec();
}

// Input that goes nowhere, for a desktop without the XTest extension: the
// window still works for editing.
class NoInput : public InputInjector {
 public:
  void key_down(std::uint8_t) override {}
  void key_up(std::uint8_t) override {}
  void mouse(std::uint32_t, int, int) override {}
};

ComposerHooks composer_hooks(const std::string& folder, Messages& messages, const HelpAddresses& help) {
  ComposerHooks hooks;
  hooks.choose_file = [folder]() -> std::optional<QString> {
    QFileDialog dialog(nullptr, text::kOpenFileTitle, QString::fromStdString(folder), text::kAllFilesFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
  };
  hooks.is_program = [](const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
  };
  hooks.show_help = [help] { show_help_modal(help); };
  hooks.show_note = [&messages](const std::string& note) { messages.inform(text::kPromptTitle, note); };
  return hooks;
}

EngineOptions engine_options_for(const Options& o, const Settings& settings) {
  EngineOptions engine_options;
  engine_options.executable_folder = QCoreApplication::applicationDirPath().toStdString();
  engine_options.program_folder = resolve_program_folder(o.program_folder, engine_options.executable_folder);
  engine_options.model_dir = o.model_dir;
  engine_options.audio_file = o.audio_file;
  engine_options.exit_after_audio = o.exit_after_audio;
  engine_options.capture_device = settings.capture_device;
  engine_options.match = settings.match == "anywhere" ? MatchMode::anywhere : MatchMode::alone;
  engine_options.tuning = settings.tuning;
  engine_options.post_to_gui = [](std::function<void()> work) {
    QMetaObject::invokeMethod(qApp, std::move(work), Qt::QueuedConnection);
  };
  return engine_options;
}

int list_recognizers(const Options& o) {
  const SettingsKeeper settings = load_settings(settings_file_path(), o.settings);
  for (const std::string& name : available_engines(engine_options_for(o, settings.current()))) {
    std::printf("%s\n", name.c_str());
  }
  return 0;
}

void start_window(MainWindow& window, MainController& controller, const QtWaiter& waiter, const Options& o) {
  controller.start_up(o.intro);
  if (waiter.quitting()) return;
  window.show();
  if (!o.game.empty() && !controller.open_game_at_start(o.game, o.listen)) {
    std::fprintf(stderr, "quillon: no game named %s\n", o.game.c_str());
  }
}

int run_window(QApplication& app, const Options& o) {
  SettingsKeeper settings = load_settings(settings_file_path(), o.settings);
  const EngineOptions engine_options = engine_options_for(o, settings.current());
  std::string log;
  std::unique_ptr<Recognizer> recognizer = make_recognizer(o.recognizer, engine_options, log);
  std::fprintf(stderr, "quillon: %s\n", log.c_str());

  DesktopAdapters desktop = make_desktop_adapters();
  std::fprintf(stderr, "quillon: %s\n", desktop.description.c_str());
  NoInput no_input;
  QtWaiter waiter;
  QtMessages messages;
  FolderStore store(engine_options.program_folder);
  MainWindow window;
  Platform platform{desktop.input ? *desktop.input : no_input,
                    *desktop.shell,
                    *desktop.browsers,
                    *desktop.processes,
                    *desktop.clipboard,
                    messages,
                    waiter};
  MainController controller(window, recognizer.get(), store, platform);
  window.connect_controller(controller, composer_hooks(store.folder(), messages, {store.home_page_address()}));
  connect_microphone(window.microphone_box(), recognizer.get(), settings);
  window.set_on_close([&] { waiter.quit_all(); });
  // exit() rather than quit(): it ends every nested loop at once (message
  // boxes, dialogs, waits) and no window can refuse it.
  install_quit_signal_handler([&] {
    waiter.quit_all();
    app.exit(0);
  });
  if (o.exit_after_audio) controller.set_on_audio_finished([&app] { app.quit(); });
  // Inside the event loop, so that a signal also ends the start-up's message boxes.
  QTimer::singleShot(0, &window, [&] { start_window(window, controller, waiter, o); });
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  // Listing the engines needs no display.
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--list-recognizers") {
      QCoreApplication console(argc, argv);
      return list_recognizers(parse_options(console));
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(text::kAppTitle);
  const Options options = parse_options(app);
  if (options.run_action) return run_one_action(app, options.action);
  return run_window(app, options);
}
