#include "ui/datebook_view.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "ui/main_window_view.h"
#include "ui/qt_text.h"

namespace quorvex::ui {

using datebook::TfrmAddEvent;

namespace {

template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QLabel* Caption(const Label& l, const char* name, QWidget* parent) {
  return Named(new QLabel(ToQ(l.caption), parent), name);
}

}  // namespace

// ---- The event dialog.

EventDialogView::EventDialogView(UserInterface& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setObjectName(QStringLiteral("TfrmAddEvent"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(true);
  // The captions are the model's design texts; a fresh model has them all.
  const TfrmAddEvent design;
  setWindowTitle(ToQ(design.Caption));

  auto* panel1 = Named(new QFrame(this), "Panel1");
  panel1->setFrameShape(QFrame::StyledPanel);
  auto* titleRow = new QVBoxLayout(panel1);
  titleRow->setContentsMargins(8, 6, 8, 8);
  titleRow->setSpacing(3);
  title_ = Named(new QLineEdit(panel1), "edtEventTitle");
  titleRow->addWidget(Caption(design.Label1, "Label1", panel1));
  titleRow->addWidget(title_);

  auto* start = Named(new QGroupBox(ToQ(design.GroupBox1.caption), this), "GroupBox1");
  auto* startGrid = new QGridLayout(start);
  time_ = Named(new QTimeEdit(start), "dtpStartTime");
  time_->setDisplayFormat(QStringLiteral("H:mm:ss"));
  date_ = Named(new QDateEdit(start), "dtpStartDate");
  date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  date_->setCalendarPopup(true);
  date_->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
  startGrid->addWidget(Caption(design.Label2, "Label2", start), 0, 0);
  startGrid->addWidget(time_, 0, 1);
  startGrid->addWidget(Caption(design.Label3, "Label3", start), 1, 0);
  startGrid->addWidget(date_, 1, 1);

  auto* status = Named(new QGroupBox(ToQ(design.RadioGroup1.caption), this), "RadioGroup1");
  auto* statusColumn = new QVBoxLayout(status);
  alarmOff_ = Named(new QRadioButton(ToQ(design.RadioGroup1.items[0]), status), "RadioGroup1_0");
  alarmOn_ = Named(new QRadioButton(ToQ(design.RadioGroup1.items[1]), status), "RadioGroup1_1");
  statusColumn->addWidget(alarmOff_);
  statusColumn->addWidget(alarmOn_);
  statusColumn->addStretch();

  auto* actions = Named(new QGroupBox(ToQ(design.GroupBox2.caption), this), "GroupBox2");
  auto* actionGrid = new QGridLayout(actions);
  duration_ = Named(new QSpinBox(actions), "seDuration");
  lead_ = Named(new QSpinBox(actions), "seAl_time");
  for (QSpinBox* spin : {duration_, lead_})
    spin->setRange(design.seDuration.minValue, design.seDuration.maxValue);
  repeat_ = Named(new QComboBox(actions), "cbRepeat");
  repeat_->setEditable(true);
  repeat_->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& item : design.cbRepeat.items) repeat_->addItem(ToQ(item));
  repeat_->setMinimumContentsLength(16);
  actionGrid->addWidget(Caption(design.Label4, "Label4", actions), 0, 0);
  actionGrid->addWidget(duration_, 0, 1);
  actionGrid->addWidget(Caption(design.Label7, "Label7", actions), 1, 0);
  actionGrid->addWidget(lead_, 1, 1);
  actionGrid->addWidget(Caption(design.Label5, "Label5", actions), 2, 0);
  actionGrid->addWidget(repeat_, 2, 1);

  create_ = Named(new QPushButton(ToQ(design.SpeedButton1.caption), this), "SpeedButton1");
  cancel_ = Named(new QPushButton(ToQ(design.SpeedButton2.caption), this), "SpeedButton2");

  auto* startRow = new QHBoxLayout;
  startRow->addWidget(start, 1);
  startRow->addWidget(status);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(create_);
  buttons->addWidget(cancel_);
  auto* column = new QVBoxLayout(this);
  column->addWidget(panel1);
  column->addLayout(startRow);
  column->addWidget(actions);
  column->addLayout(buttons);
  // A fixed dialog frame: the size the contents need, not resizable.
  column->setSizeConstraint(QLayout::SetFixedSize);

  controls_ = {{"edtEventTitle", title_}, {"dtpStartTime", time_},   {"dtpStartDate", date_},
               {"RadioGroup1", status},   {"seDuration", duration_}, {"seAl_time", lead_},
               {"cbRepeat", repeat_},     {"SpeedButton1", create_}, {"SpeedButton2", cancel_},
               {"GroupBox1", start},      {"GroupBox2", actions},    {"Panel1", panel1}};
  connectModel();
}

void EventDialogView::connectModel() {
  watch(title_, Control::edtEventTitle);
  watch(time_, Control::dtpStartTime);
  watch(date_, Control::dtpStartDate);
  watch(duration_, Control::seDuration);
  watch(lead_, Control::seAl_time);
  watch(repeat_, Control::cbRepeat);

  // Every edit goes into the model as it happens.
  connect(title_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!syncing_ && model_) model_->edtEventTitle = FromQ(text);
  });
  connect(time_, &QTimeEdit::timeChanged, this, [this](const QTime& t) {
    if (!syncing_ && model_) model_->dtpStartTime = {t.hour(), t.minute(), t.second()};
  });
  connect(date_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
    if (!syncing_ && model_) model_->dtpStartDate = {d.year(), d.month(), d.day()};
  });
  connect(alarmOff_, &QRadioButton::toggled, this, [this](bool on) {
    if (on && !syncing_ && model_) model_->RadioGroup1.itemIndex = 0;
  });
  connect(alarmOn_, &QRadioButton::toggled, this, [this](bool on) {
    if (on && !syncing_ && model_) model_->RadioGroup1.itemIndex = 1;
  });
  connect(duration_, &QSpinBox::valueChanged, this, [this](int v) {
    if (!syncing_ && model_) model_->seDuration.setValue(v);
  });
  connect(lead_, &QSpinBox::valueChanged, this, [this](int v) {
    if (!syncing_ && model_) model_->seAl_time.setValue(v);
  });
  // Picking an item sets the text as well, so typing and picking take one road.
  connect(repeat_, &QComboBox::editTextChanged, this, [this](const QString& text) {
    if (!syncing_ && model_) model_->typeRepeat(FromQ(text));
  });
  connect(create_, &QPushButton::clicked, this, [this] {
    if (!model_) return;
    model_->SpeedButton1Click(ui_);
    afterEvent();
  });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (!model_) return;
    model_->SpeedButton2Click();
    afterEvent();
  });
}

void EventDialogView::watch(QWidget* w, Control c) {
  // The key reaches the inner line edit of a spin or combo box first.
  watched_[w] = c;
  w->installEventFilter(this);
  for (QWidget* inner : w->findChildren<QWidget*>()) {
    watched_[inner] = c;
    inner->installEventFilter(this);
  }
}

QWidget* EventDialogView::widgetOf(Control c) const {
  switch (c) {
    case Control::edtEventTitle:
      return title_;
    case Control::dtpStartTime:
      return time_;
    case Control::dtpStartDate:
      return date_;
    case Control::seDuration:
      return duration_;
    case Control::seAl_time:
      return lead_;
    case Control::cbRepeat:
      return repeat_;
    case Control::None:
      break;
  }
  return nullptr;
}

QWidget* EventDialogView::control(const std::string& name) const {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

void EventDialogView::sync() {
  syncing_ = true;
  const TfrmAddEvent& m = *model_;
  setWindowTitle(ToQ(m.Caption));
  if (title_->text() != ToQ(m.edtEventTitle)) title_->setText(ToQ(m.edtEventTitle));
  time_->setTime(QTime(m.dtpStartTime.hour, m.dtpStartTime.minute, m.dtpStartTime.second));
  date_->setDate(QDate(m.dtpStartDate.year, m.dtpStartDate.month, m.dtpStartDate.day));
  alarmOff_->setChecked(m.RadioGroup1.itemIndex == 0);
  alarmOn_->setChecked(m.RadioGroup1.itemIndex == 1);
  duration_->setValue(m.seDuration.value);
  lead_->setValue(m.seAl_time.value);
  if (m.cbRepeat.itemIndex >= 0) repeat_->setCurrentIndex(m.cbRepeat.itemIndex);
  repeat_->setEditText(ToQ(m.cbRepeat.text));
  syncing_ = false;
}

void EventDialogView::begin(TfrmAddEvent& model) {
  model_ = &model;
  sync();
  if (parentWidget() != nullptr) {
    adjustSize();
    move(parentWidget()->window()->geometry().center() - rect().center());
  }
  show();
  activateWindow();
  if (QWidget* w = widgetOf(model.ActiveControl)) w->setFocus(Qt::OtherFocusReason);
}

void EventDialogView::run(TfrmAddEvent& model) {
  begin(model);
  if (!model.closed()) exec();
  model_ = nullptr;
}

void EventDialogView::afterEvent() {
  if (model_ == nullptr) return;
  if (model_->closed()) {
    if (model_->Confirmed)
      QDialog::accept();
    else
      QDialog::reject();
    return;
  }
  if (QWidget* w = widgetOf(model_->ActiveControl)) w->setFocus(Qt::OtherFocusReason);
}

bool EventDialogView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || model_ == nullptr) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  int code = 0;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) code = datebook::kKeyEnter;
  if (key == Qt::Key_Escape) code = datebook::kKeyEscape;
  auto it = watched_.find(watched);
  if (code == 0 || it == watched_.end()) return false;
  // An open drop-down takes Enter and Escape itself (picking or closing the list).
  if (it->second == Control::cbRepeat && repeat_->view()->isVisible()) return false;
  model_->ActiveControl = it->second;
  model_->KeyDown(code, ui_);
  afterEvent();
  return true;
}

void EventDialogView::reject() {
  // Escape outside the six controls and the frame's close box: the model's cancel.
  if (model_ != nullptr && !model_->closed()) model_->FormKeyDown(datebook::kKeyEscape, ui_);
  if (model_ == nullptr || model_->closed()) QDialog::reject();
}

// ---- The section in the window.

DateBookView::DateBookView(MainWindowView& window, QtUserInterface& ui, DateBookBinding& binding)
    : ui_(ui), dialog_(new EventDialogView(ui, &window)) {
  const QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point[0].unicode() < 0x80)
    binding.section().DecimalSeparator = static_cast<char>(point[0].unicode());
  ui_.registerDialog("TfrmAddEvent",
                     [this](ModalDialog& d) { dialog_->run(static_cast<TfrmAddEvent&>(d)); });
  importICal_ = InstallICalImportDialog(binding.frmImportICal, ui, &window);
}

DateBookView::~DateBookView() {
  ui_.registerDialog("TfrmAddEvent", [](ModalDialog& d) { d.closeByFrame(); });
  ui_.registerDialog("TfrmImportICal", [](ModalDialog& d) { d.closeByFrame(); });
  delete importICal_.data();
}

}  // namespace quorvex::ui
