#include "ui/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/texts.h"
#include "ui/hotkey_edit.h"

namespace quillon {
namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QPushButton* button(const char* caption, const char* name) {
  auto* made = new QPushButton(caption);
  made->setObjectName(name);
  return made;
}

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QString window_label(const WindowInfo& window) {
  return q(window.title) + "  [" + q(window.window_class.empty() ? window.program : window.window_class) + "]";
}

}  // namespace

SettingsDialog::SettingsDialog(const Settings& settings, std::vector<std::string> games, WindowList* windows,
                               QWidget* parent)
    : QDialog(parent), settings_(settings), games_(std::move(games)), windows_(windows) {
  setWindowTitle(text::kSettingsTitle);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(build_push_to_talk());
  layout->addWidget(build_ties());
  echo_ = named(new QCheckBox(text::kEchoSetting), "echo");
  echo_->setChecked(settings.echo);
  layout->addWidget(echo_);
  close_to_tray_ = named(new QCheckBox(text::kCloseToTraySetting), "close_to_tray");
  close_to_tray_->setChecked(settings.close_to_tray);
  layout->addWidget(close_to_tray_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

QWidget* SettingsDialog::build_push_to_talk() {
  auto* group = new QGroupBox(text::kPushToTalkGroup);
  auto* form = new QFormLayout(group);
  key_ = named(new HotkeyEdit, "push_to_talk_key");
  key_->setText(q(settings_.push_to_talk_key));
  auto* clear = button(text::kPushToTalkClear, "clear_push_to_talk_key");
  connect(clear, &QPushButton::clicked, key_, &QLineEdit::clear);
  auto* key_row = new QHBoxLayout;
  key_row->addWidget(key_, 1);
  key_row->addWidget(clear);
  form->addRow(text::kPushToTalkKey, key_row);
  mode_ = named(new QComboBox, "push_to_talk_mode");
  for (const auto& [caption, mode] :
       {std::pair{text::kPushToTalkOff, PushToTalkMode::off}, std::pair{text::kPushToTalkHold, PushToTalkMode::hold},
        std::pair{text::kPushToTalkToggle, PushToTalkMode::toggle}}) {
    mode_->addItem(caption, push_to_talk_mode_name(mode));
  }
  mode_->setCurrentIndex(mode_->findData(push_to_talk_mode_name(settings_.push_to_talk_mode)));
  form->addRow(text::kPushToTalkMode, mode_);
  return group;
}

QWidget* SettingsDialog::build_ties() {
  auto* group = new QGroupBox(text::kTiesGroup);
  auto* layout = new QVBoxLayout(group);
  ties_ = named(new QTableWidget(0, 2), "ties");
  ties_->setHorizontalHeaderLabels({text::kTieGameColumn, text::kTieWindowColumn});
  ties_->horizontalHeader()->setStretchLastSection(true);
  ties_->setSelectionBehavior(QAbstractItemView::SelectRows);
  ties_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (const WindowTie& tie : settings_.ties) add_tie_row(tie);
  layout->addWidget(ties_);

  auto* pick_row = new QHBoxLayout;
  open_windows_ = named(new QComboBox, "open_windows");
  auto* refresh = button(text::kTieRefresh, "refresh_windows");
  pick_row->addWidget(new QLabel(text::kTieOpenWindows));
  pick_row->addWidget(open_windows_, 1);
  pick_row->addWidget(refresh);
  layout->addLayout(pick_row);

  auto* add_row = new QHBoxLayout;
  tie_game_ = named(new QComboBox, "tie_game");
  for (const std::string& game : games_) tie_game_->addItem(q(game));
  tie_by_ = named(new QComboBox, "tie_by");
  tie_by_->addItems({text::kTieByClass, text::kTieByTitle});
  pattern_ = named(new QLineEdit, "tie_pattern");
  auto* add = button(text::kTieAdd, "add_tie");
  auto* remove = button(text::kTieRemove, "remove_tie");
  for (QWidget* widget : std::initializer_list<QWidget*>{tie_game_, tie_by_, pattern_, add, remove}) {
    add_row->addWidget(widget, widget == pattern_ ? 1 : 0);
  }
  layout->addLayout(add_row);

  connect(refresh, &QPushButton::clicked, this, &SettingsDialog::refresh_windows);
  connect(open_windows_, &QComboBox::activated, this, &SettingsDialog::fill_pattern_from_window);
  connect(tie_by_, &QComboBox::activated, this, &SettingsDialog::fill_pattern_from_window);
  connect(add, &QPushButton::clicked, this, &SettingsDialog::add_tie);
  connect(remove, &QPushButton::clicked, this, &SettingsDialog::remove_tie);
  refresh_windows();
  return group;
}

void SettingsDialog::refresh_windows() {
  open_windows_->clear();
  if (!windows_) return;
  for (const WindowInfo& window : windows_->windows()) {
    open_windows_->addItem(window_label(window));
    const int row = open_windows_->count() - 1;
    open_windows_->setItemData(row, q(window.window_class.empty() ? window.program : window.window_class),
                               Qt::UserRole);
    open_windows_->setItemData(row, q(window.title), Qt::UserRole + 1);
  }
}

// A picked window gives the tie its class, or its whole title to be cut down
// to the part that stays the same.
void SettingsDialog::fill_pattern_from_window() {
  if (open_windows_->currentIndex() < 0) return;
  const bool by_title = tie_by_->currentIndex() == 1;
  pattern_->setText(open_windows_->currentData(by_title ? Qt::UserRole + 1 : Qt::UserRole).toString());
}

void SettingsDialog::add_tie_row(const WindowTie& tie) {
  const int row = ties_->rowCount();
  ties_->insertRow(row);
  auto* game = new QTableWidgetItem(q(tie.game));
  game->setData(Qt::UserRole, q(tie_text(tie)));
  ties_->setItem(row, 0, game);
  const char* by = tie.by == WindowTie::By::title ? text::kTieByTitle : text::kTieByClass;
  ties_->setItem(row, 1, new QTableWidgetItem(by + q(tie.pattern)));
}

void SettingsDialog::add_tie() {
  const WindowTie wanted{tie_game_->currentText().toStdString(),
                         tie_by_->currentIndex() == 1 ? WindowTie::By::title : WindowTie::By::window_class,
                         pattern_->text().trimmed().toStdString()};
  // Read back from its text: what the settings could not keep is not added.
  const std::optional<WindowTie> tie = read_tie(tie_text(wanted));
  if (!tie || *tie != wanted) return;
  const std::vector<WindowTie> present = chosen().ties;
  if (std::find(present.begin(), present.end(), *tie) != present.end()) return;
  add_tie_row(*tie);
  pattern_->clear();
}

void SettingsDialog::remove_tie() {
  std::vector<int> rows;
  for (const QModelIndex& index : ties_->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.rbegin(), rows.rend());
  for (const int row : rows) ties_->removeRow(row);
}

Settings SettingsDialog::chosen() const {
  Settings chosen = settings_;
  chosen.push_to_talk_key = key_->text().toStdString();
  chosen.push_to_talk_mode =
      read_push_to_talk_mode(mode_->currentData().toString().toStdString()).value_or(PushToTalkMode::off);
  chosen.ties.clear();
  for (int row = 0; row < ties_->rowCount(); ++row) {
    if (auto tie = read_tie(ties_->item(row, 0)->data(Qt::UserRole).toString().toStdString())) {
      chosen.ties.push_back(*tie);
    }
  }
  chosen.echo = echo_->isChecked();
  chosen.close_to_tray = close_to_tray_->isChecked();
  return chosen;
}

SettingsEdit edit_settings(QWidget* parent, SettingsKeeper& keeper, std::vector<std::string> games,
                           WindowList* windows) {
  SettingsDialog dialog(keeper.saved(), std::move(games), windows, parent);
  if (dialog.exec() != QDialog::Accepted) return {};
  const Settings chosen = dialog.chosen();
  return {true, keeper.change([&chosen](Settings& settings) { settings = chosen; })};
}

}  // namespace quillon
