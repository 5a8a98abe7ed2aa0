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
#include "input/display.h"
#include "input/messages_qt.h"
#include "input/waiter_qt.h"
#include "speech/engines.h"
#include "speech/wav_reader.h"
#include "ui/hands_free.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/microphone_box.h"
#include "ui/quit_signals.h"
#include "ui/settings_dialog.h"
#include "ui/settings_file.h"
#include "ui/teach_command.h"
#include "ui/teach_dialog.h"
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
  std::vector<std::string> teach;  // PHRASE=FILE.wav
  SettingValues settings;          // given for this run only
};

// Every option. The arguments are parsed once before any application object
// exists, to choose the kind of run, and again by the application of that run.
struct CommandLine {
  QCommandLineParser parser;
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption do_option{"do", "Carry out one action string and exit.", "ACTION"};
  const QCommandLineOption folder{"program-folder", "Where the vocabulary files live.", "DIR"};
  const QCommandLineOption recognizer{"recognizer", "The speech engine to use.", "NAME"};
  const QCommandLineOption list{"list-recognizers", "Print the speech engines that can run here."};
  const QCommandLineOption audio{"audio-file", "Listen to a WAV file instead of the microphone.", "WAV"};
  const QCommandLineOption exit_after{"exit-after-audio", "Quit once the audio file has been heard."};
  const QCommandLineOption models{"model-dir", "Where the speech models are.", "DIR"};
  const QCommandLineOption game{"game", "Choose this game at start.", "NAME"};
  const QCommandLineOption listen{"listen", "Start the voice commands of the chosen game."};
  const QCommandLineOption no_intro{"no-intro", "Skip the start-up advice and the home page."};
  const QCommandLineOption teach{"teach",
                                 "Teach your pronunciation of PHRASE from the recording FILE.wav, without the window; "
                                 "repeatable. Prints what each take was heard as and whether it was kept.",
                                 "PHRASE=FILE.wav"};

  CommandLine() {
    parser.setApplicationDescription(
        "Quillon: voice commands for games and applications.\n"
        "--help, --version, --list-recognizers and --teach need no display; the window and --do need one.");
    parser.addOptions({do_option, folder, recognizer, list, audio, exit_after, models, game, listen, no_intro, teach});
    for (const SettingField& field : setting_fields()) {
      if (field.option) parser.addOption(QCommandLineOption(field.option, field.option_help, field.option_value));
    }
  }

  // Runs that only answer on the console, so that they work over SSH, in
  // scripts and in package checks. Valid once the arguments are parsed.
  bool needs_display() const {
    return !parser.isSet(help) && !parser.isSet("help-all") && !parser.isSet(version) && !parser.isSet(list) &&
           !parser.isSet(teach);
  }

  Options options() const {
    Options o;
    o.settings = settings_from_command_line([this](const char* option) {
      std::vector<std::string> given;
      for (const QString& value : parser.values(QString::fromLatin1(option))) given.push_back(value.toStdString());
      return given;
    });
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
    for (const QString& value : parser.values(teach)) o.teach.push_back(value.toStdString());
    return o;
  }
};

QStringList arguments_of(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(QString::fromLocal8Bit(argv[i]));
  return arguments;
}

// A platform or display named for Qt (offscreen, say) is Qt's to open; only
// what it would choose itself is checked before it tries.
bool qt_display_named(const QStringList& arguments) {
  const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
  if (!platform.isEmpty() && !platform.startsWith("xcb")) return true;
  for (const char* qt_option : {"-platform", "--platform", "-display", "--display"}) {
    if (arguments.contains(QLatin1String(qt_option))) return true;
  }
  return false;
}

void name_application() {
  QCoreApplication::setApplicationName(text::kAppTitle);
  QCoreApplication::setApplicationVersion(QUILLON_VERSION);
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

// Teaching from recordings: the engine is made only once every argument was found good.
int teach_on_console(const Options& o, const EngineOptions& engine_options) {
  FolderStore store(engine_options.program_folder);
  TaughtVoiceFile taught(engine_options.program_folder);
  const TeachRun run = teach_from_recordings(o.teach, store, taught, [&](std::string& why) {
    std::string log;
    std::unique_ptr<Recognizer> engine = make_recognizer(o.recognizer, engine_options, log);
    std::fprintf(stderr, "quillon: %s\n", log.c_str());
    SpeechStatus status = engine ? engine->create_context() : SpeechStatus::failure(log);
    if (status.ok) status = engine->init_grammar();
    if (status.ok) return engine;
    why = status.error;
    return std::unique_ptr<Recognizer>();
  });
  std::fputs(run.out.c_str(), stdout);
  std::fputs(run.err.c_str(), stderr);
  return run.status;
}

// What a run without a display does once --help and --version are answered.
int run_on_console(const Options& o) {
  const SettingsKeeper settings = load_settings(settings_file_path(), o.settings);
  if (!o.teach.empty()) return teach_on_console(o, engine_options_for(o, settings.current()));
  for (const std::string& name : available_engines(engine_options_for(o, settings.current()))) {
    std::printf("%s\n", name.c_str());
  }
  return 0;
}

// The window and everything it works with, made in the order they need
// each other: the hands-free parts before the engine, which asks them whether
// to decode; the window logic last.
class WindowProgram {
 public:
  WindowProgram(QApplication& app, const Options& o)
      : app_(app),
        options_(o),
        settings_(load_settings(settings_file_path(), o.settings)),
        engine_options_(engine_options_for(o, settings_.current())),
        hands_free_(make_hands_free_watchers(), hands_free_hooks()),
        store_(engine_options_.program_folder),
        platform_{desktop_.input ? *desktop_.input : no_input_,
                  *desktop_.shell,
                  *desktop_.browsers,
                  *desktop_.processes,
                  *desktop_.clipboard,
                  messages_,
                  waiter_} {
    std::fprintf(stderr, "quillon: %s\n", desktop_.description.c_str());
    hands_free_.apply(settings_.current());
    engine_options_.decoding = [this] { return hands_free_.decoding(); };
    std::string log;
    recognizer_ = make_recognizer(o.recognizer, engine_options_, log);
    std::fprintf(stderr, "quillon: %s\n", log.c_str());
    controller_ = std::make_unique<MainController>(window_, recognizer_.get(), store_, platform_);
    controller_->set_observer(&hands_free_);
    controller_->set_taught_voice_store(&taught_file_);
    controller_->set_teacher(
        [this](const TeachRequest& request) { return run_teach_dialog(&window_, request, open_microphone()); });
    wire_window();
  }

  int run() {
    // Inside the event loop, so that a signal also ends the start-up's message boxes.
    QTimer::singleShot(0, &window_, [this] { start(); });
    return app_.exec();
  }

 private:
  static HandsFreeWatchers make_hands_free_watchers() {
    std::string log;
    HandsFreeWatchers watchers{make_hotkey_watcher(log), make_focus_watcher(log)};
    if (!log.empty()) std::fprintf(stderr, "quillon: %s\n", log.c_str());
    return watchers;
  }

  HandsFreeHooks hands_free_hooks() {
    HandsFreeHooks hooks;
    hooks.toggle_voice_commands = [this] { controller_->toggle_voice_commands(); };
    hooks.use_game = [this](const std::string& game) { return controller_->use_game(game); };
    hooks.choose_game = [this](const std::string& game) { controller_->choose_game(game); };
    hooks.show_window = [this] {
      window_.showNormal();
      window_.raise();
      window_.activateWindow();
    };
    hooks.quit = [this] { quit(); };
    // Said where the player looks: the echo, over the game.
    hooks.toggle_by_key = [this] {
      if (const std::optional<std::string> refusal = controller_->voice_commands_refusal()) {
        hands_free_.echo().show_heard(*refusal, "");
      } else {
        controller_->toggle_voice_commands();
      }
    };
    return hooks;
  }

  void wire_window() {
    HelpAddresses help;
    help.home_page = store_.home_page_address();
    help.speech_platform = set_up_by_speech_platform(recognizer_.get());
    window_.connect_controller(*controller_, composer_hooks(store_.folder(), messages_, help));
    connect_microphone(window_.microphone_box(), recognizer_.get(), settings_);
    window_.set_on_settings([this] { edit_settings(); });
    window_.set_on_close([this] {
      if (settings_.current().close_to_tray && hands_free_.tray().shown()) return false;
      waiter_.quit_all();
      return true;
    });
    install_quit_signal_handler([this] { quit(); });
    if (options_.exit_after_audio) {
      controller_->set_on_audio_finished([this] { app_.quit(); });
      // Nobody waits for a message box in such a run, should the file have
      // become unusable since the start; the log has said what is wrong.
      controller_->set_on_audio_unusable([this] {
        waiter_.quit_all();
        app_.exit(1);
      });
    }
  }

  // The teaching dialog records through the microphone the window listens
  // with: the audio file of the command line, else the chosen capture device.
  OpenMicrophone open_microphone() {
    return [this](std::string& error) -> std::unique_ptr<AudioSource> {
      if (!options_.audio_file.empty()) {
        WavAudio wav = read_wav_16k_mono(options_.audio_file);
        if (!wav.ok) return error = wav.error, nullptr;
        return std::make_unique<FileAudioSource>(std::move(wav.samples));
      }
      return open_capture_device(settings_.current().capture_device, error);
    };
  }

  // exit() rather than quit(): it ends every nested loop at once (message
  // boxes, dialogs, waits) and no window can refuse it.
  void quit() {
    waiter_.quit_all();
    app_.exit(0);
  }

  void edit_settings() {
    const SettingsEdit edit =
        quillon::edit_settings(&window_, settings_, controller_->game_names(), window_list_.get());
    if (!edit.accepted) return;
    hands_free_.apply(settings_.current());
    if (edit.write_failure) messages_.inform(text::kAppTitle, text::kSettingsNotWritten + *edit.write_failure);
  }

  void start() {
    controller_->start_up(options_.intro);
    if (waiter_.quitting()) return;
    window_.show();
    if (!options_.game.empty() && !controller_->open_game_at_start(options_.game, options_.listen)) {
      std::fprintf(stderr, "quillon: no game named %s\n", options_.game.c_str());
    }
  }

  QApplication& app_;
  const Options& options_;
  SettingsKeeper settings_;
  EngineOptions engine_options_;
  MainWindow window_;
  HandsFree hands_free_;
  std::unique_ptr<WindowList> window_list_ = make_window_list();
  DesktopAdapters desktop_ = make_desktop_adapters();
  NoInput no_input_;
  QtWaiter waiter_;
  QtMessages messages_;
  FolderStore store_;
  TaughtVoiceFile taught_file_{engine_options_.program_folder};
  Platform platform_;
  std::unique_ptr<Recognizer> recognizer_;
  std::unique_ptr<MainController> controller_;
};

}  // namespace

int main(int argc, char** argv) {
  CommandLine command_line;
  const QStringList arguments = arguments_of(argc, argv);
  const bool parsed = command_line.parser.parse(arguments);
  const bool console_only = parsed && !command_line.needs_display();
  std::optional<DisplayCheck> display;
  if (!console_only && !qt_display_named(arguments)) display.emplace();
  const bool no_display = display && display->problem();
  // A command line that does not parse may hold Qt's own options, which only
  // the GUI application takes out; without a display it is refused at once.
  if (console_only || (!parsed && no_display)) {
    QCoreApplication console(argc, argv);
    name_application();
    command_line.parser.process(console);  // answers --help and --version, or refuses the command line
    return run_on_console(command_line.options());
  }
  if (no_display) {
    std::fprintf(stderr, "quillon: no display found (%s); the window and --do need one\n", display->problem()->c_str());
    return 1;
  }
  QApplication app(argc, argv);
  display.reset();
  name_application();
  command_line.parser.process(app);
  const Options options = command_line.options();
  if (options.run_action) return run_one_action(app, options.action);
  // An automated run with a recording that cannot be used ends before the
  // speech engine spends a second starting; the engine reads the file again.
  if (options.exit_after_audio && !options.audio_file.empty()) {
    if (const WavAudio wav = read_wav_16k_mono(options.audio_file); !wav.ok) {
      std::fprintf(stderr, "quillon: cannot listen to %s\n", wav.error.c_str());
      return 1;
    }
  }
  WindowProgram program(app, options);
  return program.run();
}
