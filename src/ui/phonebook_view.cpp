#include "ui/phonebook_view.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "codec/ru.h"
#include "phonebook/records.h"
#include "ui/images.h"
#include "ui/key_preview.h"
#include "ui/main_window_view.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui {

using phonebook::TfrmAddRecord;
using phonebook::TfrmOption;

namespace {

QToolButton* Button(const QString& name, const std::string& caption, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(ToQ(caption));
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  b->setMinimumSize(100, 27);
  return b;
}

QLabel* Caption(const char* name, std::string_view caption, QWidget* parent) {
  auto* l = new QLabel(ToQ(Ru(caption)), parent);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}

// Puts a combo box control's items, item and text into the widget. Without an item a fixed
// list box shows the text as its placeholder; an editable one shows it in its edit line.
void SyncCombo(QComboBox* box, const ComboBox& c, const QIcon* icons = nullptr, int iconCount = 0) {
  const QSignalBlocker block(box);
  bool same = box->count() == static_cast<int>(c.items.size());
  for (int i = 0; same && i < box->count(); ++i)
    same = box->itemText(i) == ToQ(c.items[static_cast<std::size_t>(i)]);
  if (!same) {
    box->clear();
    for (std::size_t i = 0; i < c.items.size(); ++i) {
      const int n = static_cast<int>(i);
      if (icons != nullptr && n < iconCount)
        box->addItem(icons[n], ToQ(c.items[i]));
      else
        box->addItem(ToQ(c.items[i]));
    }
  }
  box->setCurrentIndex(c.itemIndex);
  if (box->isEditable()) {
    if (box->currentText() != ToQ(c.text)) box->setEditText(ToQ(c.text));
  } else if (c.itemIndex < 0) {
    box->setPlaceholderText(ToQ(c.text));
  }
  box->setEnabled(c.enabled);
}

}  // namespace

// ---- The record dialog.

AddRecordDialog::AddRecordDialog(TfrmAddRecord& model, UserInterface& ui, QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QStringLiteral("TfrmAddRecord"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* grid = new QGridLayout;
  grid->setColumnMinimumWidth(1, 220);
  grid->setHorizontalSpacing(10);
  label8_ = new QLabel(this);
  label8_->setObjectName(QStringLiteral("Label8"));
  QFont bold = label8_->font();
  bold.setBold(true);
  label8_->setFont(bold);
  int row = 0;
  grid->addWidget(label8_, row++, 0, 1, 2);

  auto add = [&](QLabel* label, QWidget* field) {
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row++, 1);
  };
  cbRecordNum_ = new QComboBox(this);
  cbRecordNum_->setObjectName(QStringLiteral("cbRecordNum"));
  cbRecordNum_->setEditable(true);
  cbRecordNum_->setInsertPolicy(QComboBox::NoInsert);
  cbRecordNum_->setMaxVisibleItems(16);
  add(Caption("Label1", "Номер записи:", this), cbRecordNum_);
  edtPhoneNumber_ = new QLineEdit(this);
  edtPhoneNumber_->setObjectName(QStringLiteral("edtPhoneNumber"));
  add(Caption("Label2", "Номер телефона:", this), edtPhoneNumber_);
  edtAbonentName_ = new QLineEdit(this);
  edtAbonentName_->setObjectName(QStringLiteral("edtAbonentName"));
  add(Caption("Label3", "Имя, Фамилия:", this), edtAbonentName_);
  cbType_ = new QComboBox(this);
  cbType_->setObjectName(QStringLiteral("cbType"));
  cbType_->setIconSize(QSize(16, 16));
  add(Caption("Label4", "Тип:", this), cbType_);
  cbIDs_ = new QComboBox(this);
  cbIDs_->setObjectName(QStringLiteral("cbIDs"));
  cbIDs_->setEditable(true);
  cbIDs_->setInsertPolicy(QComboBox::NoInsert);
  add(Caption("Label5", "IDs:", this), cbIDs_);

  bevel1_ = new QFrame(this);
  bevel1_->setObjectName(QStringLiteral("Bevel1"));
  bevel1_->setFrameShape(QFrame::HLine);
  bevel1_->setFrameShadow(QFrame::Sunken);
  grid->addWidget(bevel1_, row++, 0, 1, 2);
  label6_ = new QLabel(this);
  label6_->setObjectName(QStringLiteral("Label6"));
  cbGroup_ = new QComboBox(this);
  cbGroup_->setObjectName(QStringLiteral("cbGroup"));
  add(label6_, cbGroup_);
  label7_ = new QLabel(this);
  label7_->setObjectName(QStringLiteral("Label7"));
  cbIcon_ = new QComboBox(this);
  cbIcon_->setObjectName(QStringLiteral("cbIcon"));
  cbIcon_->setIconSize(kCallerIconSize);
  cbIcon_->setMaxVisibleItems(16);
  add(label7_, cbIcon_);

  sbWrite_ = Button(QStringLiteral("SpeedButton1"), Ru("Записать"), this);
  sbCancel_ = Button(QStringLiteral("SpeedButton2"), Ru("Отмена"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(sbWrite_);
  buttons->addWidget(sbCancel_);
  auto* top = new QVBoxLayout(this);
  top->addLayout(grid);
  top->addSpacing(6);
  top->addLayout(buttons);
  top->setSizeConstraint(QLayout::SetFixedSize);

  connectModel();
}

void AddRecordDialog::connectModel() {
  bindEditable(cbRecordNum_, model_.cbRecordNum);
  bindEditable(cbIDs_, model_.cbIDs);
  bindEdit(edtPhoneNumber_, model_.edtPhoneNumber);
  bindEdit(edtAbonentName_, model_.edtAbonentName);
  bindPick(cbType_, model_.cbType);
  bindPick(cbGroup_, model_.cbGroup);
  bindPick(cbIcon_, model_.cbIcon);
  // The alert box takes its keys through the model's filter before the edit line sees them.
  cbIDs_->lineEdit()->installEventFilter(this);

  connect(sbWrite_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.SpeedButton1Click(ui_); });
    afterEvent();
  });
  connect(sbCancel_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.SpeedButton2Click(); });
    afterEvent();
  });
  // Esc and Enter act for the whole dialog, before the control with the focus sees them.
  preview_ = new KeyPreview(this, [this](QKeyEvent& e) {
    int key = 0;
    if (e.key() == Qt::Key_Escape) key = phonebook::kKeyEscape;
    if (e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter) key = phonebook::kKeyEnter;
    if (key == 0) return false;
    RunHandler(ui_, [this, key] { model_.FormKeyDown(key, ui_); });
    afterEvent();
    return true;
  });
}

void AddRecordDialog::bindEditable(QComboBox* box, ComboBox& control) {
  connect(box, &QComboBox::activated, this, [this, box, &control](int index) {
    if (syncing_) return;
    control.select(index);
    // The pick puts the item's caption into the edit line, whatever its length.
    const QSignalBlocker block(box);
    box->setEditText(ToQ(control.text));
  });
  connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, box, &control](const QString& t) {
    if (syncing_) return;
    std::string text = FromQ(t);
    // The limit stops typing only; a longer item caption that was picked stays whole.
    if (control.maxLength > 0 && static_cast<int>(text.size()) > control.maxLength &&
        text.size() > control.text.size())
      text = control.text;
    control.text = text;
    control.itemIndex = -1;
    if (ToQ(text) != t) {
      const QSignalBlocker block(box);
      const int cursor = box->lineEdit()->cursorPosition();
      box->setEditText(ToQ(text));
      box->lineEdit()->setCursorPosition(std::min(cursor, static_cast<int>(ToQ(text).size())));
    }
  });
}

void AddRecordDialog::bindEdit(QLineEdit* edit, Edit& control) {
  connect(edit, &QLineEdit::textEdited, this, [this, edit, &control](const QString& t) {
    if (syncing_) return;
    std::string text = FromQ(t);
    if (control.maxLength > 0 && static_cast<int>(text.size()) > control.maxLength &&
        text.size() > control.text.size())
      text = control.text;
    control.text = text;
    if (ToQ(text) != t) {
      const QSignalBlocker block(edit);
      const int cursor = edit->cursorPosition();
      edit->setText(ToQ(text));
      edit->setCursorPosition(std::min(cursor, static_cast<int>(ToQ(text).size())));
    }
  });
}

void AddRecordDialog::bindPick(QComboBox* box, ComboBox& control) {
  connect(box, &QComboBox::activated, this, [this, &control](int index) {
    if (!syncing_) control.select(index);
  });
}

bool AddRecordDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched != cbIDs_->lineEdit() || event->type() != QEvent::KeyPress)
    return QDialog::eventFilter(watched, event);
  auto* e = static_cast<QKeyEvent*>(event);
  const QString typed = e->text();
  // Keys that type nothing (arrows, Delete, Home) and the ones the dialog and the focus
  // chain take are no key presses for the filter.
  const bool passes = e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab ||
                      e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter ||
                      e->key() == Qt::Key_Escape;
  if (passes || (typed.isEmpty() && e->key() != Qt::Key_Backspace)) return false;
  char key = '\0';
  if (e->key() == Qt::Key_Backspace) {
    key = phonebook::kKeyBackspace;
  } else {
    const std::string bytes = FromQ(typed);
    if (bytes.size() == 1) key = bytes[0];
  }
  if (key != '\0') model_.cbIDsKeyPress(key);
  return key == '\0';  // a discarded key never reaches the edit line
}

void AddRecordDialog::sync() {
  syncing_ = true;
  setWindowTitle(ToQ(model_.Caption));
  label8_->setText(ToQ(model_.Label8.caption));
  label6_->setText(ToQ(model_.Label6.caption));
  label7_->setText(ToQ(model_.Label7.caption));
  SyncCombo(cbRecordNum_, model_.cbRecordNum);
  for (auto [edit, control] : {std::pair{edtPhoneNumber_, &model_.edtPhoneNumber},
                               std::pair{edtAbonentName_, &model_.edtAbonentName}}) {
    if (edit->text() != ToQ(control->text)) edit->setText(ToQ(control->text));
    edit->setEnabled(control->enabled);
  }
  std::vector<QIcon> types;
  for (int i = 0; i < 8; ++i) types.push_back(TypeImage(i));
  SyncCombo(cbType_, model_.cbType, types.data(), static_cast<int>(types.size()));
  SyncCombo(cbIDs_, model_.cbIDs);
  SyncCombo(cbGroup_, model_.cbGroup);
  std::vector<QIcon> callers;
  for (int i = 0; i < kCallerIconCount; ++i) callers.push_back(CallerIcon(i));
  SyncCombo(cbIcon_, model_.cbIcon, callers.data(), kCallerIconCount);
  label6_->setVisible(model_.Label6.visible);
  label7_->setVisible(model_.Label7.visible);
  cbGroup_->setVisible(model_.cbGroup.visible);
  cbIcon_->setVisible(model_.cbIcon.visible);
  bevel1_->setVisible(model_.Bevel1.visible);
  syncing_ = false;
}

void AddRecordDialog::afterEvent() {
  if (model_.closed()) {
    if (isVisible()) done(model_.DialogAccepted ? QDialog::Accepted : QDialog::Rejected);
    return;
  }
  sync();
}

void AddRecordDialog::reject() {
  // Esc reaches here only when the preview let it pass; the close box always does.
  if (!model_.closed()) RunHandler(ui_, [this] { model_.closeByFrame(); });
  QDialog::reject();
}

void AddRecordDialog::run(QtUserInterface& qtUi) {
  sync();
  edtPhoneNumber_->setFocus();
  qtUi.runModal(*this);
}

// ---- The options dialog.

OptionDialog::OptionDialog(TfrmOption& model, UserInterface& ui, QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QStringLiteral("TfrmOption"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  rgFileFormat_ = new QGroupBox(this);
  rgFileFormat_->setObjectName(QStringLiteral("rgFileFormat"));
  auto* radios = new QVBoxLayout(rgFileFormat_);
  for (std::size_t i = 0; i < model_.rgFileFormat.items.size(); ++i) {
    auto* r = new QRadioButton(ToQ(model_.rgFileFormat.items[i]), rgFileFormat_);
    r->setObjectName(QStringLiteral("rgFileFormat_%1").arg(i));
    radios->addWidget(r);
    items_.push_back(r);
    connect(r, &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) model_.rgFileFormat.itemIndex = static_cast<int>(i);
    });
  }
  sbApply_ = Button(QStringLiteral("SpeedButton1"), Ru("Применить"), this);
  sbCancel_ = Button(QStringLiteral("SpeedButton2"), Ru("Отмена"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(sbApply_);
  buttons->addWidget(sbCancel_);
  auto* top = new QVBoxLayout(this);
  top->addWidget(rgFileFormat_);
  top->addLayout(buttons);
  top->setSizeConstraint(QLayout::SetFixedSize);
  connect(sbApply_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.SpeedButton1Click(ui_); });
    afterEvent();
  });
  connect(sbCancel_, &QToolButton::clicked, this, [this] {
    RunHandler(ui_, [this] { model_.SpeedButton2Click(); });
    afterEvent();
  });
}

void OptionDialog::sync() {
  setWindowTitle(ToQ(model_.Caption));
  rgFileFormat_->setTitle(ToQ(model_.rgFileFormat.caption));
  rgFileFormat_->setEnabled(model_.rgFileFormat.enabled);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const QSignalBlocker block(items_[i]);
    items_[i]->setChecked(static_cast<int>(i) == model_.rgFileFormat.itemIndex);
  }
}

void OptionDialog::afterEvent() {
  if (model_.closed() && isVisible()) done(QDialog::Accepted);
}

void OptionDialog::reject() {
  if (!model_.closed()) RunHandler(ui_, [this] { model_.closeByFrame(); });
  QDialog::reject();
}

void OptionDialog::run(QtUserInterface& qtUi) {
  sync();
  qtUi.runModal(*this);
}

// ---- The section in the window.

PhoneBookView::PhoneBookView(std::shared_ptr<PhoneBookBinding> binding, MainWindowView& window,
                             QtUserInterface& ui)
    : binding_(std::move(binding)) {
  auto& section = binding_->section;
  addRecord_ = new AddRecordDialog(section.frmAddRecord, ui, &window);
  option_ = new OptionDialog(section.frmOption, ui, &window);
  QPointer<AddRecordDialog> addRecord = addRecord_;
  QPointer<OptionDialog> option = option_;
  ui.registerDialog("TfrmAddRecord", [addRecord, &ui](ModalDialog& d) {
    if (addRecord)
      addRecord->run(ui);
    else
      d.closeByFrame();
  });
  ui.registerDialog("TfrmOption", [option, &ui](ModalDialog& d) {
    if (option)
      option->run(ui);
    else
      d.closeByFrame();
  });
  importVCard_ = InstallVCardImportDialog(binding_->frmImportVCard, ui, &window);
  window.sync();
}

PhoneBookView::~PhoneBookView() {
  delete addRecord_.data();
  delete option_.data();
  delete importVCard_.data();
}

std::unique_ptr<PhoneBookView> InstallPhoneBook(std::shared_ptr<PhoneBookBinding> binding,
                                                MainWindowView& window, QtUserInterface& ui) {
  return std::make_unique<PhoneBookView>(std::move(binding), window, ui);
}

}  // namespace quorvex::ui
