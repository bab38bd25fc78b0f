#include "ui/main_window_view.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>

#include "app/file_menu.h"
#include "ui/bin_view.h"
#include "ui/dialogs.h"
#include "ui/images.h"
#include "ui/key_preview.h"
#include "ui/list_view.h"
#include "ui/main_window_design.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"
#include "ui/restore_view.h"
#include "ui/stop_gate.h"

namespace quorvex::ui {
namespace {

// The client area beside the menu bar; it tells the window when its size changes, after
// Qt has placed it.
class ClientArea : public QWidget {
 public:
  using QWidget::QWidget;
  std::function<void()> onResize;

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QWidget::resizeEvent(e);
    if (onResize) onResize();
  }
};

}  // namespace

// ---- Construction.

QToolButton* MainWindowView::speedButton(QWidget* parent, const std::string& name) {
  auto* b = add(new QToolButton(parent), name);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  // A speed button never takes the focus, as the keys belong to the list or memo beside it.
  b->setFocusPolicy(Qt::NoFocus);
  connect(b, &QToolButton::clicked, this, [this, name] {
    model_.click(name);
    afterEvent();
  });
  return b;
}

QLabel* MainWindowView::label(QWidget* parent, const std::string& name) {
  return add(new QLabel(parent), name);
}

QProgressBar* MainWindowView::progressBar(QWidget* parent, const std::string& name) {
  auto* bar = add(new QProgressBar(parent), name);
  bar->setTextVisible(false);
  bar->setAlignment(Qt::AlignCenter);
  return bar;
}

ListView* MainWindowView::listView(QWidget* parent, const std::string& name, ListModel& model) {
  auto* list = add(new ListView(model, parent), name);
  lists_[name] = list;
  return list;
}

MainWindowView::MainWindowView(TfrmMain& model, QtUserInterface& ui)
    : QMainWindow(nullptr), model_(model), ui_(ui) {
  setObjectName(QStringLiteral("TfrmMain"));
  setWindowTitle(QString::fromLatin1(kApplicationTitle));
  buildFrame();
  buildMenus();
  buildTerminal();
  buildPhoneInfo();
  buildPhoneBook();
  buildDateBook();
  buildSMS();
  buildDialogs();
  buildStatusBar();

  model_.showModal = [this](const std::string& form) { showModal(form); };
  model_.chooseBackupFile = [this](const std::string& proposed) {
    return ui_.chooseSaveFileNamed(kBackupFilter, kBackupExt, proposed);
  };
  ui_.beforeEvents = [this] { sync(); };
  preview_ = new KeyPreview(this, [this](QKeyEvent& e) {
    const Key key = HotKeyOf(e.key(), e.modifiers());
    const bool inTree = tvSMS_ != nullptr && QApplication::focusWidget() == tvSMS_;
    if (key != Key::Other) {
      const Qt::KeyboardModifiers m = e.modifiers();
      model_.FormKeyDown(
          key, KeyModifiers{m.testFlag(Qt::ControlModifier), m.testFlag(Qt::ShiftModifier),
                            m.testFlag(Qt::AltModifier)});
    }
    if (inTree && (e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter))
      model_.fire("tvSMSKeyDown");
    afterEvent();
    return false;  // the focused control gets the key as well
  });

  // Installed after the key preview, so that it sees every key first: the last filter
  // installed on the application is the first asked.
  gate_ = new StopGate(
      this, [this] { return model_.app.stop().running(); },
      [this] {
        model_.click("sbStop");
        sync();
      });
  gate_->setStopButton(stop_);
  // While an operation runs its pumps must deliver the stop button's click and Escape; the
  // gate keeps every other input away.
  ui_.takesStopInput = [this] { return model_.app.stop().running(); };

  resize(kWindowWidth, kWindowHeight);
  setMinimumSize(kWindowWidth, kWindowHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(kWindowWidth / 2, kWindowHeight / 2));
  }
  sync();
}

MainWindowView::~MainWindowView() {
  ui_.beforeEvents = nullptr;
  ui_.takesStopInput = nullptr;
  model_.showModal = nullptr;
  model_.chooseBackupFile = nullptr;
}

void MainWindowView::buildFrame() {
  auto* client = new ClientArea(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  client->onResize = [this] { layoutSections(); };
  client_ = client;
  setCentralWidget(client_);

  QFrame* buttons = add(Panel(client_), "plButtons");
  for (int i = 0; i < 5; ++i) {
    const std::string name = SectionButton(kSections[i]);
    auto* b = add(new QToolButton(buttons), name);
    b->setCheckable(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setIcon(SectionGlyph(i));
    b->setIconSize(QSize(32, 32));
    b->setGeometry(3, 3 + i * 76, kButtonColumnWidth - 6, 72);
    connect(b, &QToolButton::clicked, this, [this, name] {
      model_.click(name);
      afterEvent();
    });
  }
  for (Section s : kSections) add(Panel(client_), SectionPanel(s));

  // Under the client area, across the window. It keeps at least a line of its font, so
  // that the panels, laid out in fixed pixels, never squeeze it to a strip.
  QStatusBar* status = statusBar();
  status->setObjectName(QStringLiteral("StatusBar"));
  const QMargins frame = status->contentsMargins();
  status->setMinimumHeight(status->fontMetrics().height() + frame.top() + frame.bottom() + 6);
}

void MainWindowView::buildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setSizeGripEnabled(false);
  status_ = add(new QLabel(bar), "lblStatus");
  bar->addWidget(status_, 1);
  QToolButton* stop = speedButton(bar, "sbStop");
  bar->addPermanentWidget(stop);
  stop_ = stop;
}

void MainWindowView::closeEvent(QCloseEvent* e) {
  // The operation that runs is below this call on the stack: the window stays until it has
  // ended, and closing asks it to stop.
  if (model_.app.stop().running()) {
    model_.click("sbStop");
    sync();
    e->ignore();
    return;
  }
  QMainWindow::closeEvent(e);
}

void MainWindowView::buildMenus() {
  auto addItems = [this](QMenu* menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
      QAction* a =
          item.isSeparator() ? menu->addSeparator() : menu->addAction(ToQ(item.state->caption));
      a->setObjectName(QString::fromStdString(item.name));
      actions_[item.name] = a;
      if (item.isSeparator()) continue;
      const std::string name = item.name;
      connect(a, &QAction::triggered, this, [this, name] {
        model_.clickMenu(name);
        afterEvent();
      });
    }
  };
  for (const Menu& m : model_.menus()) {
    if (m.owner.empty()) {
      for (const MenuItem& top : m.items) {
        QMenu* sub = menuBar()->addMenu(ToQ(top.state->caption));
        sub->setObjectName(QString::fromStdString(top.name));
        sub->menuAction()->setObjectName(QString::fromStdString(top.name));
        actions_[top.name] = sub->menuAction();
        addItems(sub, top.items);
      }
    } else {
      auto* popup = new QMenu(this);
      popup->setObjectName(QString::fromStdString(m.name));
      popups_[m.name] = popup;
      addItems(popup, m.items);
    }
  }
}

void MainWindowView::buildDialogs() {
  commConfig_ = new CommConfigDialog(model_, this);
  about_ = new AboutDialog(model_, this);
  help_ = new HelpDialog(model_.help, this);
  bin_ = InstallBinDialog(model_.frmBin, ui_, this);
  restore_ = InstallRestoreDialog(model_.frmRestore, ui_, this);
}

// ---- Events.

Key MainWindowView::HotKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
  switch (qtKey) {
    case Qt::Key_F1:
      return Key::F1;
    case Qt::Key_F5:
      return Key::F5;
    case Qt::Key_Insert:
      return Key::Insert;
    case Qt::Key_Delete:
      return Key::Delete;
    default:
      break;
  }
  // The digit keys of the main block only; the keypad's digits are other keys.
  if (modifiers.testFlag(Qt::KeypadModifier)) return Key::Other;
  switch (qtKey) {
    case Qt::Key_1:
      return Key::Digit1;
    case Qt::Key_2:
      return Key::Digit2;
    case Qt::Key_3:
      return Key::Digit3;
    case Qt::Key_4:
      return Key::Digit4;
    case Qt::Key_5:
      return Key::Digit5;
    default:
      return Key::Other;
  }
}

void MainWindowView::afterEvent() {
  sync();
  if (model_.closeRequested()) close();
}

void MainWindowView::onPopup(const std::string& menu, const QPoint& globalPos) {
  model_.popup(menu);
  sync();
  popups_.at(menu)->popup(globalPos);
}

void MainWindowView::showModal(const std::string& form) {
  if (form == "TfrmCommConfig") {
    commConfig_->sync();
    ui_.runModal(*commConfig_);
  } else if (form == "TfrmHelp") {
    help_->sync();
    ui_.runModal(*help_);
  } else if (form == "TAboutBox") {
    about_->sync();
    ui_.runModal(*about_);
  } else if (form == "FontDialog1") {
    if (auto font = ui_.chooseFont(mmTerminal_->font())) mmTerminal_->setFont(*font);
  }
}

// ---- Mirroring the model.

QWidget* MainWindowView::widget(const std::string& name) const {
  auto it = widgets_.find(name);
  return it == widgets_.end() ? nullptr : it->second;
}

QAction* MainWindowView::action(const std::string& name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

QMenu* MainWindowView::popupMenu(const std::string& name) const {
  auto it = popups_.find(name);
  return it == popups_.end() ? nullptr : it->second;
}

ListView* MainWindowView::list(const std::string& name) const {
  auto it = lists_.find(name);
  return it == lists_.end() ? nullptr : it->second;
}

namespace {

// True, and the text noted as shown, when the model's text differs from what the widget was
// last given.
bool Differs(std::optional<std::string>& shown, const std::string& now) {
  if (shown && *shown == now) return false;
  shown = now;
  return true;
}

}  // namespace

void MainWindowView::sync() {
  if (syncing_) return;
  syncing_ = true;
  model_.ShowActivity();
  syncControls();
  if (Differs(shownStatus_, model_.statusText())) status_->setText(ToQ(*shownStatus_));
  for (Section s : kSections) widget(SectionPanel(s))->setVisible(model_.panelVisible(s));
  syncMenus();

  syncTerminal();
  syncInfo();
  for (auto& [name, list] : lists_) list->sync();
  syncTree();

  const auto bar = [this](const char* name, const ProgressBar& g) {
    auto* pb = static_cast<QProgressBar*>(widget(name));
    pb->setRange(g.Min, std::max(g.Min, g.Max));
    pb->setValue(g.Position);
    pb->setTextVisible(!g.Figure.empty());
    if (!g.Figure.empty()) pb->setFormat(ToQ(g.Figure));
  };
  bar("pbReadAllRecords", model_.pbReadAllRecords);
  bar("pbFullRecord", model_.pbFullRecord);
  bar("pbReadEvent", model_.pbReadEvent);
  bar("pbReadSMS", model_.pbReadSMS);

  for (std::size_t i = 0; i < radioItems_.size(); ++i) {
    const bool on = static_cast<int>(i) == model_.RadioGroup1ItemIndex;
    if (radioItems_[i]->isChecked() != on) {
      radioItems_[i]->setAutoExclusive(false);
      radioItems_[i]->setChecked(on);
      radioItems_[i]->setAutoExclusive(true);
    }
  }
  const CalendarDate& d = model_.MonthCalendar1Date;
  const QDate date(d.year, d.month, d.day);
  if (date.isValid() && calendar_->selectedDate() != date) calendar_->setSelectedDate(date);
  if (Differs(shownSms_, model_.mmSMS)) mmSMS_->setPlainText(ToQ(model_.mmSMS));

  const int shown = static_cast<int>(model_.section());
  if (shown != laidOutSection_) {
    laidOutSection_ = shown;
    layoutSections();
  }
  syncing_ = false;
}

void MainWindowView::syncControls() {
  if (controlMirrors_.empty()) {
    for (const std::string& name : model_.controlNames()) {
      QWidget* w = widget(name);
      if (w == nullptr) continue;
      const CheckBox* check = model_.isCheckBox(name) ? &model_.checkBox(name) : nullptr;
      ControlMirror m{w, &model_.control(name), check, ControlMirror::Kind::Other, {}};
      if (dynamic_cast<QCheckBox*>(w))
        m.kind = ControlMirror::Kind::CheckBox;
      else if (dynamic_cast<QAbstractButton*>(w))
        // The information section's two buttons take their captions from the section.
        m.kind = name == "SpeedButton1" || name == "SpeedButton11"
                     ? ControlMirror::Kind::ButtonOwnCaption
                     : ControlMirror::Kind::Button;
      else if (dynamic_cast<QLabel*>(w))
        m.kind = ControlMirror::Kind::Label;
      else if (dynamic_cast<QGroupBox*>(w))
        m.kind = ControlMirror::Kind::Group;
      controlMirrors_.push_back(std::move(m));
    }
  }
  for (ControlMirror& m : controlMirrors_) {
    const Label& c = *m.state;
    m.widget->setEnabled(c.enabled);
    m.widget->setHidden(!c.visible);
    // A click may have toggled a button the model keeps as it was.
    if (m.check != nullptr) {
      auto* button = static_cast<QAbstractButton*>(m.widget);
      if (button->isCheckable()) button->setChecked(m.check->checked);
    }
    if (m.kind == ControlMirror::Kind::Other || m.kind == ControlMirror::Kind::ButtonOwnCaption ||
        !Differs(m.caption, c.caption))
      continue;
    if (m.kind == ControlMirror::Kind::Label)
      static_cast<QLabel*>(m.widget)->setText(ToQ(c.caption));
    else if (m.kind == ControlMirror::Kind::Group)
      static_cast<QGroupBox*>(m.widget)->setTitle(ToQ(c.caption));
    else
      static_cast<QAbstractButton*>(m.widget)->setText(ToQ(c.caption));
  }
}

void MainWindowView::syncMenus() {
  if (actionMirrors_.empty()) {
    std::function<void(const std::vector<MenuItem>&)> collect =
        [&](const std::vector<MenuItem>& items) {
          for (const MenuItem& item : items) {
            actionMirrors_.push_back({action(item.name), &item, {}});
            collect(item.items);
          }
        };
    for (const Menu& m : model_.menus()) collect(m.items);
  }
  for (ActionMirror& m : actionMirrors_) {
    const Label& state = *m.item->state;
    m.action->setEnabled(state.enabled);
    m.action->setVisible(state.visible);
    if (!m.item->isSeparator() && Differs(m.caption, state.caption))
      m.action->setText(ToQ(state.caption));
  }
}

void MainWindowView::syncTerminal() {
  const Terminal& t = model_.terminal;
  if (cbCommand_->count() != static_cast<int>(t.cbCommandItems.size())) {
    cbCommand_->clear();
    for (const auto& item : t.cbCommandItems) cbCommand_->addItem(ToQ(item));
  }
  if (t.cbCommandItemIndex != cbCommand_->currentIndex() &&
      t.cbCommandItemIndex < cbCommand_->count())
    cbCommand_->setCurrentIndex(t.cbCommandItemIndex);
  if (Differs(shownCommand_, t.cbCommandText)) {
    const QString command = ToQ(t.cbCommandText);
    if (cbCommand_->currentText() != command) cbCommand_->setEditText(command);
  }
  if (Differs(shownDescription_, t.mmDescriptionCommand))
    mmDescription_->setPlainText(ToQ(t.mmDescriptionCommand));
  if (Differs(shownTerminal_, t.mmTerminal) &&
      FromQLines(mmTerminal_->toPlainText()) != t.mmTerminal) {
    mmTerminal_->setPlainText(ToQ(t.mmTerminal));
    mmTerminal_->verticalScrollBar()->setValue(mmTerminal_->verticalScrollBar()->maximum());
  }
}

void MainWindowView::syncInfo() {
  const PhoneInfoSection& info = model_.info;
  const std::pair<const char*, const std::string*> edits[] = {
      {"edtIMEI", &info.edtIMEI},
      {"edtIMSI", &info.edtIMSI},
      {"edtManufacturer", &info.edtManufacturer},
      {"edtModel", &info.edtModel},
      {"edtBand", &info.edtBand},
      {"edtSoftWare", &info.edtSoftWare}};
  for (const auto& [name, text] : edits) {
    if (!Differs(shownInfo_[name], *text)) continue;
    auto* edit = static_cast<QLineEdit*>(widget(name));
    const QString value = ToQ(*text);
    if (edit->text() != value) {
      edit->setText(value);
      edit->setCursorPosition(0);
    }
  }
  static_cast<QProgressBar*>(widget("ggStatusCharge"))->setValue(info.ggStatusCharge.percentDone());
  static_cast<QProgressBar*>(widget("ggStatusSignal"))->setValue(info.ggStatusSignal.percentDone());
  if (Differs(shownInfo_["Label3"], info.Label3))
    static_cast<QLabel*>(widget("Label3"))->setText(ToQ(info.Label3));
  if (Differs(shownInfo_["SpeedButton1"], info.SpeedButton1Caption))
    static_cast<QToolButton*>(widget("SpeedButton1"))->setText(ToQ(info.SpeedButton1Caption));
  if (Differs(shownInfo_["SpeedButton11"], info.SpeedButton11Caption))
    static_cast<QToolButton*>(widget("SpeedButton11"))->setText(ToQ(info.SpeedButton11Caption));

  if (info.Image1Generation != imageGeneration_) {
    imageGeneration_ = info.Image1Generation;
    if (!info.Image1 || info.Image1->width <= 0 || info.Image1->height <= 0) {
      image1_->clear();
    } else {
      const RgbImage& img = *info.Image1;
      // The pixels are the core's, decoded by libjpeg; Qt only draws them.
      QImage picture(img.rgb.data(), img.width, img.height, img.width * 3, QImage::Format_RGB888);
      QPixmap pixmap = QPixmap::fromImage(picture.copy());
      if (pixmap.width() > image1_->width() || pixmap.height() > image1_->height())
        pixmap = pixmap.scaled(image1_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
      image1_->setPixmap(pixmap);
    }
  }
}

void MainWindowView::syncTree() {
  for (const sms::TreeNode& n : model_.tvSMS) {
    QTreeWidgetItem* item = treeItems_.at(n.stateIndex);
    if (Differs(shownTree_[n.stateIndex], n.caption)) item->setText(0, ToQ(n.caption));
    if (item->isExpanded() != model_.tvSMSExpanded) item->setExpanded(model_.tvSMSExpanded);
  }
  auto it = treeItems_.find(model_.tvSMSSelected);
  QTreeWidgetItem* selected = it == treeItems_.end() ? nullptr : it->second;
  if (tvSMS_->currentItem() != selected) tvSMS_->setCurrentItem(selected);
}

}  // namespace quorvex::ui
