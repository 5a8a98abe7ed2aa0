#pragma once

// The dialog that teaches Quillon the user's pronunciation of one phrase: it
// records take after take through the chosen microphone, with its level in
// view, and after each take shows what was heard and whether it was kept.
// Recording and judging run off the GUI thread, so the window never freezes.

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/main_controller.h"
#include "speech/audio_source.h"
#include "speech/take_recorder.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quillon {

// Opens the microphone for one take: the capture device chosen in the window,
// or the audio file of the command line. Null, with `error` set, when it
// cannot be opened.
using OpenMicrophone = std::function<std::unique_ptr<AudioSource>(std::string& error)>;

class TeachDialog : public QDialog {
  Q_OBJECT

 public:
  TeachDialog(TeachRequest request, OpenMicrophone open_microphone, QWidget* parent = nullptr);
  ~TeachDialog() override;

  // The takes kept so far.
  const std::vector<TaughtTake>& kept() const { return kept_; }

 private:
  void start_take();
  void end_take();
  void show_take(const std::optional<TakeHearing>& hearing);
  void set_recording(bool recording);

  TeachRequest request_;
  OpenMicrophone open_microphone_;
  std::vector<TaughtTake> kept_;
  QLabel* status_ = nullptr;
  QProgressBar* level_ = nullptr;
  QListWidget* takes_ = nullptr;
  QPushButton* take_button_ = nullptr;  // ends the take in progress, or starts another
  QPushButton* done_button_ = nullptr;
  QTimer* level_timer_ = nullptr;
  bool recording_ = false;
  // Last: its thread is joined before anything it reports to goes away.
  TakeRecorder recorder_;
};

// Runs the dialog modally: the kept takes when the user chose 完成, none when
// they cancelled.
std::vector<TaughtTake> run_teach_dialog(QWidget* parent, const TeachRequest& request, OpenMicrophone open_microphone);

}  // namespace quillon
