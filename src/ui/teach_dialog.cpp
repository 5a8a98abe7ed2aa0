#include "ui/teach_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/teaching.h"
#include "core/texts.h"

namespace quillon {
namespace {

constexpr int kLevelPollMs = 50;

QString q(const std::string& text) { return QString::fromStdString(text); }

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

}  // namespace

TeachDialog::TeachDialog(TeachRequest request, OpenMicrophone open_microphone, QWidget* parent)
    : QDialog(parent), request_(std::move(request)), open_microphone_(std::move(open_microphone)) {
  setObjectName("TeachDialog");
  setWindowTitle(text::kTeachTitle);
  auto* layout = new QVBoxLayout(this);
  auto* phrase = named(new QLabel(text::kTeachSay + q(request_.phrase)), "TeachPhrase");
  QFont big = phrase->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  phrase->setFont(big);
  layout->addWidget(phrase);
  auto* hint = new QLabel(text::kTeachHint);
  hint->setWordWrap(true);
  layout->addWidget(hint);
  level_ = named(new QProgressBar, "TeachLevel");
  level_->setRange(0, 100);
  level_->setTextVisible(false);
  level_->setToolTip(text::kTeachLevel);
  layout->addWidget(level_);
  status_ = named(new QLabel, "TeachStatus");
  status_->setWordWrap(true);
  layout->addWidget(status_);
  takes_ = named(new QListWidget, "TeachTakes");
  layout->addWidget(takes_);
  auto* buttons = new QHBoxLayout;
  take_button_ = named(new QPushButton(text::kTeachStopTake), "TeachTakeButton");
  done_button_ = named(new QPushButton(text::kTeachDone), "TeachDone");
  auto* cancel = named(new QPushButton(text::kTeachCancel), "TeachCancel");
  done_button_->setEnabled(false);
  done_button_->setAutoDefault(false);
  take_button_->setAutoDefault(false);
  cancel->setAutoDefault(false);
  buttons->addWidget(take_button_);
  buttons->addStretch();
  buttons->addWidget(done_button_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  resize(420, 320);

  connect(take_button_, &QPushButton::clicked, this, [this] { recording_ ? end_take() : start_take(); });
  connect(done_button_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  level_timer_ = new QTimer(this);
  level_timer_->setInterval(kLevelPollMs);
  connect(level_timer_, &QTimer::timeout, this,
          [this] { level_->setValue(static_cast<int>(recorder_.level() * 100.0f + 0.5f)); });
  QTimer::singleShot(0, this, [this] { start_take(); });
}

TeachDialog::~TeachDialog() = default;

void TeachDialog::start_take() {
  std::string error;
  std::unique_ptr<AudioSource> microphone = open_microphone_ ? open_microphone_(error) : nullptr;
  if (!microphone) {
    set_recording(false);
    status_->setText(text::kTeachNoMicrophone + q(error));
    return;
  }
  set_recording(true);
  status_->setText(text::kTeachListening);
  // Judged where it was recorded; only the result comes back to the window.
  recorder_.start(std::move(microphone), [this, hear = request_.hear](std::vector<float> samples, bool) {
    std::optional<TakeHearing> hearing = hear ? hear(samples) : std::nullopt;
    QMetaObject::invokeMethod(
        this, [this, hearing] { show_take(hearing); }, Qt::QueuedConnection);
  });
}

void TeachDialog::end_take() {
  recorder_.finish();
  take_button_->setEnabled(false);
  status_->setText(text::kTeachHearing);
}

void TeachDialog::show_take(const std::optional<TakeHearing>& hearing) {
  set_recording(false);
  const QString caption = hearing ? q(take_caption(*hearing)) : text::kTakeEngineSilent;
  takes_->addItem(QString::number(takes_->count() + 1) + ". " + caption);
  takes_->scrollToBottom();
  status_->setText(caption);
  if (hearing && take_kept(hearing->verdict)) kept_.push_back(hearing->take);
  done_button_->setEnabled(!kept_.empty());
}

void TeachDialog::set_recording(bool recording) {
  recording_ = recording;
  take_button_->setEnabled(true);
  take_button_->setText(recording ? text::kTeachStopTake : text::kTeachAnotherTake);
  if (recording) {
    level_timer_->start();
  } else {
    level_timer_->stop();
    level_->setValue(0);
  }
}

std::vector<TaughtTake> run_teach_dialog(QWidget* parent, const TeachRequest& request, OpenMicrophone open_microphone) {
  TeachDialog dialog(request, std::move(open_microphone), parent);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.kept();
}

}  // namespace quillon
