#include "ui/sms_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QVBoxLayout>

#include "messages/message_rows.h"
#include "ui/images.h"
#include "ui/list_view.h"
#include "ui/main_window_view.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui {

namespace {

constexpr char kEnter = 13;
constexpr char kBackspace = 8;

QGroupBox* RadioGroup(QWidget* parent, const char* name, std::size_t count,
                      std::vector<QRadioButton*>& buttons) {
  auto* group = new QGroupBox(parent);
  group->setObjectName(QString::fromLatin1(name));
  auto* column = new QVBoxLayout(group);
  column->setSpacing(2);
  column->setContentsMargins(8, 4, 8, 6);
  for (std::size_t i = 0; i < count; ++i) {
    auto* r = new QRadioButton(group);
    r->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(i));
    column->addWidget(r);
    buttons.push_back(r);
  }
  return group;
}

void Check(std::vector<QRadioButton*>& buttons, int index) {
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const bool on = static_cast<int>(i) == index;
    if (buttons[i]->isChecked() == on) continue;
    // Unchecking the last checked button of an exclusive group is refused otherwise.
    buttons[i]->setAutoExclusive(false);
    buttons[i]->setChecked(on);
    buttons[i]->setAutoExclusive(true);
  }
}

}  // namespace

SaveSmsDialog::SaveSmsDialog(QtUserInterface& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setObjectName(QStringLiteral("TfrmSaveSMS"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(true);

  label1_ = new QLabel(this);
  label1_->setObjectName(QStringLiteral("Label1"));
  cbAbonents_ = new QComboBox(this);
  cbAbonents_->setObjectName(QStringLiteral("cbAbonents"));
  cbAbonents_->setEditable(true);
  cbAbonents_->setInsertPolicy(QComboBox::NoInsert);
  cbAbonents_->setMaxVisibleItems(sms::TfrmSaveSMS::cbAbonentsDropDownCount);
  cbAbonents_->setIconSize(QSize(16, 16));
  label2_ = new QLabel(this);
  label2_->setObjectName(QStringLiteral("Label2"));
  memo1_ = new QPlainTextEdit(this);
  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setTabChangesFocus(true);
  memo1_->installEventFilter(this);
  label3_ = new QLabel(this);
  label3_->setObjectName(QStringLiteral("Label3"));
  radioGroup_ = RadioGroup(this, "RadioGroup", 3, actions_);
  rgLanguage_ = RadioGroup(this, "rgLanguage", 2, languages_);
  ok_ = new QPushButton(this);
  ok_->setObjectName(QStringLiteral("SpeedButton1"));
  cancel_ = new QPushButton(this);
  cancel_->setObjectName(QStringLiteral("SpeedButton2"));
  // Enter belongs to the key filter of the memo, not to a default button.
  ok_->setAutoDefault(false);
  cancel_->setAutoDefault(false);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(10, 10, 10, 10);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  grid->addWidget(label1_, 0, 0);
  grid->addWidget(cbAbonents_, 0, 1, 1, 2);
  grid->addWidget(label2_, 1, 0, 1, 3);
  grid->addWidget(memo1_, 2, 0, 1, 3);
  grid->addWidget(label3_, 3, 0, 1, 3);
  grid->addWidget(radioGroup_, 4, 0, 1, 2);
  grid->addWidget(rgLanguage_, 4, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  grid->addLayout(buttons, 5, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  memo1_->setMinimumSize(380, 110);
  ok_->setMinimumWidth(90);
  cancel_->setMinimumWidth(90);
  // A fixed dialog border: the size the layout needs, no resizing.
  grid->setSizeConstraint(QLayout::SetFixedSize);

  connect(cbAbonents_, &QComboBox::editTextChanged, this, [this](const QString& text) {
    if (syncing_ || !modal_) return;
    modal_->form().cbAbonentsText = FromQ(text);
  });
  connect(cbAbonents_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (syncing_ || !modal_) return;
    modal_->form().cbAbonentsItemIndex = index;
  });
  connect(memo1_, &QPlainTextEdit::textChanged, this, [this] {
    if (syncing_ || !modal_) return;
    modal_->form().SetMemoText(FromQLines(memo1_->toPlainText()));
    label3_->setText(ToQ(modal_->form().Label3Caption));
  });
  for (std::size_t i = 0; i < actions_.size(); ++i)
    connect(actions_[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on && !syncing_ && modal_) modal_->form().RadioGroup.itemIndex = static_cast<int>(i);
    });
  for (std::size_t i = 0; i < languages_.size(); ++i)
    connect(languages_[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (!on || syncing_ || !modal_) return;
      modal_->form().rgLanguageClick(static_cast<int>(i));
      sync();
    });
  connect(ok_, &QPushButton::clicked, this, [this] { okClicked(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
}

void SaveSmsDialog::attach(SaveSmsModal& modal) {
  modal_ = &modal;
  sync();
}

void SaveSmsDialog::run(SaveSmsModal& modal) {
  attach(modal);
  if (!modal.closed()) exec();
  modal_ = nullptr;
}

void SaveSmsDialog::sync() {
  if (!modal_) return;
  const sms::TfrmSaveSMS& f = modal_->form();
  syncing_ = true;
  setWindowTitle(ToQ(f.Caption));
  label1_->setText(ToQ(f.Label1Caption));
  label2_->setText(ToQ(f.Label2Caption));
  label3_->setText(ToQ(f.Label3Caption));
  ok_->setText(ToQ(f.SpeedButton1Caption));
  cancel_->setText(ToQ(f.SpeedButton2Caption));

  cbAbonents_->clear();
  for (const sms::ComboItem& item : f.cbAbonentsItems)
    cbAbonents_->addItem(TypeImage(item.image), ToQ(item.caption));
  cbAbonents_->setCurrentIndex(f.cbAbonentsItemIndex);
  cbAbonents_->setEditText(ToQ(f.cbAbonentsText));

  const QString memo = ToQ(f.Memo1);
  if (memo1_->toPlainText() != memo) {
    memo1_->setPlainText(memo);
    memo1_->moveCursor(QTextCursor::End);
  }
  radioGroup_->setTitle(ToQ(f.RadioGroup.caption));
  for (std::size_t i = 0; i < actions_.size() && i < f.RadioGroup.items.size(); ++i)
    actions_[i]->setText(ToQ(f.RadioGroup.items[i]));
  Check(actions_, f.RadioGroup.itemIndex);
  rgLanguage_->setTitle(ToQ(f.rgLanguage.caption));
  for (std::size_t i = 0; i < languages_.size() && i < f.rgLanguage.items.size(); ++i)
    languages_[i]->setText(ToQ(f.rgLanguage.items[i]));
  Check(languages_, f.rgLanguage.itemIndex);
  if (f.Memo1Focused) memo1_->setFocus();
  syncing_ = false;
}

void SaveSmsDialog::okClicked() {
  if (!modal_) return;
  sms::TfrmSaveSMS& f = modal_->form();
  f.cbAbonentsText = FromQ(cbAbonents_->currentText());
  if (modal_->ok(ui_)) accept();
}

void SaveSmsDialog::reject() {
  if (modal_ && !modal_->closed()) modal_->cancel();
  QDialog::reject();
}

bool SaveSmsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == memo1_ && event->type() == QEvent::KeyPress && modal_)
    return filterKey(*static_cast<QKeyEvent*>(event));
  return QDialog::eventFilter(watched, event);
}

bool SaveSmsDialog::filterKey(QKeyEvent& e) {
  char key = 0;
  if (e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter) {
    key = kEnter;
  } else if (e.key() == Qt::Key_Backspace) {
    key = kBackspace;
  } else {
    const QString text = e.text();
    // Keys that type nothing (arrows, shortcuts such as the paste key) are the memo's own.
    if (text.isEmpty() || text.at(0).category() == QChar::Other_Control) return false;
    const std::string typed = FromQ(text);
    // A character code page 1251 has no place for cannot be sent: it is not typed.
    if (typed.size() != 1) return true;
    key = typed[0];
  }
  const char passed = modal_->form().Memo1KeyPress(key);
  if (passed == 0) return true;
  if (passed == kBackspace && key != kBackspace) {
    // The text is full: the key becomes a backspace at the caret.
    QTextCursor cursor = memo1_->textCursor();
    cursor.deletePreviousChar();
    memo1_->setTextCursor(cursor);
    return true;
  }
  return false;  // the memo types it
}

namespace {

// The list's design widths fit a narrower font than the desktop's: the columns whose texts
// are known in advance get the room their longest text needs in bold (unread rows), with
// the icon beside it.
void FitMessageColumns(ListModel& list, const QFont& font) {
  QFont bold = font;
  bold.setBold(true);
  const QFontMetrics m(bold);
  constexpr int kMargins = 10, kIcon = 16 + 4;
  const struct {
    int column;
    QString text;
    int icon;
  } longest[] = {
      {1 + sms::kNumber, QStringLiteral("+79035551212"), 0},
      {1 + sms::kDateTime, QStringLiteral("26/12/07,18:02:11+12"), 0},
      {1 + sms::kKind, QStringLiteral("исходящее"), kIcon},
      {1 + sms::kStatus, QStringLiteral("не отправлено"), kIcon},
  };
  for (const auto& l : longest) {
    if (l.column >= static_cast<int>(list.columns.size())) continue;
    ListColumn& c = list.columns[static_cast<std::size_t>(l.column)];
    c.width = std::max(c.width, m.horizontalAdvance(l.text) + l.icon + kMargins);
  }
  ++list.revision;
}

}  // namespace

SmsView::SmsView(MainWindowView& window, QtUserInterface& ui)
    : ui_(ui), dialog_(new SaveSmsDialog(ui, &window)) {
  if (ListView* list = window.list("lvSMS")) {
    FitMessageColumns(window.model().lvSMS, list->font());
    list->sync();
  }
  QPointer<SaveSmsDialog> dialog = dialog_;
  ui_.registerDialog("TfrmSaveSMS", [dialog](ModalDialog& m) {
    auto* modal = dynamic_cast<SaveSmsModal*>(&m);
    if (modal != nullptr && dialog)
      dialog->run(*modal);
    else
      m.closeByFrame();
  });
}

SmsView::~SmsView() {
  ui_.registerDialog("TfrmSaveSMS", [](ModalDialog& m) { m.closeByFrame(); });
}

}  // namespace quorvex::ui
