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
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>

#include "ui/dialogs.h"
#include "ui/images.h"
#include "ui/key_preview.h"
#include "ui/list_view.h"
#include "ui/qt_text.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui {
namespace {

constexpr Section kSections[] = {Section::Terminal, Section::PhoneInfo, Section::PhoneBook,
                                 Section::DateBook, Section::SMS};

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

QFrame* Panel(QWidget* parent, QFrame::Shadow shadow = QFrame::Raised) {
  auto* f = new QFrame(parent);
  f->setFrameShape(QFrame::Panel);
  f->setFrameShadow(shadow);
  return f;
}

// Design sizes of the controls the layout rules move.
constexpr int kButtonHeight = 27;
constexpr int kTallButtonHeight = 40;
constexpr int kLabelHeight = 18;
constexpr int kBarHeight = 16;

}  // namespace

// ---- Construction.

template <class W>
W* MainWindowView::add(W* w, const std::string& name) {
  w->setObjectName(QString::fromStdString(name));
  widgets_[name] = w;
  return w;
}

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

  model_.showModal = [this](const std::string& form) { showModal(form); };
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
  model_.showModal = nullptr;
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
}

void MainWindowView::buildMenus() {
  auto addItems = [this](QMenu* menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
      QAction* a = item.isSeparator() ? menu->addSeparator() : menu->addAction(ToQ(item.caption));
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
        QMenu* sub = menuBar()->addMenu(ToQ(top.caption));
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

void MainWindowView::buildTerminal() {
  QWidget* panel = widget("plTerminal");
  mmTerminal_ = add(new QPlainTextEdit(panel), "mmTerminal");
  mmTerminal_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  mmTerminal_->setLineWrapMode(QPlainTextEdit::NoWrap);
  connect(mmTerminal_, &QPlainTextEdit::textChanged, this, [this] {
    if (!syncing_) model_.terminal.mmTerminal = FromQLines(mmTerminal_->toPlainText());
  });

  QFrame* panel5 = add(Panel(panel), "Panel5");
  label(panel5, "Label2")->setGeometry(6, 4, 300, kLabelHeight);
  mmDescription_ = add(new QPlainTextEdit(panel5), "mmDescriptionCommand");
  mmDescription_->setReadOnly(true);
  mmDescription_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto* bevel = add(new QFrame(panel), "Bevel2");
  bevel->setFrameShape(QFrame::Box);
  bevel->setFrameShadow(QFrame::Sunken);
  label(panel, "Label6");
  cbCommand_ = add(new QComboBox(panel), "cbCommand");
  cbCommand_->setEditable(true);
  cbCommand_->setMaxVisibleItems(20);
  cbCommand_->setInsertPolicy(QComboBox::NoInsert);
  connect(cbCommand_, &QComboBox::editTextChanged, this, [this](const QString& text) {
    if (!syncing_) model_.terminal.cbCommandChange(FromQ(text));
  });
  connect(cbCommand_, &QComboBox::activated, this, [this](int index) {
    model_.pickedCommand = index;
    model_.fire("cbCommandClick");
    afterEvent();
  });
  auto* send = add(new QPushButton(panel), "btnSendCommand");
  send->setDefault(false);
  connect(send, &QPushButton::clicked, this, [this] {
    model_.click("btnSendCommand");
    afterEvent();
  });
  speedButton(panel, "sbClear");
}

void MainWindowView::buildPhoneInfo() {
  QWidget* panel = widget("plPhoneInfo");
  QFrame* info = add(Panel(panel, QFrame::Sunken), "PanelInfo");
  info->setGeometry(6, 6, 410, 372);
  QLabel* heading = label(info, "Label3");
  QFont bold = heading->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.15);
  heading->setFont(bold);
  heading->setAlignment(Qt::AlignCenter);
  heading->setGeometry(8, 8, 394, 44);

  const auto& labels = InfoLabels();
  const char* fields[] = {"edtIMEI", "edtIMSI",     "edtManufacturer", "edtModel",
                          "edtBand", "edtSoftWare", "ggStatusCharge",  "ggStatusSignal"};
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const int y = 62 + static_cast<int>(i) * 32;
    QLabel* l = label(info, labels[i].component);
    l->setText(ToQ(labels[i].caption));
    l->setGeometry(10, y, 150, 24);
    const std::string field = fields[i];
    if (field.rfind("gg", 0) == 0) {
      auto* gauge = add(new QProgressBar(info), field);
      gauge->setRange(0, 100);
      gauge->setFormat(QStringLiteral("%p%"));
      gauge->setAlignment(Qt::AlignCenter);
      gauge->setGeometry(164, y + 2, 234, 20);
    } else {
      auto* edit = add(new QLineEdit(info), field);
      edit->setReadOnly(true);
      // Read-only fields take a click (to copy from) but are skipped by Tab.
      edit->setFocusPolicy(Qt::ClickFocus);
      edit->setGeometry(164, y, 234, 24);
    }
  }
  speedButton(info, "SpeedButton1")->setGeometry(164, 322, 90, kTallButtonHeight);
  speedButton(info, "SpeedButton11")->setGeometry(258, 322, 140, kTallButtonHeight);

  image1_ = label(panel, "Image1");
  image1_->setAlignment(Qt::AlignCenter);
  image1_->setGeometry(426, 6, 160, 240);
}

void MainWindowView::buildPhoneBook() {
  QWidget* panel = widget("plPhoneBook");
  ListView* list = listView(panel, "ListView1", model_.ListView1);
  list->onDoubleClick = [this] {
    model_.fire("ListView1DblClick");
    afterEvent();
  };
  list->onColumnClick = [this](int column) {
    model_.clickedColumn = column;
    model_.fire("ListView1ColumnClick");
    afterEvent();
  };
  list->onContextMenu = [this](const QPoint& pos) { onPopup("PopupMenu1", pos); };

  auto* bevel = add(new QFrame(panel), "Bevel1");
  bevel->setFrameShape(QFrame::Box);
  bevel->setFrameShadow(QFrame::Sunken);
  speedButton(panel, "sbAddRecord");
  speedButton(panel, "sbReadAll");
  speedButton(panel, "sbWriteAll");
  speedButton(panel, "SpeedButton3");
  label(panel, "Label4");
  label(panel, "Label9");
  progressBar(panel, "pbFullRecord");
  progressBar(panel, "pbReadAllRecords");
}

void MainWindowView::buildDateBook() {
  QWidget* panel = widget("plDateBook");
  ListView* list = listView(panel, "lvEvent", model_.lvEvent);
  list->onDoubleClick = [this] {
    model_.fire("lvEventDblClick");
    afterEvent();
  };
  list->onColumnClick = [this](int column) {
    model_.clickedColumn = column;
    model_.fire("lvEventColumnClick");
    afterEvent();
  };
  list->onContextMenu = [this](const QPoint& pos) { onPopup("pmEvent", pos); };

  speedButton(panel, "SpeedButton5");
  speedButton(panel, "sbDeleteEvent");
  speedButton(panel, "sbReadAllEvents");
  speedButton(panel, "sbAddEvent");
  progressBar(panel, "pbReadEvent");
  label(panel, "Label5");
  label(panel, "lblReadEvent");
  label(panel, "lblAllEvent");
  label(panel, "Label8");

  QFrame* panel6 = add(Panel(panel), "Panel6");
  auto* group = add(new QGroupBox(panel6), "RadioGroup1");
  auto* radios = new QVBoxLayout(group);
  radios->setSpacing(1);
  radios->setContentsMargins(6, 4, 6, 4);
  for (std::size_t i = 0; i < model_.RadioGroup1Items.size(); ++i) {
    auto* r = new QRadioButton(ToQ(model_.RadioGroup1Items[i]), group);
    r->setObjectName(QStringLiteral("RadioGroup1_%1").arg(i));
    radios->addWidget(r);
    radioItems_.push_back(r);
    connect(r, &QRadioButton::toggled, this, [this, i](bool on) {
      if (on && !syncing_) model_.RadioGroup1ItemIndex = static_cast<int>(i);
    });
  }
  speedButton(panel6, "SpeedButton2");

  auto* check = add(new QCheckBox(panel), "CheckBox1");
  connect(check, &QCheckBox::clicked, this, [this](bool on) {
    model_.control("CheckBox1").checked = on;
    model_.click("CheckBox1");
    afterEvent();
  });
  calendar_ = add(new QCalendarWidget(panel), "MonthCalendar1");
  calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  calendar_->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
  calendar_->setGridVisible(false);
  // The window speaks Russian, whatever the locale it runs under.
  calendar_->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
  calendar_->setFirstDayOfWeek(Qt::Monday);
  connect(calendar_, &QCalendarWidget::selectionChanged, this, [this] {
    if (syncing_) return;
    const QDate d = calendar_->selectedDate();
    model_.MonthCalendar1Date.year = d.year();
    model_.MonthCalendar1Date.month = d.month();
    model_.MonthCalendar1Date.day = d.day();
  });
}

void MainWindowView::buildSMS() {
  QWidget* panel = widget("plSMS");
  QFrame* left = add(Panel(panel), "Panel1");
  tvSMS_ = add(new QTreeWidget(left), "tvSMS");
  tvSMS_->setHeaderHidden(true);
  tvSMS_->setRootIsDecorated(false);
  tvSMS_->setItemsExpandable(false);
  tvSMS_->setMouseTracking(true);  // hot-tracking
  tvSMS_->setIconSize(QSize(16, 16));
  tvSMS_->setIndentation(14);
  std::function<void(QTreeWidgetItem*, const std::vector<TreeNode>&)> addNodes =
      [&](QTreeWidgetItem* parent, const std::vector<TreeNode>& nodes) {
        for (const TreeNode& n : nodes) {
          auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvSMS_);
          QIcon icon = TypeImage(n.image);
          icon.addPixmap(TypeImage(n.selectedImage).pixmap(16, 16), QIcon::Selected);
          item->setIcon(0, icon);
          item->setData(0, Qt::UserRole, n.stateIndex);
          treeItems_[n.stateIndex] = item;
          addNodes(item, n.children);
        }
      };
  addNodes(nullptr, model_.tvSMS);
  connect(tvSMS_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
    if (!syncing_) model_.tvSMSSelected = current ? current->data(0, Qt::UserRole).toInt() : -1;
  });
  connect(tvSMS_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    model_.tvSMSSelected = item->data(0, Qt::UserRole).toInt();
    model_.fire("tvSMSClick");
    afterEvent();
  });

  progressBar(left, "pbReadSMS");
  for (const char* name :
       {"sbSMSNew", "sbSMSSave", "SpeedButton12", "sbDeleteSMS", "sbSMSDeleteAll"})
    speedButton(left, name);

  ListView* list = listView(panel, "lvSMS", model_.lvSMS);
  list->onClick = [this] {
    model_.fire("lvSMSClick");
    afterEvent();
  };
  list->onColumnClick = [this](int column) {
    model_.clickedColumn = column;
    model_.fire("lvSMSColumnClick");
    afterEvent();
  };
  list->onContextMenu = [this](const QPoint& pos) { onPopup("pmSMS", pos); };
  label(panel, "Label7");
  mmSMS_ = add(new QPlainTextEdit(panel), "mmSMS");
  mmSMS_->setReadOnly(true);
}

void MainWindowView::buildDialogs() {
  commConfig_ = new CommConfigDialog(model_, this);
  about_ = new AboutDialog(model_, this);
  help_ = new HelpDialog(model_.help, this);
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

void MainWindowView::sync() {
  if (syncing_) return;
  syncing_ = true;
  for (const std::string& name : model_.controlNames()) {
    QWidget* w = widget(name);
    if (w == nullptr) continue;
    const ControlState& c = model_.control(name);
    w->setEnabled(c.enabled);
    w->setHidden(!c.visible);
    if (auto* check = dynamic_cast<QCheckBox*>(w)) {
      check->setText(ToQ(c.caption));
      check->setChecked(c.checked);
    } else if (auto* button = dynamic_cast<QAbstractButton*>(w)) {
      if (name != "SpeedButton1" && name != "SpeedButton11") button->setText(ToQ(c.caption));
      if (button->isCheckable()) button->setChecked(c.checked);
    } else if (auto* l = dynamic_cast<QLabel*>(w)) {
      l->setText(ToQ(c.caption));
    } else if (auto* group = dynamic_cast<QGroupBox*>(w)) {
      group->setTitle(ToQ(c.caption));
    }
  }
  for (Section s : kSections) widget(SectionPanel(s))->setVisible(model_.panelVisible(s));

  std::function<void(const std::vector<MenuItem>&)> syncItems =
      [&](const std::vector<MenuItem>& items) {
        for (const MenuItem& item : items) {
          QAction* a = action(item.name);
          a->setEnabled(item.enabled);
          a->setVisible(item.visible);
          if (!item.isSeparator()) a->setText(ToQ(item.caption));
          syncItems(item.items);
        }
      };
  for (const Menu& m : model_.menus()) syncItems(m.items);

  syncTerminal();
  syncInfo();
  for (auto& [name, list] : lists_) list->sync();
  syncTree();

  const auto bar = [this](const char* name, const ProgressBar& g) {
    auto* pb = static_cast<QProgressBar*>(widget(name));
    pb->setRange(g.Min, std::max(g.Min, g.Max));
    pb->setValue(g.Position);
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
  const LocalTime& d = model_.MonthCalendar1Date;
  const QDate date(d.year, d.month, d.day);
  if (date.isValid() && calendar_->selectedDate() != date) calendar_->setSelectedDate(date);
  if (mmSMS_->toPlainText() != ToQ(model_.mmSMS)) mmSMS_->setPlainText(ToQ(model_.mmSMS));

  const int shown = static_cast<int>(model_.section());
  if (shown != laidOutSection_) {
    laidOutSection_ = shown;
    layoutSections();
  }
  syncing_ = false;
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
  const QString command = ToQ(t.cbCommandText);
  if (cbCommand_->currentText() != command) cbCommand_->setEditText(command);
  const QString description = ToQ(t.mmDescriptionCommand);
  if (mmDescription_->toPlainText() != description) mmDescription_->setPlainText(description);
  if (FromQLines(mmTerminal_->toPlainText()) != t.mmTerminal) {
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
    auto* edit = static_cast<QLineEdit*>(widget(name));
    const QString value = ToQ(*text);
    if (edit->text() != value) {
      edit->setText(value);
      edit->setCursorPosition(0);
    }
  }
  static_cast<QProgressBar*>(widget("ggStatusCharge"))->setValue(info.ggStatusCharge.percentDone());
  static_cast<QProgressBar*>(widget("ggStatusSignal"))->setValue(info.ggStatusSignal.percentDone());
  static_cast<QLabel*>(widget("Label3"))->setText(ToQ(info.Label3));
  static_cast<QToolButton*>(widget("SpeedButton1"))->setText(ToQ(info.SpeedButton1Caption));
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
  std::function<void(const std::vector<TreeNode>&)> walk = [&](const std::vector<TreeNode>& nodes) {
    for (const TreeNode& n : nodes) {
      QTreeWidgetItem* item = treeItems_.at(n.stateIndex);
      const QString caption = ToQ(n.caption);
      if (item->text(0) != caption) item->setText(0, caption);
      if (item->isExpanded() != n.expanded) item->setExpanded(n.expanded);
      walk(n.children);
    }
  };
  walk(model_.tvSMS);
  auto it = treeItems_.find(model_.tvSMSSelected);
  QTreeWidgetItem* selected = it == treeItems_.end() ? nullptr : it->second;
  if (tvSMS_->currentItem() != selected) tvSMS_->setCurrentItem(selected);
}

// ---- Layout.

void MainWindowView::layoutSections() {
  const int w = client_->width();
  const int h = client_->height();
  widget("plButtons")->setGeometry(0, 0, kButtonColumnWidth, h);
  // Every panel fills the client area beside the button column.
  const int left = kButtonColumnWidth + 2;
  for (Section s : kSections) widget(SectionPanel(s))->setGeometry(left, 0, w - left - 2, h - 2);
  layoutTerminal(widget("plTerminal"));
  layoutPhoneBook(widget("plPhoneBook"));
  layoutDateBook(widget("plDateBook"));
  layoutSMS(widget("plSMS"));
}

void MainWindowView::layoutTerminal(QWidget* panel) {
  const int w = panel->width(), h = panel->height();
  const QRect bevel(w - 2 - 272, h - 2 - 100, 272, 100);
  widget("Bevel2")->setGeometry(bevel);
  widget("Bevel2")->lower();
  const int buttonY = bevel.bottom() + 1 - 4 - kButtonHeight;
  widget("btnSendCommand")->setGeometry(bevel.left() + 4, buttonY, 130, kButtonHeight);
  widget("sbClear")->setGeometry(bevel.left() + 4 + 130 + 2, buttonY, 130, kButtonHeight);
  widget("Label6")->setGeometry(bevel.left() + 4, bevel.top() + 2, bevel.width() - 8, kLabelHeight);
  widget("cbCommand")
      ->setGeometry(bevel.left() + 4, bevel.top() + 2 + kLabelHeight + 2, bevel.width() - 8, 26);
  const QRect memo(4, 4, w - 4 - 2, bevel.top() - 4 - 4);
  mmTerminal_->setGeometry(memo);
  const QRect p5(memo.left(), bevel.top(), bevel.left() - 2 - memo.left(), bevel.height());
  widget("Panel5")->setGeometry(p5);
  mmDescription_->setGeometry(6, 4 + kLabelHeight + 2, p5.width() - 12,
                              p5.height() - (4 + kLabelHeight + 2) - 6);
}

void MainWindowView::layoutPhoneBook(QWidget* panel) {
  const int w = panel->width(), h = panel->height();
  const QRect bevel(4, h - 4 - 76, w - 8, 76);
  widget("Bevel1")->setGeometry(bevel);
  widget("Bevel1")->lower();
  widget("ListView1")->setGeometry(4, 4, w - 8, bevel.top() - 4 - 4);
  const int buttonY = bevel.bottom() + 1 - 4 - kTallButtonHeight;
  const int rowY = bevel.top() + 6;
  const int right = bevel.right() + 1 - 10;
  widget("sbAddRecord")->setGeometry(bevel.left() + 8, buttonY, 110, kTallButtonHeight);
  widget("sbReadAll")->setGeometry(bevel.left() + 8 + 112, buttonY, 110, kTallButtonHeight);
  widget("sbWriteAll")->setGeometry(bevel.left() + 8 + 224, buttonY, 110, kTallButtonHeight);
  widget("SpeedButton3")->setGeometry(right - 110, buttonY, 110, kTallButtonHeight);
  widget("Label4")->setGeometry(bevel.left() + 8, rowY, 70, kLabelHeight);
  widget("pbFullRecord")->setGeometry(bevel.left() + 8 + 72, rowY + 1, 160, kBarHeight);
  widget("pbReadAllRecords")->setGeometry(right - 200, rowY + 1, 200, kBarHeight);
  widget("Label9")->setGeometry(bevel.left() + 8 + 240, buttonY + 10, right - 110 - 8 - 248,
                                kLabelHeight);
}

void MainWindowView::layoutDateBook(QWidget* panel) {
  const int w = panel->width(), h = panel->height();
  QWidget* panel6 = widget("Panel6");
  const QRect p6(w - 4 - 178, h - 4 - 172, 178, 172);
  panel6->setGeometry(p6);
  widget("RadioGroup1")->setGeometry(4, 2, p6.width() - 8, 130);
  widget("SpeedButton2")->setGeometry(4, 136, p6.width() - 8, kButtonHeight + 4);
  const QRect check(p6.left(), p6.top() - 2 - 20, p6.width(), 20);
  widget("CheckBox1")->setGeometry(check);
  const QRect list(4, 4, w - 8, check.top() - 2 - 4);
  widget("lvEvent")->setGeometry(list);
  const int calendarTop = check.top() + 4;
  const int calendarWidth = 176;
  calendar_->setGeometry(p6.left() - 4 - calendarWidth, calendarTop, calendarWidth,
                         h - 4 - calendarTop);
  const int bw = 130;
  const int x = list.left() + 2;
  const int y5 = h - 4 - kButtonHeight;
  widget("SpeedButton5")->setGeometry(x, y5, bw, kButtonHeight);
  widget("sbDeleteEvent")->setGeometry(x + bw + 2, y5, bw, kButtonHeight);
  const int yRead = y5 - 2 - kButtonHeight;
  widget("sbReadAllEvents")->setGeometry(x, yRead, bw, kButtonHeight);
  widget("sbAddEvent")->setGeometry(x + bw + 2, yRead, bw, kButtonHeight);
  const int yBar = yRead - 2 - kBarHeight;
  widget("pbReadEvent")->setGeometry(x, yBar, 2 * bw + 2, kBarHeight);
  const int yLabel = yBar - 2 - kLabelHeight;
  // One row: "Чтение записи:", the count, "из" and the total, then the free share.
  int lx = x;
  // The two counts get room for three digits, so the row does not move while a read counts.
  const std::pair<const char*, int> row[] = {
      {"Label5", 0}, {"lblReadEvent", 26}, {"lblAllEvent", 44}};
  for (const auto& [name, least] : row) {
    QWidget* l = widget(name);
    const int width = std::max(l->sizeHint().width(), least);
    l->setGeometry(lx, yLabel, width, kLabelHeight);
    lx += width + 4;
  }
  widget("Label8")->setGeometry(lx + 2, yLabel, calendar_->x() - 2 - lx - 2, kLabelHeight);
}

void MainWindowView::layoutSMS(QWidget* panel) {
  const int w = panel->width(), h = panel->height();
  QWidget* left = widget("Panel1");
  left->setGeometry(4, 4, 170, h - 8);
  const int lw = left->width(), lh = left->height();
  const int bx = 4, bwidth = lw - 8;
  int y = lh - 6 - kButtonHeight;
  widget("sbSMSDeleteAll")->setGeometry(bx, y, bwidth, kButtonHeight);
  for (const char* name : {"sbDeleteSMS", "SpeedButton12", "sbSMSSave", "sbSMSNew"}) {
    y -= 2 + kButtonHeight;
    widget(name)->setGeometry(bx, y, bwidth, kButtonHeight);
  }
  y -= 2 + kBarHeight;
  widget("pbReadSMS")->setGeometry(bx, y, bwidth, kBarHeight);
  tvSMS_->setGeometry(bx, 4, bwidth, y - 6 - 4);

  const int lx = left->geometry().right() + 1 + 2;
  const int listWidth = w - 4 - lx;
  const QRect memo(lx, h - 4 - 80, listWidth, 80);
  mmSMS_->setGeometry(memo);
  widget("Label7")->setGeometry(lx, memo.top() - 2 - kLabelHeight, listWidth, kLabelHeight);
  widget("lvSMS")->setGeometry(lx, 4, listWidth, memo.top() - 2 - kLabelHeight - 4 - 4);
}

}  // namespace quorvex::ui
